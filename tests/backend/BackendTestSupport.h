// Shared pieces of the backend tests: a generated league per test process and a loopback HTTP client.
#pragma once

#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "backend/Schema.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace huddlepod::backend::testing {

inline std::shared_ptr<LeagueDatabase> tinyLeague() {
    static const auto database = LeagueDatabase::generate({LeagueSize::Tiny, 7});
    return database;
}

inline std::shared_ptr<LeagueDatabase> smallLeague() {
    static const auto database = LeagueDatabase::generate({LeagueSize::Small, 11});
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
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

inline std::string target(const std::string& path, const Items& items) {
    std::string result = path;
    for (std::size_t i = 0; i < items.size(); ++i) {
        result += (i ? "&" : "?") + encode(items[i].first) + "=" + encode(items[i].second);
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
    Reply head(const std::string& table, const Items& items = {}) {
        return send("HEAD", "/rest/v1/" + table, items);
    }
    Reply rpc(const std::string& function, const std::string& body) {
        return convert(client_.Post("/rest/v1/rpc/" + function, auth(), body, "application/json"));
    }
    Reply send(const std::string& method, const std::string& path, const Items& items = {},
               const httplib::Headers& headers = {}, bool withKey = true) {
        httplib::Headers all = withKey ? auth() : httplib::Headers{};
        all.insert(headers.begin(), headers.end());
        const std::string url = target(path, items);
        if (method == "HEAD") {
            return convert(client_.Head(url, all));
        }
        if (method == "DELETE") {
            return convert(client_.Delete(url, all));
        }
        return convert(client_.Get(url, all));
    }
    Reply post(const std::string& path, const std::string& body) {
        return convert(client_.Post(path, auth(), body, "application/json"));
    }

private:
    static Reply convert(const httplib::Result& result) {
        Reply reply;
        if (result) {
            reply.status = result->status;
            reply.body = result->body;
            reply.headers = result->headers;
        }
        return reply;
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

} // namespace huddlepod::backend::testing
