// The local PostgREST stand-in over HTTP on a loopback address.
#include "backend/BackendServer.h"

#include "backend/LeagueDatabase.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace huddlepod::backend {

namespace {

// A thread per open connection (the library's default is one per core, at least 8): Qt alone keeps six per
// host open, and another client's connection would otherwise wait for one of them to close.
constexpr int workerThreads = 32;
// Room in the listen queue for at least as many new connections at once as there are threads.
constexpr int listenBacklog = SOMAXCONN > workerThreads ? SOMAXCONN : workerThreads;

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return -1;
}

// The library does not hand its connection sockets to handlers, so the socket of a request is found by its
// two ports; shutting it down makes the client see the connection close before any answer.
void dropConnection(int localPort, int remotePort) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const std::string name = entry.path().filename().string();
        char* end = nullptr;
        const long fd = std::strtol(name.c_str(), &end, 10);
        if (end == nullptr || *end != '\0') {
            continue;
        }
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        if (getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
            getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) {
            continue;
        }
        if (portOf(local) == localPort && portOf(peer) == remotePort) {
            shutdown(static_cast<int>(fd), SHUT_RDWR);
            return;
        }
    }
}

HttpRequest convert(const httplib::Request& request) {
    HttpRequest converted;
    converted.method = request.method;
    converted.path = request.path;
    converted.target = request.target;
    for (const auto& [key, value] : request.params) {
        converted.query.emplace_back(key, value);
    }
    for (const auto& [key, value] : request.headers) {
        converted.headers.emplace_back(key, value);
    }
    converted.body = request.body;
    return converted;
}

} // namespace

bool isLoopbackHost(const std::string& host) {
    if (host == "localhost" || host == "::1") {
        return true;
    }
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

BackendServer::BackendServer(std::shared_ptr<const LeagueDatabase> database, Options options)
    : database_(database)
    , service_(std::move(database), RestService::Options{options.anonKey, options.maxRows})
    , server_(std::make_unique<httplib::Server>())
    , host_(options.host == "localhost" ? "127.0.0.1" : options.host) {
    if (!isLoopbackHost(options.host)) {
        throw std::invalid_argument("the backend serves loopback addresses only, not " + options.host);
    }
    service_.faults().set(options.faults);
    if (host_ == "::1") {
        server_->set_address_family(AF_INET6);
    }
    server_->set_tcp_nodelay(true); // answers leave at once instead of waiting on delayed acknowledgements
    server_->set_payload_max_length(1 << 20);
    server_->set_keep_alive_timeout(5);
    server_->new_task_queue = [] { return new httplib::ThreadPool(workerThreads); };
    server_->set_socket_options([this](int socket) {
        httplib::default_socket_options(socket);
        listeningSocket_ = socket;
    });
    auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        HttpResponse answer = service_.handle(convert(request));
        if (answer.delay.count() > 0) {
            wait(answer.delay);
        }
        if (answer.dropConnection) {
            dropConnection(request.local_port, request.remote_port);
            response.status = 500;
            return;
        }
        response.status = answer.status;
        for (const auto& [key, value] : answer.headers) {
            response.set_header(key, value);
        }
        response.set_content(answer.body, answer.contentType.c_str());
    };
    server_->Get(".*", handler);
    server_->Post(".*", httplib::Server::Handler(handler));
    server_->Put(".*", httplib::Server::Handler(handler));
    server_->Patch(".*", httplib::Server::Handler(handler));
    server_->Delete(".*", httplib::Server::Handler(handler));
    server_->Options(".*", handler);
    port_ = options.port == 0 ? server_->bind_to_any_port(host_)
                              : (server_->bind_to_port(host_, options.port) ? options.port : -1);
    if (port_ <= 0) {
        throw std::runtime_error("cannot listen on " + host_ + ":" + std::to_string(options.port));
    }
    // The library listens with a backlog of 5: a burst of new connections (a proxy opens one upstream per
    // request) overflows it, and each connection past it waits a second for the client's SYN to be sent
    // again. Listening once more on a listening socket only changes the backlog.
    if (::listen(listeningSocket_, listenBacklog) != 0) {
        throw std::runtime_error("cannot size the listen backlog on " + host_ + ":" + std::to_string(port_));
    }
    thread_ = std::thread([this] {
        server_->listen_after_bind();
        listenEnded_ = true;
    });
    // stop() only reaches a server that has entered its accept loop.
    while (!server_->is_running() && !listenEnded_) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

BackendServer::~BackendServer() {
    stop();
}

std::string BackendServer::baseUrl() const {
    const std::string host = host_.find(':') != std::string::npos ? "[" + host_ + "]" : host_;
    return "http://" + host + ":" + std::to_string(port_) + "/";
}

void BackendServer::wait(std::chrono::milliseconds delay) {
    std::unique_lock lock(stopMutex_);
    stopSignal_.wait_for(lock, delay, [this] { return stopping_; });
}

void BackendServer::stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    if (thread_.joinable()) {
        server_->stop();
        thread_.join();
    }
}

} // namespace huddlepod::backend
