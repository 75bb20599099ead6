// The memory tier in front of the disk cache: write-through, promotion, eviction by what entries take (in
// memory and on disk), what is never stored, and the bodies of concurrent and failed downloads.
#include "platform/http/TieredNetworkCache.h"

#include "tests/support/AsyncTest.h"
#include "tests/support/LoopbackServer.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstddef>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's runtime has it; GCC ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

using huddlepod::TieredNetworkCache;
using huddlepod::test::LoopbackServer;
using huddlepod::test::waitUntil;

namespace {

QNetworkCacheMetaData metaFor(const QString& url, bool saveToDisk = true) {
    QNetworkCacheMetaData meta;
    meta.setUrl(QUrl(url));
    meta.setSaveToDisk(saveToDisk);
    meta.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
    meta.setRawHeaders({{"Cache-Control", "max-age=86400"}});
    return meta;
}

bool store(TieredNetworkCache& cache, const QString& url, const QByteArray& body, bool saveToDisk = true) {
    QIODevice* device = cache.prepare(metaFor(url, saveToDisk));
    if (!device)
        return false;
    device->write(body);
    cache.insert(device);
    return true;
}

QByteArray read(TieredNetworkCache& cache, const QString& url) {
    const std::unique_ptr<QIODevice> device(cache.data(QUrl(url)));
    return device ? device->readAll() : QByteArray("<none>");
}

// Stores answer `number` of `bodySize` bytes, received in `pieces`, described as Qt describes an answer of
// the local backend to a URL as long as a game log's.
void storeBackendAnswer(TieredNetworkCache& cache, int number, int bodySize, int pieces = 1) {
    QNetworkCacheMetaData meta;
    meta.setUrl(QUrl(QStringLiteral("http://127.0.0.1:54321/rest/v1/game_player_offense?player_id=eq."
                                    "00000000-0000-4000-8000-%1&select=game_id,team_abbr,games!inner(year,"
                                    "week,game_date,season_type,home_team_abbr,away_team_abbr,home_score,"
                                    "away_score),*&games.year=eq.2024&order=games(game_date).asc")
                         .arg(number, 12, 10, QChar('0'))));
    meta.setSaveToDisk(true);
    meta.setRawHeaders({{"Content-Length", QByteArray::number(bodySize)},
                        {"Content-Range", "0-0/*"},
                        {"Content-Type", "application/json; charset=utf-8"}});
    meta.setAttributes({{QNetworkRequest::HttpStatusCodeAttribute, 200},
                        {QNetworkRequest::HttpReasonPhraseAttribute, QByteArray("OK")}});
    QIODevice* device = cache.prepare(meta);
    for (int piece = 0; piece < pieces; ++piece)
        device->write(QByteArray(bodySize / pieces, '['));
    cache.insert(device);
}

// Bytes the process has allocated and not freed (the sanitizer's allocator stands in for malloc's).
qint64 allocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
#endif
}

} // namespace

TEST(TieredNetworkCache, writesThroughAndPromotesDiskHitsToMemory) {
    QTemporaryDir directory;
    {
        TieredNetworkCache cache(directory.path(), 100000, 100000);
        ASSERT_TRUE(store(cache, "http://h/a", "alpha"));
        EXPECT_TRUE(cache.isInMemory(QUrl("http://h/a")));
        EXPECT_GT(cache.memorySize(), 5 + 2 * 10 + 13 + 13) << "body, URL in UTF-16, header and more";
        EXPECT_EQ(read(cache, "http://h/a"), "alpha");
    }
    TieredNetworkCache restarted(directory.path(), 100000, 100000);
    EXPECT_FALSE(restarted.isInMemory(QUrl("http://h/a")));
    EXPECT_TRUE(restarted.metaData(QUrl("http://h/a")).isValid());
    EXPECT_EQ(read(restarted, "http://h/a"), "alpha");
    EXPECT_TRUE(restarted.isInMemory(QUrl("http://h/a")));
}

