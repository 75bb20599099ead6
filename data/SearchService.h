// The player search: normalises the query, answers repeats from a small recency cache, else asks the backend.
#pragma once

#include "data/Models/SearchResult.h"
#include "platform/async/Cancellation.h"

#include <QHash>
#include <QString>
#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>
#include <vector>

namespace huddlepod {

class PostgRESTClient;

// Lives on the GUI thread. Requests in flight are neither shared nor cancelled by the service: two
// concurrent searches for one query both go to the backend and the later answer replaces the earlier.
class SearchService {
public:
    // Shares ownership of the client, which lives at least as long as the service. A limit of 0 keeps
    // nothing; negative counts as 0.
    explicit SearchService(std::shared_ptr<PostgRESTClient> client, int cacheLimit = 50);
    virtual ~SearchService();
    SearchService(const SearchService&) = delete;
    SearchService& operator=(const SearchService&) = delete;

    // Trimmed of white space and line breaks; none when fewer than 2 characters (grapheme clusters)
    // remain; otherwise its first 100 characters. Letter case is kept.
    static std::optional<QString> normalize(const QString& query);

    // The results in the backend's order: an empty list at once for a query too short to search; the
    // cached answer for the lower-cased normalised query; else the remote procedure "search_players" with
    // {"query_text": <normalised query as typed>}, whose answer (an empty one too) is cached. Failures
    // (PostgRESTError) propagate and are not cached.
    virtual QCoro::Task<std::vector<SearchResult>> search(QString query, CancellationToken token = {});

    // Whether the normalised, lower-cased query has an entry; changes nothing (not even recency).
    bool isCached(const QString& query) const;
    void clearCache();

protected:
    // For test doubles that override search(); the base search() must not be called.
    SearchService();

private:
    void store(std::vector<SearchResult> results, const QString& key);
    void markRecent(const QString& key);

    std::shared_ptr<PostgRESTClient> m_client;
    QHash<QString, std::vector<SearchResult>> m_cache;
    std::vector<QString> m_cacheOrder; // least recently used first
    int m_cacheLimit = 0;
};

} // namespace huddlepod
