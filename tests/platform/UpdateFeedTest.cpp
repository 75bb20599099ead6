// The update feed against a loopback server, and the update controller's prompts and daily schedule.
#include "platform/updater/UpdateFeed.h"
#include "app/UpdaterController.h"
#include "tests/support/LoopbackServer.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace huddlepod {
namespace {

using Kind = UpdateCheckResult::Kind;
using Response = test::LoopbackServer::Response;

std::string feed(const std::string& version, const std::string& url = "https://huddlepod.example/get") {
    return R"({"version": ")" + version + R"(", "url": ")" + url + R"("})";
}

class Feed : public ::testing::Test {
protected:
    UpdateCheckResult check(const QUrl& url, const QString& current = QStringLiteral("0.9.0")) {
        UpdateFeed updateFeed(url, network, std::chrono::milliseconds(300));
        std::optional<UpdateCheckResult> result;
        EXPECT_TRUE(updateFeed.check(current, [&](UpdateCheckResult r) { result = std::move(r); }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 15000));
        return result.value_or(UpdateCheckResult{});
    }
    QUrl feedUrl() const { return QUrl(server.baseUrl().toString() + QStringLiteral("/feed.json")); }

    test::LoopbackServer server;
    QNetworkAccessManager network;
};

TEST_F(Feed, namesANewerVersionAndRefusesWhatItCannotTrust) {
    const struct {
        const char* name;
        Response response;
        Kind kind;
    } cases[] = {
        {"newer, number by number", {200, feed("0.10.0")}, Kind::available},
        {"equal, missing numbers are 0", {200, feed("0.9")}, Kind::upToDate},
        {"older", {200, feed("0.8.9")}, Kind::upToDate},
        {"not a dotted number", {200, feed("0.10.0-beta")}, Kind::failed},
        {"malformed", {200, "{\"version\": \"0.2.0\""}, Kind::failed},
        {"page over plain http", {200, feed("0.2.0", "http://huddlepod.example/get")}, Kind::failed},
        {"server error", {500, feed("0.2.0")}, Kind::failed},
        {"oversized", {200, feed("0.2.0") + std::string(70 * 1024, ' ')}, Kind::failed},
        {"slow", Response::held(), Kind::failed},
    };
    for (const auto& c : cases) {
        server.enqueue("/feed.json", c.response);
        const UpdateCheckResult result = check(feedUrl());
        EXPECT_EQ(result.kind, c.kind) << c.name;
        if (c.kind == Kind::available) {
            EXPECT_EQ(result.version, QStringLiteral("0.10.0"));
            EXPECT_EQ(result.downloadPage, QUrl(QStringLiteral("https://huddlepod.example/get")));
        }
    }
    server.release();
    const std::size_t asked = server.requestCount();
    EXPECT_EQ(check(QUrl(QStringLiteral("http://example.com/feed.json"))).kind, Kind::failed);
    EXPECT_EQ(server.requestCount(), asked) << "plain http away from loopback is never sent";
}

// Versions of unequal length: a missing number counts as 0, and numbers compare as numbers, not text.
TEST(VersionOrder, comparesNumberByNumberWhateverTheLengths) {
    const struct {
        const char* left;
        const char* right;
        int order;
    } cases[] = {
        {"0.9.1", "0.9", 1}, {"0.9", "0.9.1", -1}, {"0.9", "0.9.0", 0},   {"0.9.0", "0.9", 0},
        {"1.10", "1.9", 1},  {"1.9", "1.10", -1},  {"1.0.0.1", "1", 1},   {"2", "1.99.99", 1},
        {"1.2", "1.2", 0},   {"0.10", "0.9.9", 1}, {"0.9.0.0", "0.9", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(compareVersions(QString::fromLatin1(c.left), QString::fromLatin1(c.right)), c.order)
            << c.left << " vs " << c.right;
    }
}

TEST_F(Feed, aLongerVersionWithAnotherNumberIsNewerThanTheRunningOne) {
    const struct {
        const char* running;
        const char* offered;
        Kind kind;
    } cases[] = {
        {"0.9", "0.9.1", Kind::available},
        {"0.9", "0.9.0", Kind::upToDate},
        {"0.9.1", "0.9", Kind::upToDate},
        {"1.9", "1.10", Kind::available},
    };
    for (const auto& c : cases) {
        server.enqueue("/feed.json", {200, feed(c.offered)});
        EXPECT_EQ(check(feedUrl(), QString::fromLatin1(c.running)).kind, c.kind)
            << c.offered << " offered to " << c.running;
    }
}

TEST_F(Feed, anEndlessFeedIsReadNoFurtherThanTheLimit) {
    server.enqueue("/feed.json", Response::endless(feed("99.1")));
    UpdateFeed updateFeed(feedUrl(), network, std::chrono::seconds(30));
    std::optional<UpdateCheckResult> result;
    ASSERT_TRUE(
        updateFeed.check(QStringLiteral("0.9.0"), [&](UpdateCheckResult r) { result = std::move(r); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
    EXPECT_EQ(result->failureReason, QStringLiteral("The update information is too large."));
    // The server stops once the connection is closed; until then it can only fill what the client took
    // and the two sockets' buffers. The client takes the limit into the reply, at most as much again on
    // its way there (Qt's HTTP layer), and the piece that crossed the limit.
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.streamingCount() == 0; }, 30000));
    const std::size_t read = 2 * UpdateFeed::maximumSize + 16 * 1024;
    EXPECT_LE(server.streamedBytes(), read + server.largestStreamBuffers());
}

class Updater : public Feed {
protected:
    UpdaterController& make(std::optional<QUrl> url,
                            std::chrono::milliseconds timeLimit = UpdateFeed::standardTimeLimit) {
        UpdaterController::Environment environment;
        environment.defaults = &store;
        environment.feedUrl = std::move(url);
        environment.currentVersion = QStringLiteral("0.1.0");
        environment.timeLimit = timeLimit;
        environment.now = [this] { return now; };
        environment.prompts.offerUpdate = [this](const UpdateCheckResult& r, const QString&) {
            show(QStringLiteral("offer ") + r.version);
            return true;
        };
        environment.prompts.upToDate = [this](const UpdateCheckResult&, const QString& current) {
            show(QStringLiteral("up to date ") + current);
        };
        environment.prompts.couldNotCheck = [this](const UpdateCheckResult& r) {
            show(QStringLiteral("failed: ") + r.failureReason);
        };
        environment.prompts.openPage = [this](const QUrl& page) { shown.push_back(page.toString()); };
        updater.emplace(std::move(environment));
        return *updater;
    }
    // Like a message box, a prompt runs its own event loop while it is open: here until the server sends
    // nothing more (or a few seconds have passed), noting when it still does.
    void show(const QString& message) {
        const auto idle = [this] { return server.streamingCount() == 0 && server.heldCount() == 0; };
        QEventLoop loop;
        QTimer poll;
        const QDeadlineTimer deadline(10000);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (idle() || deadline.hasExpired()) {
                loop.quit();
            }
        });
        poll.start(5);
        loop.exec();
        shown.push_back(idle() ? message : message + QStringLiteral(" (still receiving)"));
    }
    void waitForCheck(UpdaterController& controller) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return controller.canCheckForUpdates(); }, 15000));
    }

    QTemporaryDir dir;
    QSettings store{dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat};
    QDateTime now = QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC);
    QStringList shown;
    std::optional<UpdaterController> updater;
};