TEST(TieredNetworkCache, memoryTierEvictsTheLeastRecentlyUsedBeyondItsCapacity) {
    QTemporaryDir directory;
    qint64 entry = 0; // what each of these alike entries takes
    {
        TieredNetworkCache probe(directory.path(), 100000, 100000);
        store(probe, "http://h/0", "0000");
        entry = probe.memorySize();
    }
    TieredNetworkCache cache(directory.path(), entry * 5 / 2, 100000);
    store(cache, "http://h/1", "1111");
    store(cache, "http://h/2", "2222");
    read(cache, "http://h/1"); // 1 is now more recent than 2
    store(cache, "http://h/3", "3333");
    EXPECT_TRUE(cache.isInMemory(QUrl("http://h/1")));
    EXPECT_FALSE(cache.isInMemory(QUrl("http://h/2")));
    EXPECT_EQ(cache.memorySize(), 2 * entry);
    EXPECT_EQ(read(cache, "http://h/2"), "2222") << "still on disk";
    EXPECT_FALSE(cache.isInMemory(QUrl("http://h/1"))) << "made room for 2";

    // New headers count too: 2, revalidated with a long one, outgrows the room 3 leaves it.
    QNetworkCacheMetaData revalidated = cache.metaData(QUrl("http://h/2"));
    revalidated.setRawHeaders({{"Cache-Control", "max-age=86400"}, {"Link", QByteArray(entry, 'l')}});
    cache.updateMetaData(revalidated);
    EXPECT_TRUE(cache.isInMemory(QUrl("http://h/2")));
    EXPECT_FALSE(cache.isInMemory(QUrl("http://h/3")));
    EXPECT_GT(cache.memorySize(), 2 * entry);

    store(cache, "http://h/big", QByteArray(entry * 5 / 2, 'b'));
    EXPECT_FALSE(cache.isInMemory(QUrl("http://h/big")));
    EXPECT_EQ(read(cache, "http://h/big"), QByteArray(entry * 5 / 2, 'b'));
}

