// One running copy per user and X display: the running copy owns a selection of the display named for the
// user, and a later start asks it, over its handover channel, to show its panel.
#pragma once

#include "platform/HandoverChannel.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

struct xcb_connection_t;
class QSocketNotifier;

namespace huddlepod {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        first,       // this process runs; later starts on the display reach it
        handedOver,  // another copy runs on the display and was asked to show its panel
        unreachable, // another copy runs on the display but could not be asked (see errorString())
        unguarded,   // the display could not be asked (see errorString()); run without the guard
    };

    // `display` as X clients name it (":0", "unix:0.0", "host:1"…): the display itself tells its spellings
    // apart.
    explicit SingleInstance(QByteArray display, QObject* parent = nullptr);
    SingleInstance(QByteArray display, HandoverChannel::Limits limits, QObject* parent = nullptr);
    ~SingleInstance() override;

    // $DISPLAY, the display this process's windows go to.
    static QByteArray standardDisplay();

    // Asks the display whether a copy of this user's runs there, under a server grab so that of copies
    // started at once exactly one runs: if none does, this one takes the display's selection; else it is
    // asked for its panel. Nothing here reads or writes a file.
    Claim claim();
    QString errorString() const { return error_; }

signals:
    // A later start asked for the panel.
    void showRequested();

private:
    Claim handOver(const QByteArray& channelName);
    void readEvents();

    QByteArray display_;
    HandoverChannel channel_;
    xcb_connection_t* connection_ = nullptr;
    std::unique_ptr<QSocketNotifier> events_;
    bool claimed_ = false;
    QString error_;
};

} // namespace huddlepod
