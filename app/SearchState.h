// The state of the panel's search: what the result area shows.
#pragma once

#include "data/Models/SearchResult.h"

#include <QString>

#include <vector>

namespace huddlepod {

class SearchState {
public:
    enum class Kind { results, empty, failed, idle, loading };

    SearchState() = default;
    // Rows to list, in the order the service returned them; never empty.
    static SearchState results(std::vector<SearchResult> rows) {
        return SearchState(Kind::results, std::move(rows), {});
    }
    // The search finished without rows; carries the normalised query.
    static SearchState empty(QString query) { return SearchState(Kind::empty, {}, std::move(query)); }
    static SearchState failed(QString message) { return SearchState(Kind::failed, {}, std::move(message)); }
    static SearchState idle() { return {}; }
    static SearchState loading() { return SearchState(Kind::loading, {}, {}); }

    Kind kind() const { return m_kind; }
    // The rows of `results`; empty in every other state.
    const std::vector<SearchResult>& rows() const { return m_rows; }
    // The query of `empty`.
    const QString& query() const { return m_text; }
    // The message of `failed`.
    const QString& message() const { return m_text; }

    bool operator==(const SearchState&) const = default;

private:
    SearchState(Kind kind, std::vector<SearchResult> rows, QString text)
        : m_kind(kind)
        , m_rows(std::move(rows))
        , m_text(std::move(text)) {}

    Kind m_kind = Kind::idle;
    std::vector<SearchResult> m_rows;
    QString m_text;
};

} // namespace huddlepod
