// Starting the program again while it runs on the same desktop (from the menu, say): the later start hands
// over to the running copy, which shows its panel, and exits; the tray keeps one icon.
#include "tests/e2e/ProgramUnderX.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using huddlepod::test::XServerHarness;

class SingleInstanceEndToEnd : public huddlepod::test::ProgramUnderX {
protected:
    // Starts another copy as the first was started.
    std::unique_ptr<QProcess> startAnother() {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(programEnvironment());
        process->start(program, {});
        return process;
    }
    // The tray's icons of ours: windows of our class no wider than an icon.
    int trayIcons() const {
        int icons = 0;
        for (const QString& id :
             xdotool({"search", "--onlyvisible", "--classname", "^huddlepod$"}).split('\n')) {
            const QString width =
                xdotool({"getwindowgeometry", "--shell", id}).section("WIDTH=", 1).section('\n', 0, 0);
            icons += !id.isEmpty() && width.toInt() <= 64 ? 1 : 0;
        }
        return icons;
    }
    int readyLines() const { return static_cast<int>(errors.count("[huddlepod] hotkey → typeable field: ")); }

    // The abstract name the program listens on for later starts, as the kernel lists it; empty when none.
    QByteArray listeningName() const {
        QStringList sockets; // "socket:[inode]" of the program's descriptors
        for (const QFileInfo& fd :
             QDir(QStringLiteral("/proc/%1/fd").arg(app.processId())).entryInfoList(QDir::System)) {
            sockets << fd.symLinkTarget().section('/', -1);
        }
        QFile table("/proc/net/unix");
        if (!table.open(QIODevice::ReadOnly)) {
            return {};
        }
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() == 8 && fields[7].startsWith("@huddlepod-") &&
                sockets.contains(QStringLiteral("socket:[%1]").arg(QString::fromLatin1(fields[6])))) {
                return fields[7].mid(1);
            }
        }
        return {};
    }
    // Connects without waiting; -1 when the listener takes no more.
    static int connectTo(const QByteArray& name) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.constData(), static_cast<size_t>(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const auto size =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(name.size()));
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    static constexpr const char* handedOver = "Huddlepod is already running here; showing its panel.\n";
};

} // namespace

TEST_F(SingleInstanceEndToEnd, aLaterStartShowsTheRunningCopysPanelAndExits) {
    launch();
    ASSERT_FALSE(panel().has_value());

    const std::unique_ptr<QProcess> second = startAnother();
    ASSERT_TRUE(second->waitForFinished(60000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().endsWith(handedOver));
    ASSERT_TRUE(XServerHarness::waitFor([this] { return readyLines() == 1; })) << errors.toStdString();
    EXPECT_TRUE(panel().has_value());

    // Asked again while the panel is open, the running copy leaves it open.
    const std::unique_ptr<QProcess> third = startAnother();
    ASSERT_TRUE(third->waitForFinished(60000));
    EXPECT_TRUE(third->readAllStandardError().endsWith(handedOver));
    EXPECT_FALSE(XServerHarness::waitFor([this] { return !panel(); }, std::chrono::seconds(1)));
    EXPECT_EQ(trayIcons(), 1);
    EXPECT_EQ(app.state(), QProcess::Running);
}

TEST_F(SingleInstanceEndToEnd, underAWindowManagerTheShownPanelTakesTheKeyboard) {
    ASSERT_TRUE(x.startWindowManager());
    launch();
    // The user was last busy in another window, then chose Huddlepod in the menu.
    x.start("xev", {"-name", "busy"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return window({"--name", "^busy$"}).has_value(); }));
    const QPoint busy = window({"--name", "^busy$"})->center();
    xdotool({"mousemove", QString::number(busy.x()), QString::number(busy.y()), "click", "1"});
    const auto active = [this] { return xdotool({"getactivewindow", "getwindowname"}); };
    ASSERT_TRUE(XServerHarness::waitFor([&] { return active() == "busy"; }));

    const std::unique_ptr<QProcess> second = startAnother();
    ASSERT_TRUE(second->waitForFinished(60000));
    ASSERT_TRUE(XServerHarness::waitFor([this] { return readyLines() == 1; })) << errors.toStdString();
    EXPECT_TRUE(XServerHarness::waitFor([&] { return active() == "Huddlepod search"; }))
        << active().toStdString();
}

// A stopped copy whose backlog is full cannot be asked for its panel: a later start says so at once and does
// not run beside it.
TEST_F(SingleInstanceEndToEnd, aStartNeverRunsBesideAStoppedCopy) {
    launch();
    const QByteArray name = listeningName();
    ASSERT_FALSE(name.isEmpty());
    ASSERT_EQ(::kill(static_cast<pid_t>(app.processId()), SIGSTOP), 0);
    std::vector<int> queued;
    for (int fd = connectTo(name); fd >= 0 && queued.size() < 10000; fd = connectTo(name)) {
        queued.push_back(fd);
    }
    ASSERT_LT(queued.size(), 10000U);

    const std::unique_ptr<QProcess> second = startAnother();
    ASSERT_TRUE(second->waitForFinished(60000));
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_TRUE(
        second->readAllStandardError().endsWith("Huddlepod is already running here but cannot be asked to "
                                                "show its panel (it takes no connections now).\n"));
    EXPECT_EQ(trayIcons(), 1);

    // Running again, it hears the next start.
    for (const int fd : queued) {
        ::close(fd);
    }
    ASSERT_EQ(::kill(static_cast<pid_t>(app.processId()), SIGCONT), 0);
    ASSERT_TRUE(XServerHarness::waitFor([this] {
        const std::unique_ptr<QProcess> next = startAnother();
        return next->waitForFinished(60000) && next->exitCode() == 0;
    }));
    EXPECT_TRUE(XServerHarness::waitFor([this] { return readyLines() == 1; })) << errors.toStdString();
    EXPECT_EQ(trayIcons(), 1);
}
