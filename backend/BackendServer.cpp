// The local PostgREST stand-in over HTTP on a loopback address.
#include "backend/BackendServer.h"

#include "backend/LeagueDatabase.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>

namespace huddlepod::backend {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Room in the listen queue for at least as many new connections at once as there are threads.
constexpr int listenBacklog =
    SOMAXCONN > BackendServer::workerThreads ? SOMAXCONN : BackendServer::workerThreads;

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

milliseconds toMilliseconds(time_t seconds, time_t microseconds) {
    return milliseconds(seconds * 1000 + microseconds / 1000);
}

// Waits for `events` on the socket for up to `timeout`; false when the time ran out.
bool awaitSocket(int socket, short events, milliseconds timeout) {
    pollfd descriptor{socket, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&descriptor, 1, static_cast<int>(std::max(timeout, milliseconds(0)).count()));
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void addressOf(int socket, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if ((peer ? getpeername(socket, generic, &length) : getsockname(socket, generic, &length)) != 0) {
        return;
    }
    std::array<char, NI_MAXHOST> host{};
    if (getnameinfo(generic, length, host.data(), host.size(), nullptr, 0, NI_NUMERICHOST) == 0) {
        ip = host.data();
    }
    port = portOf(address);
}

// A connection's reads and writes as the library's own socket stream makes them, except that reads give up
// at a deadline while one is set: the library's read timeout applies to each receive, so a client sending a
// header line now and then would hold its thread for as long as it liked. Input read ahead is kept for the
// connection's next request.
class ConnectionStream final : public httplib::Stream {
public:
    ConnectionStream(int socket, milliseconds readTimeout, milliseconds writeTimeout)
        : socket_(socket)
        , readTimeout_(readTimeout)
        , writeTimeout_(writeTimeout) {}

    void setDeadline(std::optional<Clock::time_point> deadline) { deadline_ = deadline; }
    bool expired() const { return expired_; }

    // Waits up to `timeout` for input, and never past the deadline.
    bool awaitInput(milliseconds timeout) const {
        if (start_ < end_) {
            return true;
        }
        if (expired_) {
            return false;
        }
        const bool deadlineFirst = deadline_ && *deadline_ - Clock::now() < timeout;
        if (deadlineFirst) {
            timeout = std::chrono::ceil<milliseconds>(*deadline_ - Clock::now());
        }
        if (awaitSocket(socket_, POLLIN, timeout)) {
            return true;
        }
        expired_ = deadlineFirst;
        return false;
    }

    bool is_readable() const override { return awaitInput(readTimeout_); }
    bool is_writable() const override { return !expired_ && awaitSocket(socket_, POLLOUT, writeTimeout_); }

    ssize_t read(char* data, size_t size) override {
        if (start_ == end_) {
            if (!is_readable()) {
                return -1;
            }
            ssize_t received = 0;
            do {
                received = ::recv(socket_, buffer_.data(), buffer_.size(), 0);
            } while (received < 0 && errno == EINTR);
            if (received <= 0) {
                return received;
            }
            start_ = 0;
            end_ = static_cast<size_t>(received);
        }
        const size_t count = std::min(size, end_ - start_);
        std::memcpy(data, buffer_.data() + start_, count);
        start_ += count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* data, size_t size) override {
        if (!is_writable()) {
            return -1;
        }
        ssize_t sent = 0;
        do {
            sent = ::send(socket_, data, size, MSG_NOSIGNAL);
        } while (sent < 0 && errno == EINTR);
        return sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        addressOf(socket_, true, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        addressOf(socket_, false, ip, port);
    }
    int socket() const override { return socket_; }

private:
    int socket_;
    milliseconds readTimeout_;
    milliseconds writeTimeout_;
    std::optional<Clock::time_point> deadline_;
    mutable bool expired_ = false;
    std::array<char, 16384> buffer_{};
    size_t start_ = 0;
    size_t end_ = 0;
};

// The library's thread pool, counting the connections that wait for a thread.
class CountingPool final : public httplib::TaskQueue {
public:
    CountingPool(size_t threads, std::shared_ptr<std::atomic<int>> waiting)
        : pool_(threads)
        , waiting_(std::move(waiting)) {}

    void enqueue(std::function<void()> task) override {
        ++*waiting_;
        pool_.enqueue([waiting = waiting_, task = std::move(task)] {
            --*waiting;
            task();
        });
    }
    void shutdown() override { pool_.shutdown(); }

private:
    httplib::ThreadPool pool_;
    std::shared_ptr<std::atomic<int>> waiting_;
};

// The library's server with its connection loop replaced by one that holds each request to deadlines (the
// wait for it and its line and headers to one, its body to another), so that idle or slow senders cannot keep
// every thread waiting on them.
class DeadlineServer final : public httplib::Server {
public:
    DeadlineServer() {
        new_task_queue = [waiting = waiting_] {
            return new CountingPool(BackendServer::workerThreads, waiting);
        };
    }

private:
    bool process_and_close_socket(int socket) override {
        ConnectionStream stream(socket, toMilliseconds(read_timeout_sec_, read_timeout_usec_),
                                toMilliseconds(write_timeout_sec_, write_timeout_usec_));
        bool served = false;
        for (size_t left = keep_alive_max_count_; left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
            // A new connection's first request counts from now, a kept-alive one's from the answer before it.
            stream.setDeadline(Clock::now() + BackendServer::headerDeadline);
            if (left < keep_alive_max_count_ && !awaitNextRequest(stream)) {
                break;
            }
            bool closed = false;
            // The library calls the set-up once the headers are in.
            served = process_request(stream, left == 1, closed, [&stream](httplib::Request&) {
                stream.setDeadline(Clock::now() + BackendServer::bodyDeadline);
            });
            if (!served || closed || stream.expired()) {
                break;
            }
        }
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
        return served;
    }

    // An idle kept-alive connection keeps its thread only while no new connection waits for one (past the
    // moment a free thread takes a new one up).
    bool awaitNextRequest(const ConnectionStream& stream) const {
        constexpr milliseconds look{20};
        for (bool waited = false; !stream.awaitInput(look);) {
            if (stream.expired() || (waited && *waiting_ > 0) || svr_sock_ == INVALID_SOCKET) {
                return false;
            }
            waited = *waiting_ > 0;
        }
        return true;
    }

    std::shared_ptr<std::atomic<int>> waiting_ = std::make_shared<std::atomic<int>>(0);
};

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
    , server_(std::make_unique<DeadlineServer>())
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
