// One copy per user and X display: which start runs, hands over or is turned away, on a private Xvfb,
// whatever the display is called, whatever the environment says and whoever else is on the display or the
// machine.
#include "platform/SingleInstance.h"

#include "tests/support/XServerHarness.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <future>
#include <latch>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace huddlepod {
// Claims by name in failure messages.
void PrintTo(SingleInstance::Claim claim, std::ostream* out) {
    static constexpr std::array names{"first", "handedOver", "unreachable", "unguarded"};
    *out << names.at(static_cast<size_t>(claim));
}
} // namespace huddlepod

using huddlepod::SingleInstance;
using huddlepod::test::XServerHarness;
using Claim = SingleInstance::Claim;
using namespace std::chrono_literals;

namespace {

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

struct Started {
    Claim claim;
    std::string error;
};

// A later start, on a thread of its own as it would be in a process of its own, while this thread's events
// run: a copy under test answers here. Without `answerWithin`, it waits as long as a start does by default.
Started startAgain(const QByteArray& display, std::optional<std::chrono::milliseconds> answerWithin = 1s) {
    auto start = std::async(std::launch::async, [&] {
        std::optional<SingleInstance> later;
        answerWithin ? later.emplace(display, *answerWithin) : later.emplace(display);
        const Claim claim = later->claim();
        return Started{claim, later->errorString().toStdString()};
    });
    XServerHarness::waitFor([&] { return start.wait_for(0s) == std::future_status::ready; }, 30s);
    return start.get();
}

// Another X client of this user's on the display, beside the copies under test.
class Peer {
public:
    explicit Peer(const QByteArray& display)
        : connection_(xcb_connect(display.constData(), nullptr)) {
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_,
                          xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    ~Peer() {
        notifier_.reset();
        xcb_disconnect(connection_);
    }

    xcb_atom_t atom(const QByteArray& name) const {
        if (name.isEmpty()) {
            return XCB_ATOM_NONE;
        }
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }
    // Takes the user's selection from whoever holds it; it answers no request, or turns each down.
    void takeSelection(bool turnsDown = false) {
        setOwner(window_);
        if (turnsDown) {
            notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                          QSocketNotifier::Read);
            QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { turnDownRequests(); });
        }
    }
    void letGo() { setOwner(XCB_WINDOW_NONE); }

    // Asks the selection's owner for `target` into `property`, `count` times at once, and waits (running this
    // thread's events) for every answer: the properties the answers name (none: turned down).
    std::vector<xcb_atom_t> ask(const QByteArray& target, const QByteArray& property, int count = 1) {
        for (int i = 0; i < count; ++i) {
            xcb_convert_selection(connection_, window_, selection(), atom(target), atom(property),
                                  XCB_CURRENT_TIME);
        }
        xcb_flush(connection_);
        std::vector<xcb_atom_t> answers;
        XServerHarness::waitFor([&] {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                if ((event->response_type & 0x7f) == XCB_SELECTION_NOTIFY) {
                    answers.push_back(reinterpret_cast<xcb_selection_notify_event_t*>(event)->property);
                }
                std::free(event);
            }
            return static_cast<int>(answers.size()) >= count;
        });
        return answers;
    }

