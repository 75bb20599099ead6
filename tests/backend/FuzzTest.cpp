// Random select lists, filters, orders and bodies, in process and over loopback HTTP: only 2xx and 4xx
// answers.
#include "BackendTestSupport.h"

#include "backend/Random.h"

#include <gtest/gtest.h>

namespace huddlepod::backend::testing {
namespace {

class RequestFuzzer {
public:
    explicit RequestFuzzer(std::uint64_t seed)
        : random_(seed) {}

    HttpRequest next(const std::string& key) {
        HttpRequest request;
        request.headers = {{"apikey", key}, {"Authorization", "Bearer " + key}};
        const int kind = random_.between(0, 9);
        if (kind == 0) {
            request.method = random_.pick(std::vector<std::string>{"POST", "GET", "PUT"});
            request.path = "/rest/v1/rpc/" + (random_.chance(0.8) ? std::string("search_players") : word());
            request.body = body();
        } else {
            request.method = random_.chance(0.9)
                                 ? "GET"
                                 : random_.pick(std::vector<std::string>{"HEAD", "DELETE", "PATCH"});
            const std::string table = random_.chance(0.9) ? table_() : word();
            request.path = "/rest/v1/" + table;
            const int items = random_.between(0, 5);
            for (int i = 0; i < items; ++i) {
                request.query.push_back(item());
            }
        }
        request.target = request.path;
        return request;
    }

private:
    const Table& anyTable() { return random_.pick(Schema::instance().tables()); }
    std::string table_() { return anyTable().name; }
    std::string column() { return random_.pick(anyTable().columns).name; }

    std::string word() {
        static const std::vector<std::string> junk = {"",  "*",      "!",  "!!inner", "(",   ")",   ",",
                                                      ":", "::text", "\"", "'",       ";--", "%00", "\xff",
                                                      "é", "a.b.c",  "..", "inner",   "or",  "not"};
        return random_.chance(0.5) ? random_.pick(junk) : column();
    }

    std::string selectList(int depth) {
        std::string list;
        const int items = random_.between(0, 4);
        for (int i = 0; i < items; ++i) {
            if (i) {
                list += random_.chance(0.95) ? "," : word();
            }
            const int shape = random_.between(0, 9);
            if (shape == 0) {
                list += "*";
            } else if (shape <= 3 && depth < 4) {
                if (random_.chance(0.3)) {
                    list += column() + ":";
                }
                list += table_();
                if (random_.chance(0.3)) {
                    list += "!" + (random_.chance(0.5) ? std::string("inner") : column());
                }
                if (random_.chance(0.3)) {
                    list += "!" + word();
                }
                list += "(" + selectList(depth + 1) + (random_.chance(0.95) ? ")" : "");
            } else if (shape == 4) {
                list += word();
            } else {
                list += (random_.chance(0.2) ? word() + ":" : "") + column();
            }
        }
        return list;
    }

    std::string value() {
        static const std::vector<std::string> values = {
            "1",        "-1",         "2024",       "1.5",
            "true",     "null",       "abc",        "",
            "Sam",      "(1,2)",      "((((",       "(\"a,b\",c)",
            "\xc3\x28", "2024-09-08", "2024-13-45", "99999999999999999999"};
        return random_.chance(0.06) ? "00000000-0000-4000-8000-000000000000" : random_.pick(values);
    }

    std::string filterValue() {
        static const std::vector<std::string> ops = {"eq", "neq", "gt",   "gte", "lt", "lte",
                                                     "is", "in",  "like", "fts", ""};
        std::string text = random_.chance(0.2) ? "not." : "";
        text += random_.pick(ops) + (random_.chance(0.9) ? "." : "") + value();
        return text;
    }

    std::pair<std::string, std::string> item() {
        switch (random_.between(0, 6)) {
        case 0:
        case 1:
            return {"select", selectList(0)};
        case 2: {
            std::string order;
            for (int i = random_.between(0, 3); i > 0; --i) {
                order += (order.empty() ? "" : ",") +
                         (random_.chance(0.3) ? table_() + "(" + column() + ")" : column());
                order += random_.pick(
                    std::vector<std::string>{"", ".asc", ".desc", ".desc.nullslast", ".nullsfirst", ".up"});
            }
            return {"order", order};
        }
        case 3:
            return {"limit", value()};
        case 4: {
            std::string logic = "(";
            for (int i = random_.between(0, 3); i > 0; --i) {
                logic += column() + "." + filterValue() + (i > 1 ? "," : "");
            }
            logic += random_.chance(0.3) ? ",and(" + column() + "." + filterValue() + ")" : "";
            return {random_.pick(std::vector<std::string>{"or", "and", "not.or", "games.or"}),
                    logic + (random_.chance(0.9) ? ")" : "")};
        }
        default:
            return {(random_.chance(0.3) ? table_() + "." : "") + column(), filterValue()};
        }
    }

    std::string body() {
        static const std::vector<std::string> fixed = {"", R"({"query_text": 12})",
                                                       R"({"query_text": null, "x": 1})", "[1,2,3]",
                                                       "{\"query_text\":\"\xff\xfe\"}"};
        switch (random_.between(0, 3)) {
        case 0:
            return "{\"query_text\":" +
                   nlohmann::json(value()).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                   "}";
        case 1:
            return "{\"query_text\":\"" +
                   std::string(static_cast<std::size_t>(random_.between(0, 3000)), 'a') + "\"}";
        default:
            return random_.pick(fixed);
        }
    }

    Random random_;
};

void expectNoServerError(const HttpRequest& request, int status) {
    std::string query;
    for (const auto& [key, value] : request.query) {
        query += "&" + key + "=" + value;
    }
    EXPECT_TRUE((status >= 200 && status < 300) || (status >= 400 && status < 500))
        << status << " for " << request.method << " " << request.path << " " << query << " " << request.body;
}

TEST(Fuzz, randomRequestsInProcessGetOnly2xxOr4xx) {
    RestService service(tinyLeague(), {});
    RequestFuzzer fuzzer(20240908);
    for (int i = 0; i < 3000; ++i) {
        const HttpRequest request = fuzzer.next(defaultAnonKey);
        expectNoServerError(request, service.handle(request).status);
    }
}

TEST(Fuzz, randomRequestsOverLoopbackGetOnly2xxOr4xx) {
    BackendServer server(tinyLeague());
    Http http(server);
    RequestFuzzer fuzzer(7);
    for (int i = 0; i < 300; ++i) {
        const HttpRequest request = fuzzer.next(server.anonKey());
        const Reply reply = request.method == "POST" ? http.post(request.path, request.body)
                                                     : http.send(request.method, request.path, request.query);
        ASSERT_NE(reply.status, 0) << "the server answers every request";
        expectNoServerError(request, reply.status);
    }
    // Broken escapes reach the server as they are; it refuses them and keeps serving.
    for (const std::string path :
         {"/rest/v1/players?select=((", "/rest/v1/%zz", "/rest/v1/players?limit=%ff"}) {
        const int status = http.send("GET", path).status;
        ASSERT_NE(status, 0);
        expectNoServerError({}, status);
    }
    EXPECT_EQ(http.send("GET", "/rest/v1/players?select=id&limit=1").status, 200);
}

} // namespace
} // namespace huddlepod::backend::testing
