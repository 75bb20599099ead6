// Query normalisation by grapheme clusters, the recency cache, and the search_players call.
#include "data/SearchService.h"

#include "data/PostgRESTClient.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace huddlepod {

namespace {

constexpr int minimumCharacters = 2;
constexpr int maximumCharacters = 100;

} // namespace

SearchService::SearchService(std::shared_ptr<PostgRESTClient> client, int cacheLimit)
    : m_client(std::move(client))
    , m_cacheLimit(std::max(cacheLimit, 0)) {}

SearchService::SearchService() = default;

SearchService::~SearchService() = default;

std::optional<QString> SearchService::normalize(const QString& query) {
    // QString::trimmed drops Unicode white space and line breaks (all of them lie in the BMP).
    const QString text = query.trimmed();
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    qsizetype cut = text.size();
    while (clusters.toNextBoundary() != -1) {
        ++count;
        if (count == maximumCharacters) {
            cut = clusters.position();
            break;
        }
    }
    if (count < minimumCharacters)
        return std::nullopt;
    return text.left(cut);
}

QCoro::Task<std::vector<SearchResult>> SearchService::search(QString query, CancellationToken token) {
    const std::optional<QString> text = normalize(query);
    if (!text)
        co_return std::vector<SearchResult>{};
    const QString key = text->toLower();
    if (const auto it = m_cache.constFind(key); it != m_cache.constEnd()) {
        std::vector<SearchResult> cached = *it;
        markRecent(key);
        co_return cached;
    }
    // Built outside the co_await: GCC 12 mishandles initializer lists inside one.
    RpcBody body{{QStringLiteral("query_text"), *text}};
    std::vector<SearchResult> results = co_await m_client->rpc<SearchResult>(
        QStringLiteral("search_players"), std::move(body), std::move(token));
    store(results, key);
    co_return results;
}

bool SearchService::isCached(const QString& query) const {
    const std::optional<QString> text = normalize(query);
    return text && m_cache.contains(text->toLower());
}

void SearchService::clearCache() {
    m_cache.clear();
    m_cacheOrder.clear();
}

void SearchService::store(std::vector<SearchResult> results, const QString& key) {
    m_cache.insert(key, std::move(results));
    markRecent(key);
    while (m_cacheOrder.size() > std::size_t(m_cacheLimit)) {
        m_cache.remove(m_cacheOrder.front());
        m_cacheOrder.erase(m_cacheOrder.begin());
    }
}

void SearchService::markRecent(const QString& key) {
    std::erase(m_cacheOrder, key);
    m_cacheOrder.push_back(key);
}

} // namespace huddlepod
