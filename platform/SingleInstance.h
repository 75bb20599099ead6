// One running copy per user and X display: the running copy owns a selection of the display named for the
// user, and a later start asks it, through that selection, to show its panel.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct xcb_connection_t;
struct xcb_selection_request_event_t;
class QSocketNotifier;

namespace huddlepod {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        first,       // this process runs; later starts on the display reach it
        handedOver,  // another copy runs on the display and said it shows its panel
        unreachable, // another copy runs on the display but could not be asked (see errorString())
        unguarded,   // the display could not be asked (see errorString()); run without the guard
    };

    // `display` as X clients name it (":0", "unix:0.0", "host:1"…): the display itself tells its spellings
    // apart. A later start waits `answerWithin` for the running copy's answer.
    explicit SingleInstance(QByteArray display,
                            std::chrono::milliseconds answerWithin = std::chrono::seconds(1),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // $DISPLAY, the display this process's windows go to.
    static QByteArray standardDisplay();

    // Asks the display whether a copy of this user's runs there, under a server grab so that of copies
    // started at once exactly one runs: if none does, this one takes the display's selection; else it is
    // asked for its panel, and handedOver only once it has answered. Nothing here reads or writes a file.
    Claim claim();
    QString errorString() const { return error_; }

signals:
    // A later start asked for the panel.
    void showRequested();

private:
    struct Atoms {
        std::uint32_t selection = 0; // _HUDDLEPOD_S<uid>
        std::uint32_t show = 0;      // the target a later start asks for; on its window, that it still asks
        std::uint32_t answer = 0;    // the property on the start's window that the answer goes to
        std::uint32_t running = 0;   // names the running copy's window, on the root window and on its own
    };

    bool openDisplay();
    bool runsWithoutSelection();
    void createWindow();
    Claim handOver(std::chrono::steady_clock::time_point deadline);
    std::optional<Claim> answerIn(const void* event);
    void readEvents();
    bool answer(const std::vector<xcb_selection_request_event_t>& requests);
    void notify(const xcb_selection_request_event_t& request, bool granted);
    void takeBack();

    QByteArray display_;
    std::chrono::milliseconds answerWithin_;
    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint32_t window_ = 0; // the selection's owner once this copy runs; else where the answer comes
    Atoms atoms_;
    std::uint8_t xfixesEvent_ = 0; // the extension's first event code; 0 without XFixes
    std::unique_ptr<QSocketNotifier> events_;
    bool claimed_ = false;
    QString error_;
};

} // namespace huddlepod
