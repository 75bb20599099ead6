// The handover line: who it hears (this user's processes only, and only "show"), and what it holds on to.
#include "platform/HandoverChannel.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <vector>

using huddlepod::HandoverChannel;
using Delivery = HandoverChannel::Delivery;

namespace {

constexpr uid_t otherUser = 65534; // nobody

socklen_t addressOf(const QByteArray& name, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.constData(), static_cast<size_t>(name.size()));
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(name.size()));
}

// A connected socket of this process's to the channel; -1 when it could not connect.
int connectTo(const QByteArray& name) {
    sockaddr_un address{};
    const socklen_t size = addressOf(name, address);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int openDescriptors() {
    return static_cast<int>(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

// Runs `work` in a child process as another user (plain system calls only); `in` reads what it writes to
// `out`.
pid_t asOtherUser(const std::function<void(int out)>& work, int& in) {
    int ends[2];
    if (::pipe(ends) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        ::alarm(10); // never outlives a test that failed to reach it
        if (::setgid(otherUser) != 0 || ::setuid(otherUser) != 0) {
            ::_exit(2);
        }
        work(ends[1]);
        ::_exit(0);
    }
    ::close(ends[1]);
    in = ends[0];
    return child;
}

int exitCodeOf(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(HandoverChannel, showsOnlyForAShowLineFromThisUser) {
    HandoverChannel channel;
    int shows = 0;
    QObject::connect(&channel, &HandoverChannel::showRequested, [&shows] { ++shows; });
    ASSERT_TRUE(channel.listen());

    EXPECT_EQ(HandoverChannel::sendShow(channel.name()), Delivery::sent);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows == 1; }));

    // Only a request for the panel shows it; a line longer than any request ends the connection.
    const int stray = connectTo(channel.name());
    ASSERT_GE(stray, 0);
    const QByteArray lines = "hello\nshow\n" + QByteArray(100, 'x') + "\nshow\n";
    ASSERT_EQ(::write(stray, lines.constData(), static_cast<size_t>(lines.size())), lines.size());
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows >= 2; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.connections() == 0; }));
    EXPECT_EQ(shows, 2);
    ::close(stray);

    if (::geteuid() != 0) {
        GTEST_SKIP() << "another user's process needs root to start";
    }
    // Another user's process that reached the name is not heard.
    const QByteArray name = channel.name();
    int in = -1;
    const pid_t child = asOtherUser(
        [&name](int) {
            const int fd = connectTo(name);
            const bool wrote = fd >= 0 && ::write(fd, "show\n", 5) == 5;
            ::_exit(wrote ? 0 : 1);
        },
        in);
    ::close(in);
    ASSERT_EQ(exitCodeOf(child), 0);
    // This user's next request is heard after it, and it alone.
    EXPECT_EQ(HandoverChannel::sendShow(channel.name()), Delivery::sent);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows >= 3; }));
    EXPECT_FALSE(QTest::qWaitFor([&] { return shows > 3; }, 300));
    EXPECT_EQ(shows, 3);
}

TEST(HandoverChannel, sendsNothingToAnotherUsersListener) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "another user's process needs root to start";
    }
    const QByteArray name = "huddlepod-test-" + QByteArray::number(::getpid());
    int in = -1;
    const pid_t child = asOtherUser(
        [&name](int out) {
            sockaddr_un address{};
            const socklen_t size = addressOf(name, address);
            const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (::bind(server, reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
                ::listen(server, 4) != 0) {
                ::_exit(1);
            }
            const char ready = 'r';
            (void)!::write(out, &ready, 1);
            const int connection = ::accept(server, nullptr, nullptr);
            char heard[16];
            ssize_t total = 0;
            for (ssize_t got; (got = ::read(connection, heard, sizeof heard)) > 0;) {
                total += got;
            }
            const char count = static_cast<char>('0' + std::min<ssize_t>(total, 9));
            (void)!::write(out, &count, 1);
        },
        in);
    char ready = 0;
    ASSERT_EQ(::read(in, &ready, 1), 1);

    EXPECT_EQ(HandoverChannel::sendShow(name), Delivery::notOurs);
    char heard = 0;
    EXPECT_EQ(::read(in, &heard, 1), 1);
    EXPECT_EQ(heard, '0'); // bytes the other user's listener received
    ::close(in);
    EXPECT_EQ(exitCodeOf(child), 0);

    EXPECT_EQ(HandoverChannel::sendShow(name), Delivery::gone);
}

TEST(HandoverChannel, holdsFewConnectionsAndNoneForLong) {
    HandoverChannel channel(
        HandoverChannel::Limits{.connections = 4, .idle = std::chrono::milliseconds(200)});
    int shows = 0;
    QObject::connect(&channel, &HandoverChannel::showRequested, [&shows] { ++shows; });
    ASSERT_TRUE(channel.listen());
    const int before = openDescriptors();

    // A process of this user's that opens connections and says nothing.
    std::vector<int> silent;
    for (int i = 0; i < 200; ++i) {
        int fd = connectTo(channel.name());
        if (fd < 0) {
            QCoreApplication::processEvents(); // the copy takes them in as they come
            fd = connectTo(channel.name());
        }
        ASSERT_GE(fd, 0) << i;
        silent.push_back(fd);
    }
    // Taken in and, once idle, let go: never more than 4 held beside the test's own 200.
    int peak = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        peak = std::max(peak, openDescriptors() - before - 200);
        return channel.connections() == 0 && openDescriptors() == before + 200;
    })) << channel.connections()
        << " " << openDescriptors() - before;
    EXPECT_LE(peak, 4);
    EXPECT_GT(peak, 0);
    // A start that comes now is heard.
    EXPECT_EQ(HandoverChannel::sendShow(channel.name()), Delivery::sent);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows == 1; }));
    for (const int fd : silent) {
        ::close(fd);
    }
}
