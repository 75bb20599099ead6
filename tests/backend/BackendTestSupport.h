// Shared pieces of the backend tests: a generated league per test process and a loopback HTTP client.
#pragma once

#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "backend/Schema.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace huddlepod::backend::testing {

inline std::shared_ptr<LeagueDatabase> tinyLeague() {
    static const auto database = LeagueDatabase::generate({LeagueSize::Tiny, 7});
    return database;
}

using Items = std::vector<std::pair<std::string, std::string>>;

// Percent-encodes everything but RFC 3986's unreserved characters, as a careful client would.
inline std::string encode(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

inline std::string target(const std::string& path, const Items& items) {
    std::string result = path;
    for (std::size_t i = 0; i < items.size(); ++i) {
        result.push_back(i ? '&' : '?');
        result.append(encode(items[i].first));
        result.push_back('=');
        result.append(encode(items[i].second));
    }
    return result;
}

struct Reply {
    int status = 0; // 0: no HTTP answer
    std::string body;
    httplib::Headers headers;

    nlohmann::json json() const { return nlohmann::json::parse(body); }
};

class Http {
public:
    explicit Http(const BackendServer& server, std::string key = {})
        : client_("127.0.0.1", server.port())
        , key_(key.empty() ? server.anonKey() : std::move(key)) {
        client_.set_url_encode(false);
        client_.set_keep_alive(false);
        client_.set_tcp_nodelay(true);
    }

    httplib::Headers auth() const { return {{"apikey", key_}, {"Authorization", "Bearer " + key_}}; }

    Reply get(const std::string& table, const Items& items = {}) {
        return send("GET", "/rest/v1/" + table, items);
    }
    Reply rpc(const std::string& function, const std::string& body) {
        return post("/rest/v1/rpc/" + function, body);
    }
    Reply post(const std::string& path, const std::string& body) {
        return convert(client_.Post(path, auth(), body, "application/json"));
    }
    // GET, HEAD or DELETE; `withKey` false sends only `headers`.
    Reply send(const std::string& method, const std::string& path, const Items& items = {},
               const httplib::Headers& headers = {}, bool withKey = true) {
        httplib::Headers all = withKey ? auth() : httplib::Headers{};
        all.insert(headers.begin(), headers.end());
        const std::string url = target(path, items);
        return convert(method == "HEAD"     ? client_.Head(url, all)
                       : method == "DELETE" ? client_.Delete(url, all)
                                            : client_.Get(url, all));
    }

private:
    static Reply convert(const httplib::Result& result) {
        return result ? Reply{result->status, result->body, result->headers} : Reply{};
    }

    httplib::Client client_;
    std::string key_;
};

// One value of the generated data, for comparing answers with the database itself.
inline nlohmann::json one(const LeagueDatabase& database, const std::string& sql,
                          const std::vector<SqlValue>& parameters = {}) {
    const auto rows = database.query(sql, parameters);
    return rows.empty() ? nlohmann::json() : rows.front().begin().value();
}

inline nlohmann::json::json_pointer pointer(const std::string& path) {
    std::string text = "/" + path;
    std::replace(text.begin(), text.end(), '.', '/');
    return nlohmann::json::json_pointer(text);
}

// Checks "path:type …" on a row: a path is dotted ("teams.id", "history.0.year"), a type one of int, number,
// text, bool, uuid, date, object, array, and a trailing "?" allows null.
inline void expectTypes(const nlohmann::json& row, const std::string& types) {
    static const std::regex uuid("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");
    static const std::regex date("^[0-9]{4}-[0-9]{2}-[0-9]{2}$");
    std::istringstream stream(types);
    for (std::string entry; stream >> entry;) {
        SCOPED_TRACE(entry + " in " + row.dump().substr(0, 300));
        const auto colon = entry.find(':');
        std::string type = entry.substr(colon + 1);
        const auto at = pointer(entry.substr(0, colon));
        ASSERT_TRUE(row.contains(at));
        const auto& value = row.at(at);
        if (type.back() == '?') {
            type.pop_back();
            if (value.is_null()) {
                continue;
            }
        }
        const bool matches =
            type == "int"      ? value.is_number_integer()
            : type == "number" ? value.is_number()
            : type == "text"   ? value.is_string()
            : type == "bool"   ? value.is_boolean()
            : type == "object" ? value.is_object()
            : type == "array"  ? value.is_array()
            : type == "uuid"   ? value.is_string() && std::regex_match(value.get<std::string>(), uuid)
            : type == "date"   ? value.is_string() && std::regex_match(value.get<std::string>(), date)
                               : false;
        EXPECT_TRUE(matches);
    }
}

// Rows come in the order of the values at the dotted paths in `keys` (a leading '-' descends).
inline void expectOrdered(const nlohmann::json& rows, const std::string& keys) {
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::istringstream stream(keys);
        for (std::string key; stream >> key;) {
            const bool descending = key.front() == '-';
            const auto at = pointer(descending ? key.substr(1) : key);
            const auto& before = rows[i - 1].at(at);
            const auto& after = rows[i].at(at);
            if (before != after) {
                EXPECT_TRUE(descending ? after < before : before < after) << "row " << i << " by " << key;
                break;
            }
        }
    }
}

struct Read {
    std::string table;
    std::string query;                                   // as the app sends it
    std::pair<std::string, std::vector<SqlValue>> count; // counts the rows the answer must hold
    std::string order;
    std::string types;
    std::function<void(const nlohmann::json&)> check = {}; // further checks on every row
};

// Sends each read and checks its answer.
inline void expectReads(Http& http, const LeagueDatabase& database, const std::vector<Read>& reads) {
    for (const auto& read : reads) {
        SCOPED_TRACE(read.table + "?" + read.query);
        const Reply reply = http.send("GET", "/rest/v1/" + read.table + "?" + read.query);
        ASSERT_EQ(reply.status, 200) << reply.body;
        const auto rows = reply.json();
        EXPECT_EQ(rows.size(), one(database, read.count.first, read.count.second).get<std::size_t>());
        expectOrdered(rows, read.order);
        for (const auto& row : rows) {
            expectTypes(row, read.types);
            if (read.check) {
                read.check(row);
            }
        }
    }
}

} // namespace huddlepod::backend::testing