private:
    xcb_atom_t selection() const { return atom("_HUDDLEPOD_S" + QByteArray::number(::geteuid())); }
    void setOwner(xcb_window_t owner) {
        xcb_set_selection_owner(connection_, owner, selection(), XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); // done
    }
    void turnDownRequests() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
                std::array<char, 32> notify{};
                auto* fields = reinterpret_cast<xcb_selection_notify_event_t*>(notify.data());
                fields->response_type = XCB_SELECTION_NOTIFY;
                fields->requestor = request->requestor;
                fields->selection = request->selection;
                fields->target = request->target;
                xcb_send_event(connection_, 0, request->requestor, 0, notify.data());
            }
            std::free(event);
        }
        xcb_flush(connection_);
    }

    xcb_connection_t* connection_;
    xcb_window_t window_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

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
        {":N", {{"XDG_RUNTIME_DIR", deep}, {"HOME", deep}, {"XDG_CACHE_HOME", deep}, {"TMPDIR", deep}}},
    };
    for (const Row& row : rows) {
        const Environment environment(row.environment);
        const QByteArray display = spelled(row.display);
        const Started later = startAgain(display);
        EXPECT_EQ(later.claim, Claim::handedOver) << display.toStdString() << " " << later.error;
    }
    EXPECT_EQ(shows, static_cast<int>(rows.size())); // each start was answered once it had asked

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
        EXPECT_EQ(startAgain(spelled(":N")).claim, Claim::handedOver);
        EXPECT_EQ(shows, start);
    }

    // Once the first has ended, the next start runs in its place.
    first.reset();
    SingleInstance next(spelled(":N"));
    EXPECT_EQ(next.claim(), Claim::first);
    EXPECT_EQ(startAgain(spelled(":N")).claim, Claim::handedOver);
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
                done.count_down();
                // The one that runs answers the other until both have claimed.
                XServerHarness::waitFor([&] { return done.try_wait(); });
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

// What runs on the display is asked, not assumed: another client holding the guard's selection is asked in a
// copy's place and, not saying it shows a panel, is never joined by a second copy. Once it has gone, the next
// start runs; or, when it took a running copy's selection, the copy takes it back and is asked again.
TEST_F(SingleInstanceOnADisplay, aHolderThatDoesNotShowIsNeverJoinedAndThenReplaced) {
    struct Row {
        const char* what;
        bool copyRuns, turnsDown, disconnects;
        std::string error;
        std::optional<std::chrono::milliseconds> answerWithin = 300ms; // none: a start's own
    };
    const std::vector<Row> rows{
        {"a holder that does not answer", false, false, true, "it does not answer"},
        {"a holder that turns the request down", false, true, true, "it turned the request down"},
        {"a client that takes the copy's selection and lets go", true, false, false, "it does not answer"},
        {"a client that takes the copy's selection and ends", true, false, true, "it does not answer"},
        {"a holder that does not answer a start of its own deadline", false, false, true,
         "it does not answer", std::nullopt},
    };
    for (const Row& row : rows) {
        int shows = 0;
        std::optional<SingleInstance> copy;
        if (row.copyRuns) {
            copy.emplace(spelled(":N"));
            QObject::connect(&*copy, &SingleInstance::showRequested, [&shows] { ++shows; });
            ASSERT_EQ(copy->claim(), Claim::first);
        }
        auto holder = std::make_unique<Peer>(spelled(":N"));
        holder->takeSelection(row.turnsDown);
        const auto asking = std::chrono::steady_clock::now();
        const Started asked = startAgain(spelled(":N"), row.answerWithin);
        const auto waited = std::chrono::steady_clock::now() - asking;
        EXPECT_EQ(asked.claim, Claim::unreachable) << row.what;
        EXPECT_EQ(asked.error, row.error) << row.what;
        if (!row.turnsDown) { // it gave up at its deadline, about a second for a start
            const std::chrono::milliseconds deadline = row.answerWithin.value_or(1s);
            EXPECT_GE(waited, deadline) << row.what;
            EXPECT_LT(waited, deadline + 1s) << row.what;
        }

        row.disconnects ? holder.reset() : holder->letGo();
        if (row.copyRuns) {
            // Until the copy takes it back (its thread is busy here), a start that finds the selection free
            // still does not run beside it.
            auto meanwhile =
                std::async(std::launch::async, [] { return SingleInstance(spelled(":N"), 300ms).claim(); });
            EXPECT_EQ(meanwhile.get(), Claim::unreachable) << row.what;
        }
        const Started next = startAgain(spelled(":N"));
        EXPECT_EQ(next.claim, row.copyRuns ? Claim::handedOver : Claim::first)
            << row.what << " " << next.error;
        EXPECT_EQ(shows, row.copyRuns ? 1 : 0) << row.what;
    }
}