TEST_F(Updater, userChecksShowEveryOutcomeAndBackgroundChecksOnlyANewVersion) {
    UpdaterController& controller = make(feedUrl());
    for (const bool user : {true, false}) {
        for (const Response& response :
             {Response(200, feed("0.3.0")), Response(200, feed("0.0.1")), Response(503, "")}) {
            server.enqueue("/feed.json", response);
            user ? controller.checkForUpdates() : controller.checkForUpdatesInBackground();
            EXPECT_FALSE(controller.canCheckForUpdates());
            waitForCheck(controller);
        }
    }
    EXPECT_EQ(shown, (QStringList{"offer 0.3.0", "https://huddlepod.example/get", "up to date 0.1.0",
                                  "failed: The update server answered with status 503.", "offer 0.3.0",
                                  "https://huddlepod.example/get"}));
}

TEST_F(Updater, aCheckEndsItsDownloadBeforeItsMessageAndNeverTakesHalfAFeed) {
    // Time enough to reach the size limit however busy the machine is; then a short limit for a silent
    // server.
    UpdaterController& patient = make(feedUrl(), std::chrono::seconds(10));
    for (const Response& response :
         {Response::endless(feed("99.1")), Response::cutShort(200, feed("99.1") + std::string(400, ' '))}) {
        server.enqueue("/feed.json", response);
        patient.checkForUpdates();
        waitForCheck(patient);
    }
    UpdaterController& hasty = make(feedUrl(), std::chrono::milliseconds(300));
    server.enqueue("/feed.json", Response::held());
    hasty.checkForUpdates();
    waitForCheck(hasty);
    EXPECT_EQ(shown.join(QLatin1Char('\n')).toStdString(),
              "failed: The update information is too large.\n"
              "failed: Connection closed\n"
              "failed: The update server took too long to answer.");
}

TEST_F(Updater, automaticChecksAreOffByDefaultAndRunDaily) {
    UpdaterController& controller = make(feedUrl());
    EXPECT_FALSE(controller.automaticallyChecksForUpdates());
    EXPECT_FALSE(controller.nextAutomaticCheck());
    server.setDefault("/feed.json", {200, feed("0.1.0")});
    controller.setAutomaticallyChecksForUpdates(true);
    EXPECT_EQ(controller.nextAutomaticCheck(), now) << "never checked: due at once";
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 15000));
    waitForCheck(controller);
    EXPECT_EQ(controller.nextAutomaticCheck(), now.addDays(1));
    EXPECT_TRUE(shown.isEmpty());
}

} // namespace
} // namespace huddlepod
