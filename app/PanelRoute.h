// Which page the panel shows: the search (with the league browser) or one player's card.
#pragma once

#include "data/Models/SearchResult.h"

#include <optional>

namespace huddlepod {

class PanelRoute {
public:
    // The search page; also the default.
    PanelRoute() = default;
    static PanelRoute search() { return PanelRoute(); }
    static PanelRoute player(SearchResult result) { return PanelRoute(std::move(result)); }

    bool isSearch() const { return !m_player.has_value(); }
    bool isPlayer() const { return m_player.has_value(); }
    // The card's search result; none on the search page.
    const std::optional<SearchResult>& playerResult() const { return m_player; }

    bool operator==(const PanelRoute&) const = default;

private:
    explicit PanelRoute(SearchResult result)
        : m_player(std::move(result)) {}

    std::optional<SearchResult> m_player;
};

} // namespace huddlepod
