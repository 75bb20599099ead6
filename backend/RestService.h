// Answers PostgREST requests under /rest/v1/ and the fault-control requests, independent of any socket.
#pragma once

#include "backend/FaultInjector.h"
#include "backend/ReadQuery.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace huddlepod::backend {

class LeagueDatabase;

inline constexpr const char* defaultAnonKey = "huddlepod-local-anon-key";

struct HttpRequest {
    std::string method; // GET, HEAD, POST, ...
    std::string path;   // decoded path, e.g. "/rest/v1/players"
    std::string target; // the raw request target, for the request log
    QueryParameters query;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::optional<std::string> header(std::string_view name) const; // case-insensitive
};

struct HttpResponse {
    int status = 200;
    std::string body;
    std::string contentType = "application/json; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;
    std::chrono::milliseconds delay{0}; // to wait before answering (faults)
    bool dropConnection = false;        // close instead of answering (faults)
};

class RestService {
public:
    struct Options {
        std::string anonKey = defaultAnonKey;
        std::int64_t maxRows = 1000; // like a hosted project's row cap
    };

    RestService(std::shared_ptr<const LeagueDatabase> database, Options options);

    HttpResponse handle(const HttpRequest& request);

    FaultInjector& faults() { return faults_; }
    const Options& options() const { return options_; }

    // "GET /rest/v1/players?select=id&limit=1" for every request under /rest/v1/, in arrival order.
    std::vector<std::string> requests() const;
    void clearRequests();

private:
    HttpResponse route(const HttpRequest& request);
    HttpResponse read(const std::string& table, const HttpRequest& request);
    HttpResponse callProcedure(const std::string& function, const HttpRequest& request);
    HttpResponse control(const HttpRequest& request);
    std::optional<HttpResponse> checkKey(const HttpRequest& request) const;

    std::shared_ptr<const LeagueDatabase> database_;
    Options options_;
    FaultInjector faults_;
    mutable std::mutex logMutex_;
    std::vector<std::string> log_;
};

} // namespace huddlepod::backend
