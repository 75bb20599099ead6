// The search_players procedure: case- and accent-insensitive matching on whole names and name parts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace huddlepod::backend {

class Connection;

class PlayerSearch {
public:
    static constexpr std::size_t resultLimit = 25;

    explicit PlayerSearch(Connection& connection); // reads every player's precomputed search row once

    // The JSON array answered for a query: best matches first, at most `resultLimit` rows.
    std::string search(std::string_view query) const;

    // Lower case without accents; apostrophes and periods dropped; any other run of non-letters one space.
    static std::string normalize(std::string_view text);

private:
    struct Entry {
        std::string json;
        std::string name; // normalized full name
        std::vector<std::string> tokens;
        std::string fullName;
        long long prominence = 0;
    };
    std::vector<Entry> entries_;
};

} // namespace huddlepod::backend
