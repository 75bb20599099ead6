// Starts Xvfb on a free display, runs X clients against it and cleans up.
#include "XServerHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace huddlepod::test {

namespace {

// Reads the display number Xvfb writes once it accepts connections; none if it exits first.
QString readDisplay(int fd) {
    std::string text;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n') {
        text += c;
    }
    return c == '\n' ? QStringLiteral(":") + QString::fromStdString(text) : QString();
}

} // namespace

XServerHarness::XServerHarness() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fds[1], 3); // dup2 clears close-on-exec on the copy
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ > 0) {
        display_ = readDisplay(fds[0]);
    }
    close(fds[0]);
}

XServerHarness::~XServerHarness() {
    for (auto& client : clients_) {
        client->kill();
        client->waitForFinished(5000);
    }
    clients_.clear();
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

QProcessEnvironment XServerHarness::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

int XServerHarness::run(const QString& program, const QStringList& arguments,
                        std::chrono::milliseconds timeout) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForFinished(static_cast<int>(timeout.count())) ||
        process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitCode();
}

QProcess& XServerHarness::start(const QString& program, const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->start(program, arguments);
    clients_.push_back(std::move(process));
    return *clients_.back();
}

bool XServerHarness::startTrayHost() {
    start(QStringLiteral("trayer"),
          {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
           QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request")});
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display_.toLocal8Bit().constData(), &screen);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.constData()),
        nullptr);
    const bool owned = atom != nullptr && waitFor([&] {
                           xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
                               connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
                           const bool found = owner != nullptr && owner->owner != XCB_NONE;
                           std::free(owner);
                           return found;
                       });
    std::free(atom);
    xcb_disconnect(connection);
    return owned;
}

bool XServerHarness::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeout.count()) {
            return condition();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::yieldCurrentThread();
    }
    return true;
}

} // namespace huddlepod::test
