// Answers PostgREST requests under /rest/v1/ and the fault-control requests.
#include "backend/RestService.h"

#include "backend/ApiError.h"
#include "backend/LeagueDatabase.h"
#include "backend/PlayerSearch.h"
#include "backend/ReadSql.h"
#include "backend/Schema.h"

#include <algorithm>
#include <cctype>

namespace huddlepod::backend {

namespace {

constexpr std::string_view restPrefix = "/rest/v1/";
constexpr std::string_view controlPath = "/__control/faults";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

HttpResponse errorResponse(const ApiError& error) {
    HttpResponse response;
    response.status = error.status;
    response.body = error.body();
    if (error.status == 401) {
        response.headers.emplace_back("WWW-Authenticate", "Bearer");
    }
    return response;
}

HttpResponse methodNotAllowed(const std::string& allowed) {
    HttpResponse response = errorResponse(ApiError(405, "PGRST117", "Unsupported HTTP method", std::nullopt,
                                                   "This server is read-only; use " + allowed + "."));
    response.headers.emplace_back("Allow", allowed);
    return response;
}

std::string contentRange(std::size_t rows) {
    return rows == 0 ? "*/*" : "0-" + std::to_string(rows - 1) + "/*";
}

} // namespace

std::optional<std::string> HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

RestService::RestService(std::shared_ptr<const LeagueDatabase> database, Options options)
    : database_(std::move(database))
    , options_(std::move(options)) {}

std::vector<std::string> RestService::requests() const {
    std::lock_guard lock(logMutex_);
    return log_;
}

void RestService::clearRequests() {
    std::lock_guard lock(logMutex_);
    log_.clear();
}

std::optional<HttpResponse> RestService::checkKey(const HttpRequest& request) const {
    const auto apikey = request.header("apikey");
    if (!apikey) {
        return errorResponse(ApiError(401, "PGRST301", "No API key found in request", std::nullopt,
                                      "No `apikey` request header was found."));
    }
    const auto authorization = request.header("Authorization");
    if (*apikey != options_.anonKey || !authorization || *authorization != "Bearer " + options_.anonKey) {
        return errorResponse(ApiError(401, "PGRST301", "Invalid API key", std::nullopt,
                                      "Send the key in \"apikey\" and as \"Authorization: Bearer <key>\"."));
    }
    return std::nullopt;
}

HttpResponse RestService::handle(const HttpRequest& request) {
    try {
        return route(request);
    } catch (const ApiError& error) {
        return errorResponse(error);
    }
}

HttpResponse RestService::route(const HttpRequest& request) {
    if (request.path == controlPath) {
        if (auto refusal = checkKey(request)) {
            return *refusal;
        }
        return control(request);
    }
    if (request.path.compare(0, restPrefix.size(), restPrefix) != 0) {
        throw ApiError(404, "PGRST125", "Invalid path specified in request URL", std::nullopt,
                       "Tables are read under /rest/v1/ and procedures called under /rest/v1/rpc/.");
    }
    const std::string route = request.path.substr(restPrefix.size());
    {
        std::lock_guard lock(logMutex_);
        log_.push_back(request.method + " " + request.target);
    }
    if (auto refusal = checkKey(request)) {
        return *refusal;
    }
    const bool isProcedure = route.compare(0, 4, "rpc/") == 0;
    if (isProcedure ? request.method != "POST" : request.method != "GET" && request.method != "HEAD") {
        return methodNotAllowed(isProcedure ? "POST" : "GET, HEAD");
    }

    const auto fault = faults_.take(route);
    if (fault) {
        if (fault->dropConnection || fault->status) {
            HttpResponse response;
            response.delay = fault->delay;
            response.dropConnection = fault->dropConnection;
            if (fault->status) {
                response.status = *fault->status;
                response.body = fault->body.value_or(
                    ApiError(*fault->status, "PGRST000", "Injected failure", "status forced by a fault rule")
                        .body());
            }
            return response;
        }
    }
    HttpResponse response = isProcedure ? callProcedure(route.substr(4), request) : read(route, request);
    if (fault) {
        response.delay = fault->delay;
        if (fault->malformedRows && response.status / 100 == 2) {
            response.body = malformRows(response.body);
        }
    }
    return response;
}

HttpResponse RestService::read(const std::string& tableName, const HttpRequest& request) {
    const Table* table = Schema::instance().table(tableName);
    if (table == nullptr || !table->exposed) {
        throw ApiError(404, "PGRST205",
                       "Could not find the table 'public." + tableName + "' in the schema cache");
    }
    const ReadQuery query = parseReadQuery(request.query);
    const ReadSql sql = buildReadSql(*table, query, options_.maxRows);
    std::size_t rows = 0;
    std::string body;
    try {
        body = database_->withConnection([&](Connection& connection) {
            Statement& statement = connection.cached(sql.sql);
            statement.bindAll(sql.parameters);
            std::string out = "[";
            while (statement.step()) {
                out += rows++ ? "," : "";
                out += statement.textView(0);
            }
            statement.reset();
            return out + "]";
        });
    } catch (const SqliteError& error) {
        throw ApiError(400, "PGRST100", "\"failed to run the query\"", error.what());
    }
    HttpResponse response;
    response.body = std::move(body);
    response.headers.emplace_back("Content-Range", contentRange(rows));
    return response;
}

HttpResponse RestService::callProcedure(const std::string& function, const HttpRequest& request) {
    const nlohmann::json arguments =
        request.body.empty() ? nlohmann::json::object() : nlohmann::json::parse(request.body, nullptr, false);
    if (arguments.is_discarded() || !arguments.is_object()) {
        throw ApiError(400, "PGRST102", "Empty or invalid json", std::nullopt,
                       "Send the arguments as one JSON object, for example {\"query_text\": \"smith\"}.");
    }
    std::string names;
    for (const auto& [key, value] : arguments.items()) {
        names += (names.empty() ? "" : ", ") + key;
    }
    if (function != "search_players" || arguments.size() != 1 || !arguments.contains("query_text")) {
        throw ApiError(
            404, "PGRST202",
            "Could not find the function public." + function + "(" + names + ") in the schema cache",
            std::nullopt, "Perhaps you meant to call the function public.search_players(query_text)");
    }
    const nlohmann::json& value = arguments["query_text"];
    std::string text;
    if (value.is_string()) {
        text = value.get<std::string>();
    } else if (value.is_number() || value.is_boolean()) {
        text = value.dump();
    } else if (!value.is_null()) {
        throw ApiError(400, "22P02",
                       "invalid input syntax for type text: " +
                           value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    }
    HttpResponse response;
    response.body = value.is_null() ? "[]" : database_->playerSearch().search(text);
    return response;
}

HttpResponse RestService::control(const HttpRequest& request) {
    if (request.method == "DELETE") {
        faults_.clear();
    } else if (request.method == "POST" || request.method == "PUT") {
        const auto json = nlohmann::json::parse(request.body, nullptr, false);
        if (json.is_discarded()) {
            throw ApiError(400, "PGRST102", "Empty or invalid json");
        }
        try {
            faults_.set(faultRulesFromJson(json));
        } catch (const std::invalid_argument& error) {
            throw ApiError(400, "PGRST100", "\"failed to parse fault rules\"", error.what());
        }
    } else if (request.method != "GET") {
        return methodNotAllowed("GET, POST, DELETE");
    }
    nlohmann::json rules = nlohmann::json::array();
    for (const auto& rule : faults_.rules()) {
        nlohmann::json item = {{"route", rule.route},
                               {"delay_ms", rule.delay.count()},
                               {"malformed_rows", rule.malformedRows},
                               {"drop_connection", rule.dropConnection},
                               {"times", rule.times}};
        if (rule.status) {
            item["status"] = *rule.status;
        }
        if (rule.body) {
            item["body"] = *rule.body;
        }
        rules.push_back(std::move(item));
    }
    HttpResponse response;
    response.body = rules.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return response;
}

} // namespace huddlepod::backend