// The running copy answers every request on the display, shows its panel only for the one a start makes while
// the start still waits, and a flood of them does not hold a start up.
TEST_F(SingleInstanceOnADisplay, showsOnlyForTheRequestAStartMakes) {
    int shows = 0;
    SingleInstance first(spelled(":N"));
    QObject::connect(&first, &SingleInstance::showRequested, [&shows] { ++shows; });
    ASSERT_EQ(first.claim(), Claim::first);
    Peer asker(spelled(":N"));

    enum class From { start, startThatGaveUp, otherClient };
    struct Row {
        const char* what;
        From from;
        QByteArray target;
        QByteArray property;
        bool shows;
    };
    const std::vector<Row> rows{
        {"a start", From::start, "", "", true},
        {"a start that gave up before the copy read its request", From::startThatGaveUp, "", "", false},
        {"another client's window asking for the panel", From::otherClient, "_HUDDLEPOD_SHOW", "ANSWER",
         false},
        {"another target", From::otherClient, "STRING", "ANSWER", false},
        {"the list of targets", From::otherClient, "TARGETS", "ANSWER", false},
        {"no property to answer in", From::otherClient, "_HUDDLEPOD_SHOW", "", false},
    };
    for (const Row& row : rows) {
        const int before = shows;
        if (row.from == From::start) {
            EXPECT_EQ(startAgain(spelled(":N")).claim, Claim::handedOver) << row.what;
        } else if (row.from == From::startThatGaveUp) {
            // The copy is busy (this thread runs no events) until the start has given up; then it reads the
            // request, before another client's.
            EXPECT_EQ(
                std::async(std::launch::async, [] { return SingleInstance(spelled(":N"), 300ms).claim(); })
                    .get(),
                Claim::unreachable);
            EXPECT_EQ(asker.ask("STRING", "ANSWER"), std::vector{xcb_atom_t{XCB_ATOM_NONE}}) << row.what;
        } else {
            EXPECT_EQ(asker.ask(row.target, row.property), std::vector{xcb_atom_t{XCB_ATOM_NONE}})
                << row.what;
        }
        EXPECT_EQ(shows, before + (row.shows ? 1 : 0)) << row.what;
    }

    const std::vector<xcb_atom_t> refused = asker.ask("STRING", "ANSWER", 5000);
    EXPECT_EQ(std::count(refused.begin(), refused.end(), xcb_atom_t{XCB_ATOM_NONE}), 5000);
    EXPECT_EQ(startAgain(spelled(":N")).claim, Claim::handedOver);
}

namespace {

// How long a process of another account hammered the display and anything of ours it could name.
struct Flood {
    int rounds = 0;
};

// Connects to a local socket (an abstract name starts with '@'), without waiting on a full queue, and for the
// display sends an X setup without a cookie; whether it was taken (for the display: let in). Plain system
// calls: it runs after fork().
bool reach(const char* name, bool display) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t length = std::min(std::strlen(name), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path, name, length);
    if (name[0] == '@') {
        address.sun_path[0] = '\0';
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    bool taken = ::connect(fd, reinterpret_cast<const sockaddr*>(&address),
                           static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length)) == 0;
    if (taken && display) {
        static constexpr char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        pollfd answered{fd, POLLIN, 0};
        char status = 0;
        taken = ::write(fd, setup, sizeof setup) == sizeof setup && ::poll(&answered, 1, 5000) == 1 &&
                ::read(fd, &status, 1) == 1 && status == 1;
    }
    ::close(fd);
    return taken;
}

