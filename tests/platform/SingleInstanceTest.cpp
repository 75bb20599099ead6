// One copy per user and X display: which start runs, hands over or is turned away, on a private Xvfb,
// whatever the display is called and whatever the environment or the temp folder holds.
#include "platform/SingleInstance.h"

#include "tests/support/XServerHarness.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <latch>
#include <map>
#include <memory>
#include <vector>

using huddlepod::SingleInstance;
using huddlepod::test::XServerHarness;
using Claim = SingleInstance::Claim;

namespace {

constexpr uid_t otherUser = 65534; // nobody

// Environment variables set (or, empty, unset) for a scope.
class Environment {
public:
    using Values = std::map<QByteArray, QByteArray>;
    explicit Environment(const Values& values) {
        for (const auto& [name, value] : values) {
            saved_.emplace(name,
                           qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
            value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
        }
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            value ? qputenv(name, *value) : qunsetenv(name);
        }
    }

private:
    std::map<QByteArray, std::optional<QByteArray>> saved_;
};

// An X client of the test's own that holds the user's selection as a copy would.
class Peer {
public:
    explicit Peer(const QString& display)
        : connection_(xcb_connect(display.toLatin1().constData(), nullptr)) {}
    ~Peer() { xcb_disconnect(connection_); }

    xcb_atom_t atom(const QByteArray& name) const {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }
    // Takes the user's selection as a copy would, naming `channel` as its own.
    void holdSelection(const QByteArray& channel) {
        const xcb_window_t window = xcb_generate_id(connection_);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (!channel.isEmpty()) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom("_HUDDLEPOD_HANDOVER"),
                                XCB_ATOM_STRING, 8, static_cast<uint32_t>(channel.size()),
                                channel.constData());
        }
        xcb_set_selection_owner(connection_, window, atom(ourSelection()), XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); // done
    }

private:
    static QByteArray ourSelection() { return "_HUDDLEPOD_S" + QByteArray::number(::geteuid()); }
    xcb_connection_t* connection_;
};

bool isEmptyFolder(const QString& path) {
    return QDir(path)
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System)
        .isEmpty();
}

class SingleInstanceOnADisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() { x = std::make_unique<XServerHarness>(); }
    static void TearDownTestSuite() { x.reset(); }
    void SetUp() override { ASSERT_TRUE(x->isRunning()); }

    // The display under another spelling: "N" stands for its number.
    static QByteArray spelled(const char* pattern) {
        return QByteArray(pattern).replace("N", x->display().mid(1).toLatin1());
    }

    static std::unique_ptr<XServerHarness> x;
};

std::unique_ptr<XServerHarness> SingleInstanceOnADisplay::x;

} // namespace

TEST_F(SingleInstanceOnADisplay, oneCopyPerUserAndDisplayWhateverItIsCalledOrTheEnvironmentSays) {
    int shows = 0;
    std::unique_ptr<SingleInstance> first;
    {
        const Environment started(Environment::Values{{"XDG_RUNTIME_DIR", "/run/user/0"}});
        first = std::make_unique<SingleInstance>(spelled(":N"));
    }
    QObject::connect(first.get(), &SingleInstance::showRequested, [&shows] { ++shows; });
    ASSERT_EQ(first->claim(), Claim::first);

    const QByteArray deep = "/tmp/" + QByteArray(240, 'd') + "/" + QByteArray(240, 'e');
    struct Row {
        const char* display;
        std::map<QByteArray, QByteArray> environment;
    };
    const std::vector<Row> rows{
        {":N", {}},
        {":N.0", {}},
        {"unix:N", {}},
        {"unix:N.0", {}},
        {":N", {{"XDG_RUNTIME_DIR", ""}}},
        {":N", {{"XDG_RUNTIME_DIR", "/tmp/elsewhere"}}},
        {":N", {{"XDG_RUNTIME_DIR", deep}, {"HOME", deep}, {"XDG_CACHE_HOME", deep}}},
    };
    for (const Row& row : rows) {
        const Environment environment(row.environment);
        const QByteArray display = spelled(row.display);
        SingleInstance later(display);
        EXPECT_EQ(later.claim(), Claim::handedOver)
            << display.toStdString() << " " << later.errorString().toStdString();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows == static_cast<int>(rows.size()); })) << shows;

    // On another display the same user runs another copy.
    XServerHarness another;
    ASSERT_TRUE(another.isRunning());
    EXPECT_EQ(SingleInstance(another.display().toLatin1()).claim(), Claim::first);
}

