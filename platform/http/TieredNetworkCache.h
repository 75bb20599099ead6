// An HTTP response cache with a bounded in-memory tier in front of Qt's disk cache.
#pragma once

#include <QAbstractNetworkCache>
#include <QHash>
#include <QNetworkCacheMetaData>
#include <QUrl>

#include <list>
#include <memory>
#include <unordered_map>

class QNetworkDiskCache;

namespace huddlepod {

// Entries are written through to disk and kept in memory, least recently used evicted first, while the
// memory tier holds at most `memoryCapacity` bytes of what its entries take: URL, headers, other metadata
// and bookkeeping as well as the body. A disk hit is promoted to memory. Like the disk cache, it keeps only
// responses whose metadata allows saving (not POST answers, not "no-store"); the disk cache counts its files'
// whole sizes, metadata included.
//
// A body being received lives in its own buffer until insert(); remove() never touches another reply's
// buffer, and a buffer is closed before it is deleted, which makes Qt's reply let go of it. A buffer whose
// reply is gone without inserting it (a failed or aborted download) is dropped at the next prepare, insert
// or remove. An entry past its expiry date is described as one that must be revalidated, so that Qt never
// answers a server error with it. When the disk cache's folder cannot be written, that is said once on
// standard error and the memory tier works alone.
class TieredNetworkCache : public QAbstractNetworkCache {
    Q_OBJECT
public:
    TieredNetworkCache(const QString& directory, qint64 memoryCapacity, qint64 diskCapacity,
                       QObject* parent = nullptr);
    ~TieredNetworkCache() override;

    QNetworkCacheMetaData metaData(const QUrl& url) override;
    void updateMetaData(const QNetworkCacheMetaData& metaData) override;
    QIODevice* data(const QUrl& url) override;
    bool remove(const QUrl& url) override;
    qint64 cacheSize() const override;
    QIODevice* prepare(const QNetworkCacheMetaData& metaData) override;
    void insert(QIODevice* device) override;

    // What the memory tier's entries take, as counted against its capacity.
    qint64 memorySize() const { return m_memorySize; }
    bool isInMemory(const QUrl& url) const { return m_memory.contains(url); }
    // False once the disk cache's folder turned out not to be writable.
    bool usesDisk() const { return m_disk != nullptr; }
    // Bodies being received, abandoned ones not yet dropped included.
    std::size_t pendingCount() const { return m_preparing.size(); }

public slots:
    void clear() override;

private:
    struct Entry {
        QNetworkCacheMetaData metaData;
        QByteArray body;
        std::list<QUrl>::iterator recency;
        qint64 footprint;
    };

    void storeInMemory(const QNetworkCacheMetaData& metaData, QByteArray body);
    void removeFromMemory(const QUrl& url);
    void touch(Entry& entry);
    using Pending =
        std::unordered_map<QIODevice*, std::pair<QNetworkCacheMetaData, std::unique_ptr<QIODevice>>>;
    Pending::iterator discard(Pending::iterator pending);
    void dropAbandoned();
    // Whether the disk tier can store a body; the first time, asks the folder.
    bool diskWritable();

    QNetworkDiskCache* m_disk; // none once it stood aside
    bool m_diskChecked = false;
    qint64 m_memoryCapacity;
    qint64 m_memorySize = 0;
    QHash<QUrl, Entry> m_memory;
    std::list<QUrl> m_recency; // least recently used first
    Pending m_preparing;
};

} // namespace huddlepod
