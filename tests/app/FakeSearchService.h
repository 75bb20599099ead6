// A search service whose every answer the test gives; each request is logged as its query text.
#pragma once

#include "data/SearchService.h"
#include "tests/app/CallLog.h"

namespace huddlepod::testing {

class FakeSearchService final : public SearchService {
public:
    CallLog calls;

    QCoro::Task<std::vector<SearchResult>> search(QString query, CancellationToken token) override {
        return calls.record<std::vector<SearchResult>>(query, token);
    }
};

} // namespace huddlepod::testing