// Thousands of empty answers to long URLs, whose bodies alone would never fill the tier. Memory-only (an
// unwritable folder): the disk tier has no bearing on it.
TEST(TieredNetworkCache, memoryTierHoldsNoMoreThanItsCapacityOfWhatEntriesTake) {
    struct Case {
        const char* name;
        int answers;
        int bodySize;
        int pieces; // a body received in pieces has room to spare
    };
    const Case cases[] = {
        {"empty answers", 50000, 2, 1},
        {"card answers", 20000, 1500, 3},
    };
    constexpr qint64 capacity = 20'000'000;
    QTemporaryDir directory;
    QFile blocker(directory.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const qint64 before = allocatedBytes();
        ::testing::internal::CaptureStderr();
        TieredNetworkCache cache(directory.filePath("file/http"), capacity, 100'000'000);
        for (int i = 0; i < row.answers; ++i)
            storeBackendAnswer(cache, i, row.bodySize, row.pieces);
        const qint64 grown = allocatedBytes() - before;
        ::testing::internal::GetCapturedStderr();
        EXPECT_LE(cache.memorySize(), capacity);
        EXPECT_GT(cache.memorySize(), capacity - 100'000) << "the tier is in use";
        // Room for the tables of the tier's hash and list, which the entries' count shares out.
        EXPECT_LE(grown, capacity + 1'000'000);
    }
}

TEST(TieredNetworkCache, diskTierCountsItsWholeFilesAgainstItsCapacity) {
    QTemporaryDir directory;
    TieredNetworkCache cache(directory.path(), 1000, 100'000);
    for (int i = 0; i < 1000; ++i)
        storeBackendAnswer(cache, i, 2);
    qint64 files = 0;
    for (QDirIterator it(directory.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files += QFileInfo(it.next()).size();
    EXPECT_EQ(cache.cacheSize(), files);
    EXPECT_LE(files, 100'000);
}

TEST(TieredNetworkCache, keepsNothingUnsaveableAndForgetsOnRemoveAndClear) {
    QTemporaryDir directory;
    TieredNetworkCache cache(directory.path(), 100000, 100000);
    EXPECT_FALSE(store(cache, "http://h/post", "answer", false));
    EXPECT_EQ(read(cache, "http://h/post"), "<none>");

    store(cache, "http://h/a", "alpha");
    store(cache, "http://h/b", "beta");
    EXPECT_TRUE(cache.remove(QUrl("http://h/a")));
    EXPECT_EQ(read(cache, "http://h/a"), "<none>");
    EXPECT_FALSE(cache.metaData(QUrl("http://h/a")).isValid());
    QIODevice* receiving = cache.prepare(metaFor("http://h/c"));
    bool closed = false;
    QObject::connect(receiving, &QIODevice::aboutToClose, [&] { closed = true; });
    cache.clear();
    EXPECT_TRUE(closed) << "a body being received is closed before it is deleted";
    EXPECT_EQ(cache.pendingCount(), 0u);
    EXPECT_EQ(cache.memorySize(), 0);
    EXPECT_EQ(read(cache, "http://h/b"), "<none>");
}

// Qt answers a server error with a cached copy that need not be revalidated: a stale entry must be.
TEST(TieredNetworkCache, onlyStaleEntriesAskForRevalidationAndTheAskIsNeverStored) {
    QTemporaryDir directory;
    TieredNetworkCache cache(directory.path(), 100000, 100000);
    store(cache, "http://h/a", "alpha");
    const auto cacheControl = [&] { return cache.metaData(QUrl("http://h/a")).rawHeaders().at(0).second; };
    EXPECT_EQ(cacheControl(), "max-age=86400");
    QNetworkCacheMetaData meta = cache.metaData(QUrl("http://h/a"));
    meta.setExpirationDate(QDateTime::currentDateTimeUtc().addSecs(-1));
    cache.updateMetaData(meta);
    EXPECT_EQ(cacheControl(), "max-age=86400, must-revalidate, huddlepod-stale");
    meta = cache.metaData(QUrl("http://h/a")); // revalidated, as after a 304
    meta.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
    cache.updateMetaData(meta);
    EXPECT_EQ(cacheControl(), "max-age=86400");
}

// Through Qt's own replies: an aborted download of a URL must not take another download's body with it
// (Qt would write into freed memory), and failed downloads must not leave their bodies behind.
TEST(TieredNetworkCache, concurrentAndFailedDownloadsKeepTheirBodiesApart) {
    LoopbackServer server;
    QTemporaryDir directory;
    QNetworkAccessManager manager;
    auto* cache = new TieredNetworkCache(directory.path(), 100000, 1000000);
    manager.setCache(cache);
    const auto cacheable = [](LoopbackServer::Response response) {
        return response.withHeader("Cache-Control", "max-age=600");
    };
    const QUrl url = server.baseUrl().resolved(QUrl("/chunked"));
    server.setDefault("/chunked", cacheable(LoopbackServer::Response::chunked("first;", "rest")));

    std::unique_ptr<QNetworkReply> aborted(manager.get(QNetworkRequest(url)));
    const std::unique_ptr<QNetworkReply> kept(manager.get(QNetworkRequest(url)));
    ASSERT_TRUE(waitUntil([&] { return aborted->bytesAvailable() > 0 && kept->bytesAvailable() > 0; }));
    EXPECT_EQ(cache->pendingCount(), 2u);
    aborted->abort();
    aborted.reset();
    server.release();
    ASSERT_TRUE(waitUntil([&] { return kept->isFinished(); }));
    EXPECT_EQ(kept->readAll(), "first;rest");
    EXPECT_EQ(read(*cache, url.toString()), "first;rest");

    server.setDefault("/cut", cacheable(LoopbackServer::Response::cutShort(200, std::string(4000, 'x'))));
    for (int i = 0; i < 3; ++i) {
        const std::unique_ptr<QNetworkReply> cut(manager.get(QNetworkRequest(url.resolved(QUrl("/cut")))));
        ASSERT_TRUE(waitUntil([&] { return cut->isFinished(); }));
        EXPECT_NE(cut->error(), QNetworkReply::NoError);
    }
    server.setDefault("/whole", cacheable({200, "whole"}));
    const std::unique_ptr<QNetworkReply> whole(manager.get(QNetworkRequest(url.resolved(QUrl("/whole")))));
    ASSERT_TRUE(waitUntil([&] { return whole->isFinished(); }));
    EXPECT_EQ(cache->pendingCount(), 0u) << "the failed downloads' bodies were dropped";
}

TEST(TieredNetworkCache, anUnwritableFolderIsSaidOnceAndTheMemoryTierWorksAlone) {
    QTemporaryDir directory;
    QFile blocker(directory.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString folder = directory.filePath("file/http"); // under a regular file: not even root writes it
    TieredNetworkCache cache(folder, 100000, 100000);
    ::testing::internal::CaptureStderr();
    for (const char* url : {"http://h/a", "http://h/b", "http://h/c"})
        ASSERT_TRUE(store(cache, url, "body"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "huddlepod: the response cache folder " + folder.toStdString() +
                  " cannot be written (Not a directory); responses are kept in memory only\n");
    EXPECT_FALSE(cache.usesDisk());
    EXPECT_EQ(read(cache, "http://h/b"), "body");
    EXPECT_EQ(cache.metaData(QUrl("http://h/d")).isValid(), false);
}
