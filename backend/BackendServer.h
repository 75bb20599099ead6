// The local PostgREST stand-in over HTTP on a loopback address, for the app, tests and benchmarks.
#pragma once

#include "backend/FaultInjector.h"
#include "backend/RestService.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace huddlepod::backend {

class LeagueDatabase;

struct ServerOptions {
    std::string host = "127.0.0.1"; // must be a loopback address
    int port = 0;                   // 0: any free port
    std::string anonKey = defaultAnonKey;
    std::int64_t maxRows = 1000;
    std::vector<FaultRule> faults;
};

class BackendServer {
public:
    using Options = ServerOptions;

    // A thread per open connection (the library's default is one per core, at least 8): Qt alone keeps six
    // per host open, and another client's connection would otherwise wait for one of them to close.
    static constexpr int workerThreads = 32;
    // A request's line and headers must arrive whole within `headerDeadline` from when a thread takes up its
    // connection (or, on a kept-alive one, from the answer before it), and its body within `bodyDeadline`
    // from when the headers are in (any client sends it at once; a mebibyte takes milliseconds over
    // loopback); the connection is closed otherwise, without an answer. A kept-alive connection waiting for
    // its next request gives its thread up as soon as a new connection waits for one.
    static constexpr std::chrono::seconds headerDeadline{3};
    static constexpr std::chrono::seconds bodyDeadline{2};

    // Binds and starts serving on a thread of its own; throws std::runtime_error when it cannot bind and
    // std::invalid_argument for a host that is not a loopback address.
    explicit BackendServer(std::shared_ptr<const LeagueDatabase> database, Options options = {});
    ~BackendServer(); // stops
    BackendServer(const BackendServer&) = delete;
    BackendServer& operator=(const BackendServer&) = delete;

    std::string baseUrl() const; // "http://127.0.0.1:<port>/"
    int port() const { return port_; }
    const std::string& anonKey() const { return service_.options().anonKey; }
    const LeagueDatabase& database() const { return *database_; }

    FaultInjector& faults() { return service_.faults(); }
    std::vector<std::string> requests() const { return service_.requests(); }
    void clearRequests() { service_.clearRequests(); }

    // Stops accepting, cuts short any injected delay, and waits for the serving thread. Idempotent.
    void stop();

private:
    void wait(std::chrono::milliseconds delay);

    std::shared_ptr<const LeagueDatabase> database_;
    RestService service_;
    std::unique_ptr<httplib::Server> server_;
    std::string host_;
    int port_ = 0;
    int listeningSocket_ = -1; // owned by the library's server
    std::atomic<bool> listenEnded_ = false;
    std::thread thread_;
    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stopping_ = false;
};

// True for "127.0.0.1" and the rest of 127.0.0.0/8, "::1" and "localhost".
bool isLoopbackHost(const std::string& host);

} // namespace huddlepod::backend