// The abstract names this process listens on, which the kernel lists to every account ("@name").
std::vector<QByteArray> listeningNames() {
    QStringList sockets; // "socket:[inode]" of this process's descriptors
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System)) {
        sockets << fd.symLinkTarget().section('/', -1);
    }
    QFile table("/proc/net/unix");
    std::vector<QByteArray> names;
    if (table.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' '); // … Flags Type St Inode Path
            if (fields.size() == 8 && fields[3] == "00010000" && fields[7].startsWith('@') &&
                sockets.contains(QStringLiteral("socket:[%1]").arg(QString::fromLatin1(fields[6])))) {
                names.push_back(fields[7]);
            }
        }
    }
    return names;
}

// As another account until `stop` reaches its end: hammers the display's sockets and `names`, writing 'r' to
// `out` after its first round and the Flood at the end.
[[noreturn]] void flood(const std::vector<QByteArray>& names, const QByteArray& displayNumber, int stop,
                        int out) {
    ::alarm(30);                                        // never outlives a test that failed to stop it
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) { // nobody
        ::_exit(2);
    }
    char path[64] = "/tmp/.X11-unix/X";
    char abstract[64] = "@/tmp/.X11-unix/X";
    std::strncat(path, displayNumber.constData(), 16);
    std::strncat(abstract, displayNumber.constData(), 16);
    Flood result;
    for (pollfd stopped{stop, POLLIN, 0}; ::poll(&stopped, 1, 0) == 0; ++result.rounds) {
        reach(path, true);
        reach(abstract, true);
        for (const QByteArray& name : names) {
            reach(name.constData(), false);
        }
        if (result.rounds == 0) {
            (void)!::write(out, "r", 1);
        }
    }
    (void)!::write(out, &result, sizeof result);
    ::_exit(0);
}

} // namespace

// A process of another account on the machine, without the display's cookie, hammers whatever it can name:
// the display, and any socket the running copy listens on. Every start hands over all the while, and a client
// let in on the display that is not a start is not shown the panel.
TEST(SingleInstanceBehindACookie, anotherAccountCannotReachOrHoldItUp) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "another user's process needs root to start";
    }
    XServerHarness x(QSize(320, 240), XServerHarness::Access::cookie);
    ASSERT_TRUE(x.isRunning());
    const Environment cookie(Environment::Values{{"XAUTHORITY", QFile::encodeName(x.authorityFile())}});
    const QByteArray display = x.display().toLatin1();

    int shows = 0;
    SingleInstance first(display);
    QObject::connect(&first, &SingleInstance::showRequested, [&shows] { ++shows; });
    ASSERT_EQ(first.claim(), Claim::first);

    // It stops once `stop` closes; its results come through `results`.
    int stop[2], results[2];
    ASSERT_EQ(::pipe2(stop, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(results, O_CLOEXEC), 0);
    const std::vector<QByteArray> names = listeningNames();
    const pid_t flooder = ::fork();
    if (flooder == 0) {
        ::close(stop[1]);
        flood(names, display.mid(1), stop[0], results[1]);
    }
    ::close(stop[0]);
    ::close(results[1]);
    char ready = 0;
    ASSERT_EQ(::read(results[0], &ready, 1), 1);

    for (int start = 1; start <= 10; ++start) {
        const Started later = startAgain(display);
        EXPECT_EQ(later.claim, Claim::handedOver) << start << " " << later.error;
    }
    EXPECT_EQ(shows, 10);
    Peer other(display);
    EXPECT_EQ(other.ask("_HUDDLEPOD_SHOW", "ANSWER"), std::vector{xcb_atom_t{XCB_ATOM_NONE}});
    EXPECT_EQ(shows, 10);

    ::close(stop[1]);
    Flood result;
    EXPECT_EQ(::read(results[0], &result, sizeof result), static_cast<ssize_t>(sizeof result));
    ::close(results[0]);
    ::waitpid(flooder, nullptr, 0);
    EXPECT_GT(result.rounds, 0);
}
