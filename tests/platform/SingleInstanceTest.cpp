// One copy per user and desktop: where the socket goes, and which start listens, hands over or runs
// unguarded.
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <latch>
#include <memory>

using huddlepod::SingleInstance;
using Claim = SingleInstance::Claim;

namespace {

// A socket file whose owner has gone without removing it, as a crashed copy leaves it.
bool leaveStaleSocket(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

} // namespace

TEST(SingleInstance, keysTheSocketByUserAndDisplay) {
    struct Row {
        std::optional<QString> runtime, display, wayland;
        QString expected;
    };
    const std::vector<Row> rows{
        {"/run/user/1000", ":1", std::nullopt, "/run/user/1000/huddlepod-:1.socket"},
        {"/run/user/1000", ":1.0", std::nullopt, "/run/user/1000/huddlepod-:1.socket"},
        {"/run/user/1000", "localhost:10.2", std::nullopt, "/run/user/1000/huddlepod-localhost:10.socket"},
        {"/run/user/1000", "box.example.org:0", std::nullopt,
         "/run/user/1000/huddlepod-box.example.org:0.socket"},
        {"/run/user/1000", "/tmp/launch-7/org.x:0", std::nullopt,
         "/run/user/1000/huddlepod-_tmp_launch-7_org.x:0.socket"},
        {"/run/user/1000", std::nullopt, "wayland-0", "/run/user/1000/huddlepod-wayland-0.socket"},
        {"/run/user/1000", ":2", "wayland-0", "/run/user/1000/huddlepod-:2.socket"},
        {"/run/user/1000/", std::nullopt, std::nullopt, "/run/user/1000/huddlepod.socket"},
        {std::nullopt, ":1", std::nullopt, "/tmp/huddlepod-1000/huddlepod-:1.socket"},
        {"run/user/1000", ":1", std::nullopt, "/tmp/huddlepod-1000/huddlepod-:1.socket"},
    };
    for (const Row& row : rows) {
        const SingleInstance::Location location{row.runtime, row.display, row.wayland, "/tmp", 1000};
        EXPECT_EQ(SingleInstance::socketPath(location), row.expected)
            << row.runtime.value_or("-").toStdString() << " " << row.display.value_or("-").toStdString();
    }
}

TEST(SingleInstance, aLaterStartHandsOverToTheOneListening) {
    QTemporaryDir dir;
    const QString path = dir.filePath("huddlepod-:1.socket");
    int shows = 0;
    auto first = std::make_unique<SingleInstance>(path);
    QObject::connect(first.get(), &SingleInstance::showRequested, [&shows] { ++shows; });
    ASSERT_EQ(first->claim(), Claim::first);
    EXPECT_TRUE(QFileInfo::exists(path));

    for (int start = 1; start <= 2; ++start) {
        EXPECT_EQ(SingleInstance(path).claim(), Claim::handedOver);
        EXPECT_TRUE(QTest::qWaitFor([&] { return shows == start; })) << start;
    }
    // Only a request for the panel shows it.
    QLocalSocket stray;
    stray.connectToServer(path);
    ASSERT_TRUE(stray.waitForConnected());
    stray.write("hello\nshow\n");
    stray.flush();
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows >= 3; }));
    EXPECT_EQ(shows, 3);
    stray.disconnectFromServer();

    // On another display the same user runs another copy.
    EXPECT_EQ(SingleInstance(dir.filePath("huddlepod-:2.socket")).claim(), Claim::first);

    // Once the first has ended, the next start listens in its place.
    first.reset();
    EXPECT_FALSE(QFileInfo::exists(path));
    SingleInstance next(path);
    EXPECT_EQ(next.claim(), Claim::first);
    EXPECT_EQ(SingleInstance(path).claim(), Claim::handedOver);
}

TEST(SingleInstance, ofTwoStartsAtOnceExactlyOneListens) {
    QTemporaryDir dir;
    for (int round = 0; round < 10; ++round) {
        const QString path = dir.filePath(QStringLiteral("huddlepod-%1.socket").arg(round));
        std::array<Claim, 2> claims{};
        std::latch ready(2), done(2);
        std::array<std::unique_ptr<QThread>, 2> starts;
        for (size_t i = 0; i < starts.size(); ++i) {
            starts[i].reset(QThread::create([&, i] {
                SingleInstance instance(path);
                ready.arrive_and_wait();
                claims[i] = instance.claim();
                done.arrive_and_wait(); // the first keeps listening until both have claimed
            }));
            starts[i]->start();
        }
        for (const auto& start : starts) {
            start->wait();
        }
        std::sort(claims.begin(), claims.end());
        EXPECT_EQ(claims, (std::array{Claim::first, Claim::handedOver})) << round;
    }
}

TEST(SingleInstance, replacesWhatACopyThatHasGoneLeftBehind) {
    QTemporaryDir dir;
    const QString stale = dir.filePath("stale.socket");
    ASSERT_TRUE(leaveStaleSocket(stale));
    const QString file = dir.filePath("file.socket");
    QFile plain(file);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    for (const QString& path : {stale, file}) {
        SingleInstance instance(path);
        EXPECT_EQ(instance.claim(), Claim::first) << path.toStdString();
        EXPECT_EQ(SingleInstance(path).claim(), Claim::handedOver) << path.toStdString();
    }
}

TEST(SingleInstance, keepsItsFolderToTheUser) {
    QTemporaryDir dir;
    // A missing folder is made, for the user only.
    const QString own = dir.filePath("huddlepod-1000");
    SingleInstance made(own + "/huddlepod-:1.socket");
    EXPECT_EQ(made.claim(), Claim::first);
    const QFile::Permissions byWhom = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(own).permissions() & byWhom, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A folder others may write into is not trusted: the program runs, unguarded.
    const QString shared = dir.filePath("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_TRUE(QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                  QFile::WriteGroup | QFile::ExeGroup));
    SingleInstance open(shared + "/huddlepod-:1.socket");
    EXPECT_EQ(open.claim(), Claim::unguarded);
    EXPECT_EQ(open.errorString(), shared + " is open to other users");

    // A folder that cannot be made.
    SingleInstance nowhere(dir.filePath("missing/huddlepod-1000/huddlepod-:1.socket"));
    EXPECT_EQ(nowhere.claim(), Claim::unguarded);
    EXPECT_EQ(nowhere.errorString(), "cannot create " + dir.filePath("missing/huddlepod-1000"));
}