TEST_F(SingleInstanceOnADisplay, aLaterStartHandsOverToTheOneListening) {
    int shows = 0;
    auto first = std::make_unique<SingleInstance>(spelled(":N"));
    QObject::connect(first.get(), &SingleInstance::showRequested, [&shows] { ++shows; });
    ASSERT_EQ(first->claim(), Claim::first);
    EXPECT_EQ(first->claim(), Claim::first); // asked again, it keeps what it has

    for (int start = 1; start <= 2; ++start) {
        EXPECT_EQ(SingleInstance(spelled(":N")).claim(), Claim::handedOver);
        EXPECT_TRUE(QTest::qWaitFor([&] { return shows == start; })) << start;
    }

    // Once the first has ended, the next start runs in its place.
    first.reset();
    SingleInstance next(spelled(":N"));
    EXPECT_EQ(next.claim(), Claim::first);
    EXPECT_EQ(SingleInstance(spelled(":N")).claim(), Claim::handedOver);
}

TEST_F(SingleInstanceOnADisplay, ofTwoStartsAtOnceExactlyOneListens) {
    for (int round = 0; round < 10; ++round) {
        std::array<Claim, 2> claims{};
        std::latch ready(2), done(2);
        std::array<std::unique_ptr<QThread>, 2> starts;
        for (size_t i = 0; i < starts.size(); ++i) {
            starts[i].reset(QThread::create([&, i] {
                SingleInstance instance(i == 0 ? spelled(":N") : spelled("unix:N.0"));
                ready.arrive_and_wait();
                claims[i] = instance.claim();
                done.arrive_and_wait(); // the first keeps running until both have claimed
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

// What runs on the display is asked, not assumed: a copy that cannot be reached is never joined by a second.
TEST_F(SingleInstanceOnADisplay, replacesWhatACopyThatHasGoneLeftBehind) {
    struct Row {
        const char* what;
        QByteArray channel;
    };
    const std::vector<Row> rows{
        {"names no channel", {}},
        {"names a channel nobody listens on", "huddlepod-0-gone"},
    };
    for (const Row& row : rows) {
        auto holder = std::make_unique<Peer>(x->display());
        holder->holdSelection(row.channel);
        EXPECT_EQ(SingleInstance(spelled(":N")).claim(), Claim::unreachable) << row.what;

        // Once its holder has gone (however it ended), the display is free again.
        holder.reset();
        SingleInstance next(spelled(":N"));
        EXPECT_EQ(next.claim(), Claim::first) << row.what << " " << next.errorString().toStdString();
    }
}

// Nothing another user may have prepared in the temp folder (a folder open to all, a link to a folder of
// theirs) is used or changes the outcome.
TEST_F(SingleInstanceOnADisplay, keepsItsFolderToTheUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "another user's folder needs root to make";
    }
    struct Row {
        const char* what;
        bool linked;
    };
    for (const Row row : {Row{"a folder open to all", false}, Row{"a link to another user's folder", true}}) {
        QTemporaryDir temp;
        const QString theirs = temp.filePath("theirs");
        ASSERT_TRUE(QDir().mkdir(theirs));
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), otherUser, otherUser), 0);
        ASSERT_TRUE(QFile::setPermissions(theirs, QFile::Permissions(0x7777)));
        const QString guardFolder = temp.filePath(QStringLiteral("huddlepod-%1").arg(::geteuid()));
        if (row.linked) {
            ASSERT_TRUE(QFile::link(theirs, guardFolder));
        } else {
            ASSERT_TRUE(QFile::rename(theirs, guardFolder));
        }
        const QString planted = row.linked ? theirs : guardFolder;

        const Environment environment(
            Environment::Values{{"TMPDIR", QFile::encodeName(temp.path())}, {"XDG_RUNTIME_DIR", ""}});
        SingleInstance first(spelled(":N"));
        EXPECT_EQ(first.claim(), Claim::first) << row.what << " " << first.errorString().toStdString();
        EXPECT_EQ(SingleInstance(spelled(":N")).claim(), Claim::handedOver) << row.what;
        EXPECT_TRUE(isEmptyFolder(planted)) << row.what;
    }
}
