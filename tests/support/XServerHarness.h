// A private X server (Xvfb) for end-to-end tests, on a display it picks itself; never the ambient DISPLAY.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace huddlepod::test {

class XServerHarness {
public:
    // Starts Xvfb with -displayfd and waits until it names its display; isRunning() is false when it could
    // not.
    XServerHarness();
    ~XServerHarness();
    XServerHarness(const XServerHarness&) = delete;
    XServerHarness& operator=(const XServerHarness&) = delete;

    bool isRunning() const { return pid_ > 0 && !display_.isEmpty(); }
    // ":<n>"
    QString display() const { return display_; }
    // The environment for clients of this server (DISPLAY set to it).
    QProcessEnvironment environment() const;

    // Runs a client to completion (xdotool, xprop…); its exit code, or -1 when it failed to run in time.
    int run(const QString& program, const QStringList& arguments,
            std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Starts a client that keeps running; stopped when the harness ends.
    QProcess& start(const QString& program, const QStringList& arguments);
    // Starts trayer as the XEmbed tray host and waits until it owns the screen's tray selection.
    bool startTrayHost();

    // Processes Qt events until the condition holds or the timeout passes; returns the condition.
    static bool waitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    int pid_ = -1;
    QString display_;
    std::vector<std::unique_ptr<QProcess>> clients_;
};

} // namespace huddlepod::test
