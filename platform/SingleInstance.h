// One running copy per user and desktop: the first start listens on a local socket, a later start asks it to
// show its panel and exits.
#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;

namespace huddlepod {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        first,      // this process listens; later starts reach it
        handedOver, // another copy runs here and was asked to show its panel
        unguarded,  // neither could be done (see errorString()); run without the guard
    };

    // Where the socket goes: the user's runtime folder, else a folder of the user's own in the temp folder.
    struct Location {
        std::optional<QString> runtimeDirectory; // $XDG_RUNTIME_DIR
        std::optional<QString> display;          // $DISPLAY
        std::optional<QString> waylandDisplay;   // $WAYLAND_DISPLAY
        QString tempDirectory;
        unsigned userId = 0;
    };
    // <runtime dir>/huddlepod-<display>.socket, or <temp>/huddlepod-<uid>/huddlepod-<display>.socket. Each
    // X display (its screen number dropped), else each Wayland display, is a desktop of its own.
    static QString socketPath(const Location& location);
    // socketPath() for this process's environment.
    static QString standardSocketPath();

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Asks a copy already listening to show its panel, or else starts listening; decided under a lock file
    // beside the socket, so that of two copies started at once exactly one listens. A socket left behind by
    // a copy that ended without closing it is replaced.
    Claim claim();
    // Why the claim came out unguarded.
    QString errorString() const { return error_; }

signals:
    // A later start asked for the panel.
    void showRequested();

private:
    Claim listen();
    void acceptConnections();

    QString path_;
    QLocalServer* server_ = nullptr;
    QString error_;
};

} // namespace huddlepod
