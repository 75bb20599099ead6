// The line a later start uses to ask the running copy for its panel: a listening socket in the abstract local
// namespace (no file, no folder, no link), which hears only processes of the same user.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace huddlepod {

class HandoverChannel : public QObject {
    Q_OBJECT

public:
    struct Limits {
        int connections = 8;                  // open at once; past it the oldest is dropped
        std::chrono::milliseconds idle{2000}; // a connection that says nothing for this long is dropped
        int backlog = 64;                     // connections the kernel holds while the copy is busy
    };

    explicit HandoverChannel(QObject* parent = nullptr);
    HandoverChannel(Limits limits, QObject* parent = nullptr);
    ~HandoverChannel() override;

    // Listens under a fresh name of this user's; false (see errorString()) when it cannot.
    bool listen();
    // The abstract name listened on (without its leading NUL); empty before listen().
    QByteArray name() const { return name_; }
    QString errorString() const { return error_; }
    // Connections held now.
    int connections() const { return static_cast<int>(open_.size()); }

    enum class Delivery {
        sent,    // "show" went to a process of this user
        notOurs, // a process of another user listens there: nothing was sent
        busy,    // it listens but takes no more connections now (stopped, or swamped)
        gone,    // nothing listens there
    };
    // Asks whoever listens under `name` for the panel, without waiting for it to answer.
    static Delivery sendShow(const QByteArray& name);

signals:
    void showRequested();

private:
    void acceptConnections();
    void readRequests(QLocalSocket* socket);
    void drop(QLocalSocket* socket);

    Limits limits_;
    QLocalServer* server_ = nullptr;
    QByteArray name_;
    QString error_;
    std::vector<QLocalSocket*> open_; // oldest first
};

} // namespace huddlepod
