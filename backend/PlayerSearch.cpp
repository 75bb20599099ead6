// The search_players procedure.
#include "backend/PlayerSearch.h"

#include "backend/Sqlite.h"

#include <algorithm>

namespace huddlepod::backend {

namespace {

constexpr std::size_t maxQueryBytes = 400;

// U+00C0 to U+017F folded to plain lower-case letters ("" for the two signs in that range).
const char* const latinFold[] = {
    "a", "a", "a",  "a",  "a", "a", "ae", "c",  "e",  "e", "e", "e", "i",  "i",  "i", "i", "d", "n",
    "o", "o", "o",  "o",  "o", " ", "o",  "u",  "u",  "u", "u", "y", "th", "ss", "a", "a", "a", "a",
    "a", "a", "ae", "c",  "e", "e", "e",  "e",  "i",  "i", "i", "i", "d",  "n",  "o", "o", "o", "o",
    "o", " ", "o",  "u",  "u", "u", "u",  "y",  "th", "y", "a", "a", "a",  "a",  "a", "a", "c", "c",
    "c", "c", "c",  "c",  "c", "c", "d",  "d",  "d",  "d", "e", "e", "e",  "e",  "e", "e", "e", "e",
    "e", "e", "g",  "g",  "g", "g", "g",  "g",  "g",  "g", "h", "h", "h",  "h",  "i", "i", "i", "i",
    "i", "i", "i",  "i",  "i", "i", "ij", "ij", "j",  "j", "k", "k", "k",  "l",  "l", "l", "l", "l",
    "l", "l", "l",  "l",  "l", "n", "n",  "n",  "n",  "n", "n", "n", "n",  "n",  "o", "o", "o", "o",
    "o", "o", "oe", "oe", "r", "r", "r",  "r",  "r",  "r", "s", "s", "s",  "s",  "s", "s", "s", "s",
    "t", "t", "t",  "t",  "t", "t", "u",  "u",  "u",  "u", "u", "u", "u",  "u",  "u", "u", "u", "u",
    "w", "w", "y",  "y",  "y", "z", "z",  "z",  "z",  "z", "z", "s",
};

// Decodes one UTF-8 sequence at `i`; malformed bytes decode as U+FFFD and advance by one.
char32_t decode(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = lead < 0x80           ? 1
                 : (lead >> 5) == 0x6  ? 2
                 : (lead >> 4) == 0xE  ? 3
                 : (lead >> 3) == 0x1E ? 4
                                       : 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    i += static_cast<std::size_t>(length);
    return cp;
}

void encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find(' ', start);
        tokens.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return tokens;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Each query token must begin a distinct name token; `ordered` also keeps the query's order.
bool prefixesMatch(const std::vector<std::string>& query, const std::vector<std::string>& name,
                   bool ordered) {
    std::vector<char> used(name.size(), 0);
    std::size_t from = 0;
    for (const auto& token : query) {
        bool found = false;
        for (std::size_t i = ordered ? from : 0; i < name.size(); ++i) {
            if (!used[i] && startsWith(name[i], token)) {
                used[i] = 1;
                from = i + 1;
                found = true;
                break;
            }
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string PlayerSearch::normalize(std::string_view text) {
    if (text.size() > maxQueryBytes) {
        text = text.substr(0, maxQueryBytes);
    }
    std::string out;
    bool pendingSpace = false;
    auto put = [&](std::string_view piece) {
        if (pendingSpace && !out.empty()) {
            out.push_back(' ');
        }
        pendingSpace = false;
        out.append(piece);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t cp = decode(text, i);
        if (cp == '\'' || cp == '.' || cp == 0x2019 || cp == 0x2018 || cp == 0x02BC) {
            continue;
        }
        if ((cp >= 'a' && cp <= 'z') || (cp >= '0' && cp <= '9')) {
            put(std::string(1, static_cast<char>(cp)));
        } else if (cp >= 'A' && cp <= 'Z') {
            put(std::string(1, static_cast<char>(cp - 'A' + 'a')));
        } else if (cp >= 0xC0 && cp <= 0x17F) {
            const std::string_view folded = latinFold[cp - 0xC0];
            if (folded == " ") {
                pendingSpace = true;
            } else {
                put(folded);
            }
        } else if (cp < 0x80 || cp == 0xFFFD || (cp >= 0x2000 && cp <= 0x206F) || cp == 0xA0) {
            pendingSpace = true; // ASCII punctuation, spaces and general punctuation separate words
        } else {
            std::string encoded;
            encode(cp, encoded);
            put(encoded);
        }
    }
    return out;
}

PlayerSearch::PlayerSearch(Connection& connection) {
    auto statement = connection.prepare(
        "SELECT json_object('id', player_id, 'full_name', full_name, 'primary_position', primary_position, "
        "'career_start', career_start, 'career_end', career_end, "
        "'is_hof', json(CASE WHEN is_hof THEN 'true' ELSE 'false' END), "
        "'is_active', json(CASE WHEN is_active THEN 'true' ELSE 'false' END), 'teams', json(teams), "
        "'draft_year', draft_year, 'draft_team_abbr', draft_team_abbr, 'draft_team_name', draft_team_name, "
        "'draft_team_city', draft_team_city, 'draft_team_logo_url', draft_team_logo_url), "
        "full_name, coalesce(career_av, 0) FROM player_search ORDER BY rowid");
    while (statement->step()) {
        Entry entry;
        entry.json = statement->text(0);
        entry.fullName = statement->text(1);
        entry.name = normalize(entry.fullName);
        entry.tokens = split(entry.name);
        entry.prominence = statement->integer(2);
        entries_.push_back(std::move(entry));
    }
}

std::string PlayerSearch::search(std::string_view query) const {
    const std::string wanted = normalize(query);
    if (wanted.empty()) {
        return "[]";
    }
    const std::vector<std::string> words = split(wanted);
    struct Hit {
        int score;
        const Entry* entry;
    };
    std::vector<Hit> hits;
    for (const auto& entry : entries_) {
        bool possible = true;
        for (const auto& word : words) {
            if (entry.name.find(word) == std::string::npos) {
                possible = false;
                break;
            }
        }
        if (!possible) {
            continue;
        }
        int score = 200; // every word occurs somewhere in the name
        if (entry.name == wanted) {
            score = 1000;
        } else if (startsWith(entry.name, wanted)) {
            score = 800;
        } else if (prefixesMatch(words, entry.tokens, true)) {
            score = 600;
        } else if (prefixesMatch(words, entry.tokens, false)) {
            score = 500;
        } else if (entry.name.find(wanted) != std::string::npos) {
            score = 300;
        }
        for (const auto& word : words) {
            score += std::count(entry.tokens.begin(), entry.tokens.end(), word) > 0 ? 10 : 0;
        }
        hits.push_back({score, &entry});
    }
    const std::size_t count = std::min(hits.size(), resultLimit);
    std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(count), hits.end(),
                      [](const Hit& a, const Hit& b) {
                          if (a.score != b.score) {
                              return a.score > b.score;
                          }
                          if (a.entry->prominence != b.entry->prominence) {
                              return a.entry->prominence > b.entry->prominence;
                          }
                          if (a.entry->fullName != b.entry->fullName) {
                              return a.entry->fullName < b.entry->fullName;
                          }
                          return a.entry < b.entry;
                      });
    std::string out = "[";
    for (std::size_t i = 0; i < count; ++i) {
        out += (i ? "," : "") + hits[i].entry->json;
    }
    return out + "]";
}

} // namespace huddlepod::backend
