// The memory tier in front of the disk cache: write-through, promotion, eviction, and what is never stored.
#include "platform/http/TieredNetworkCache.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using huddlepod::TieredNetworkCache;

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

} // namespace

TEST(TieredNetworkCache, writesThroughAndPromotesDiskHitsToMemory) {
    QTemporaryDir directory;
    {
        TieredNetworkCache cache(directory.path(), 1000, 100000);
        ASSERT_TRUE(store(cache, "http://h/a", "alpha"));
        EXPECT_TRUE(cache.isInMemory(QUrl("http://h/a")));
        EXPECT_EQ(cache.memorySize(), 5);
        EXPECT_EQ(read(cache, "http://h/a"), "alpha");
        EXPECT_EQ(cache.metaData(QUrl("http://h/a")).url(), QUrl("http://h/a"));
    }
    TieredNetworkCache restarted(directory.path(), 1000, 100000);
    EXPECT_FALSE(restarted.isInMemory(QUrl("http://h/a")));
    EXPECT_TRUE(restarted.metaData(QUrl("http://h/a")).isValid());
    EXPECT_EQ(read(restarted, "http://h/a"), "alpha");
    EXPECT_TRUE(restarted.isInMemory(QUrl("http://h/a")));
}

TEST(TieredNetworkCache, memoryTierEvictsTheLeastRecentlyUsedBeyondItsCapacity) {
    QTemporaryDir directory;
    TieredNetworkCache cache(directory.path(), 10, 100000);
    store(cache, "http://h/1", "1111");
    store(cache, "http://h/2", "2222");
    read(cache, "http://h/1"); // 1 is now more recent than 2
    store(cache, "http://h/3", "3333");
    EXPECT_TRUE(cache.isInMemory(QUrl("http://h/1")));
    EXPECT_FALSE(cache.isInMemory(QUrl("http://h/2")));
    EXPECT_TRUE(cache.isInMemory(QUrl("http://h/3")));
    EXPECT_EQ(cache.memorySize(), 8);
    EXPECT_EQ(read(cache, "http://h/2"), "2222") << "still on disk";

    store(cache, "http://h/big", "more than ten bytes");
    EXPECT_FALSE(cache.isInMemory(QUrl("http://h/big")));
    EXPECT_EQ(read(cache, "http://h/big"), "more than ten bytes");
}

TEST(TieredNetworkCache, keepsNothingUnsaveableAndForgetsOnRemoveAndClear) {
    QTemporaryDir directory;
    TieredNetworkCache cache(directory.path(), 1000, 100000);
    EXPECT_FALSE(store(cache, "http://h/post", "answer", false));
    EXPECT_EQ(read(cache, "http://h/post"), "<none>");

    store(cache, "http://h/a", "alpha");
    store(cache, "http://h/b", "beta");
    EXPECT_TRUE(cache.remove(QUrl("http://h/a")));
    EXPECT_EQ(read(cache, "http://h/a"), "<none>");
    EXPECT_FALSE(cache.metaData(QUrl("http://h/a")).isValid());

    QIODevice* abandoned = cache.prepare(metaFor("http://h/c"));
    ASSERT_TRUE(abandoned);
    abandoned->write("partial");
    EXPECT_TRUE(cache.remove(QUrl("http://h/c"))) << "removing cancels an insert in progress";
    EXPECT_EQ(read(cache, "http://h/c"), "<none>");

    cache.clear();
    EXPECT_EQ(cache.memorySize(), 0);
    EXPECT_EQ(read(cache, "http://h/b"), "<none>");
}
