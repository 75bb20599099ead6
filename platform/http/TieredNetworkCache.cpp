// The memory tier and its write-through to the disk cache.
#include "platform/http/TieredNetworkCache.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QMetaMethod>
#include <QNetworkDiskCache>
#include <QTemporaryFile>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace huddlepod {

namespace {

QIODevice* readOnlyBuffer(const QByteArray& body) {
    auto* buffer = new QBuffer;
    buffer->setData(body);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

// The buffer a reply writes a body into. Qt's reply listens for the device closing so that it can let go
// of it; once nobody listens, the reply is gone and the body will never be inserted.
class PendingBody : public QBuffer {
public:
    bool isAbandoned() const { return !isSignalConnected(QMetaMethod::fromSignal(&QIODevice::aboutToClose)); }
};

// Qt's network layer answers a server error (5xx) with the cached copy of the URL, keeping the error code,
// unless the copy "must-revalidate". A copy it went to the network for is stale, so a stale entry is
// described with that directive (marked as ours) and the server's error reaches the caller. Fresh entries,
// which Qt serves without asking the network, are left as they are.
const QByteArray cacheControl = "Cache-Control";
const QByteArray staleMark = "must-revalidate, huddlepod-stale";

QNetworkCacheMetaData describedForErrors(QNetworkCacheMetaData metaData) {
    const QDateTime expires = metaData.expirationDate();
    if (!metaData.isValid() || (expires.isValid() && QDateTime::currentDateTimeUtc() <= expires))
        return metaData;
    QNetworkCacheMetaData::RawHeaderList headers = metaData.rawHeaders();
    const auto existing = std::find_if(headers.begin(), headers.end(), [](const auto& header) {
        return header.first.compare(cacheControl, Qt::CaseInsensitive) == 0;
    });
    if (existing == headers.end())
        headers.append({cacheControl, staleMark});
    else
        existing->second += ", " + staleMark;
    metaData.setRawHeaders(headers);
    return metaData;
}

// Takes the mark off a description that went out through metaData() and comes back to be stored.
QNetworkCacheMetaData withoutStaleMark(QNetworkCacheMetaData metaData) {
    QNetworkCacheMetaData::RawHeaderList headers = metaData.rawHeaders();
    for (auto it = headers.begin(); it != headers.end();) {
        if (it->first.compare(cacheControl, Qt::CaseInsensitive) == 0 && it->second.endsWith(staleMark)) {
            it->second.chop(staleMark.size());
            while (it->second.endsWith(' ') || it->second.endsWith(','))
                it->second.chop(1);
            if (it->second.isEmpty()) {
                it = headers.erase(it);
                continue;
            }
        }
        ++it;
    }
    metaData.setRawHeaders(headers);
    return metaData;
}

// What an entry takes in memory besides the bytes of its texts, measured with glibc's allocator on x86-64
// (Qt 6.4) and rounded up. An empty answer to a long URL takes some 3.5 KB, most of it Qt's table of two
// attributes and the URL in UTF-16.
constexpr qint64 textOverhead = 40;   // a QByteArray's or QString's header, terminator and malloc's share
constexpr qint64 urlOverhead = 400;   // QUrl's private part and the texts of its parts
constexpr qint64 entryOverhead = 300; // the metadata's private part, our hash and recency nodes
constexpr qint64 headerOverhead = 48 + 2 * textOverhead; // a header's place in the list, its two texts
constexpr qint64 attributeTable = 2200; // Qt's hash of attributes starts with room for 48 of them

qint64 footprint(const QNetworkCacheMetaData& metaData, const QByteArray& body) {
    // QUrl keeps its parts as UTF-16 text.
    qint64 size =
        entryOverhead + urlOverhead + 2 * metaData.url().toEncoded().size() + textOverhead + body.size();
    for (const auto& [name, value] : metaData.rawHeaders())
        size += headerOverhead + name.size() + value.size();
    const QNetworkCacheMetaData::AttributesMap attributes = metaData.attributes();
    if (!attributes.isEmpty())
        size += attributeTable;
    for (const QVariant& value : attributes) {
        if (value.typeId() == QMetaType::QByteArray)
            size += textOverhead + value.toByteArray().size();
        else if (value.typeId() == QMetaType::QString)
            size += textOverhead + 2 * value.toString().size();
    }
    return size;
}

} // namespace

TieredNetworkCache::TieredNetworkCache(const QString& directory, qint64 memoryCapacity, qint64 diskCapacity,
                                       QObject* parent)
    : QAbstractNetworkCache(parent)
    , m_disk(new QNetworkDiskCache(this))
    , m_memoryCapacity(memoryCapacity) {
    m_disk->setCacheDirectory(directory);
    m_disk->setMaximumCacheSize(diskCapacity);
}

TieredNetworkCache::~TieredNetworkCache() {
    for (auto it = m_preparing.begin(); it != m_preparing.end();)
        it = discard(it);
}

QNetworkCacheMetaData TieredNetworkCache::metaData(const QUrl& url) {
    if (const auto it = m_memory.find(url); it != m_memory.end())
        return describedForErrors(it->metaData);
    if (!m_disk)
        return {};
    return describedForErrors(m_disk->metaData(url));
}

void TieredNetworkCache::updateMetaData(const QNetworkCacheMetaData& described) {
    const QNetworkCacheMetaData metaData = withoutStaleMark(described);
    // Stored anew, so that the entry is counted with its new headers and holds one URL, the metadata's.
    if (const auto it = m_memory.find(metaData.url()); it != m_memory.end())
        storeInMemory(metaData, it->body);
    if (diskWritable())
        m_disk->updateMetaData(metaData);
}

QIODevice* TieredNetworkCache::data(const QUrl& url) {
    if (const auto it = m_memory.find(url); it != m_memory.end()) {
        touch(*it);
        return readOnlyBuffer(it->body);
    }
    if (!m_disk)
        return nullptr;
    const std::unique_ptr<QIODevice> stored(m_disk->data(url));
    if (!stored)
        return nullptr;
    const QByteArray body = stored->readAll();
    storeInMemory(m_disk->metaData(url), body);
    return readOnlyBuffer(body);
}

bool TieredNetworkCache::remove(const QUrl& url) {
    // Another download of the same URL may be under way: its body stays its own.
    dropAbandoned();
    bool removed = false;
    if (m_memory.contains(url)) {
        removeFromMemory(url);
        removed = true;
    }
    return (m_disk && m_disk->remove(url)) || removed;
}

qint64 TieredNetworkCache::cacheSize() const {
    return m_disk ? m_disk->cacheSize() : m_memorySize;
}

QIODevice* TieredNetworkCache::prepare(const QNetworkCacheMetaData& described) {
    const QNetworkCacheMetaData metaData = withoutStaleMark(described);
    if (!metaData.isValid() || !metaData.url().isValid() || !metaData.saveToDisk())
        return nullptr;
    dropAbandoned();
    auto buffer = std::make_unique<PendingBody>();
    buffer->open(QIODevice::ReadWrite);
    QIODevice* device = buffer.get();
    m_preparing.emplace(device, std::make_pair(metaData, std::move(buffer)));
    return device;
}

void TieredNetworkCache::insert(QIODevice* device) {
    const auto it = m_preparing.find(device);
    if (it == m_preparing.end())
        return;
    const QNetworkCacheMetaData metaData = it->second.first;
    QByteArray body = static_cast<QBuffer*>(device)->data();
    discard(it);
    dropAbandoned();

    if (diskWritable()) {
        if (QIODevice* disk = m_disk->prepare(metaData)) {
            disk->write(body);
            m_disk->insert(disk);
        }
    }
    storeInMemory(metaData, std::move(body));
}

void TieredNetworkCache::clear() {
    // Downloads under way go on, but their bodies are no longer kept.
    for (auto it = m_preparing.begin(); it != m_preparing.end();)
        it = discard(it);
    m_memory.clear();
    m_recency.clear();
    m_memorySize = 0;
    if (m_disk)
        m_disk->clear();
}

void TieredNetworkCache::storeInMemory(const QNetworkCacheMetaData& metaData, QByteArray body) {
    // The key and the recency list share the metadata's URL.
    const QUrl url = metaData.url();
    removeFromMemory(url);
    // A body grown piece by piece has room to spare, which would be held as long as the entry.
    if (body.capacity() > body.size())
        body.squeeze();
    const qint64 size = footprint(metaData, body);
    if (size > m_memoryCapacity)
        return;
    while (m_memorySize + size > m_memoryCapacity && !m_recency.empty())
        removeFromMemory(m_recency.front());
    m_recency.push_back(url);
    m_memory.insert(url, Entry{metaData, std::move(body), std::prev(m_recency.end()), size});
    m_memorySize += size;
}

void TieredNetworkCache::removeFromMemory(const QUrl& url) {
    const auto it = m_memory.find(url);
    if (it == m_memory.end())
        return;
    m_memorySize -= it->footprint;
    m_recency.erase(it->recency);
    m_memory.erase(it);
}

void TieredNetworkCache::touch(Entry& entry) {
    m_recency.splice(m_recency.end(), m_recency, entry.recency);
}

TieredNetworkCache::Pending::iterator TieredNetworkCache::discard(Pending::iterator pending) {
    // Closing first tells a reply that still holds the device to forget it before it is deleted.
    const std::unique_ptr<QIODevice> device = std::move(pending->second.second);
    const auto next = m_preparing.erase(pending);
    device->close();
    return next;
}

bool TieredNetworkCache::diskWritable() {
    if (m_diskChecked || !m_disk)
        return m_disk != nullptr;
    m_diskChecked = true;
    // The disk cache writes each body to a new file under its folder first.
    const QString directory = QDir::cleanPath(m_disk->cacheDirectory());
    QTemporaryFile probe(directory + QStringLiteral("/probe-XXXXXX"));
    QDir().mkpath(directory);
    if (probe.open())
        return true;
    std::fprintf(
        stderr,
        "huddlepod: the response cache folder %s cannot be written (%s); responses are kept in memory "
        "only\n",
        qUtf8Printable(QDir::toNativeSeparators(directory)), qUtf8Printable(probe.errorString()));
    delete m_disk;
    m_disk = nullptr;
    return false;
}

void TieredNetworkCache::dropAbandoned() {
    for (auto it = m_preparing.begin(); it != m_preparing.end();) {
        if (static_cast<const PendingBody*>(it->first)->isAbandoned())
            it = discard(it);
        else
            ++it;
    }
}

} // namespace huddlepod
