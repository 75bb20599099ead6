// The loopback server over cpp-httplib.
#include "tests/support/LoopbackServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace huddlepod::test {

namespace {

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

} // namespace

LoopbackServer::Response::Response(int statusCode, std::string content)
    : status(statusCode)
    , body(std::move(content)) {}

LoopbackServer::Response& LoopbackServer::Response::withHeader(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

LoopbackServer::Response LoopbackServer::Response::held() {
    Response response;
    response.hold = true;
    return response;
}

LoopbackServer::Response LoopbackServer::Response::dropped() {
    Response response;
    response.drop = true;
    return response;
}

LoopbackServer::Response LoopbackServer::Response::cutShort(int status, std::string body) {
    Response response(status, std::move(body));
    response.cut = true;
    return response;
}

LoopbackServer::Response LoopbackServer::Response::chunked(std::string first, std::string rest) {
    Response response(200, std::move(first));
    response.rest = std::move(rest);
    return response;
}

LoopbackServer::Response LoopbackServer::Response::endless(std::string first) {
    Response response(200, std::move(first));
    response.endlessBody = true;
    return response;
}

LoopbackServer::Response LoopbackServer::Response::chunkedCutShort(std::string first, std::string second) {
    Response response(200, std::move(first));
    response.cutChunk = std::move(second);
    return response;
}

LoopbackServer::Response LoopbackServer::Response::huge(std::size_t length) {
    Response response;
    response.hugeLength = length;
    return response;
}

std::optional<std::string> LoopbackServer::Request::header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return std::nullopt;
}

LoopbackServer::LoopbackServer()
    : m_server(std::make_unique<httplib::Server>()) {
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        handle(&request, &response);
    };
    const char* const anything = R"(.*)";
    m_server->Get(anything, handler);
    m_server->Post(anything, handler);
    m_server->Put(anything, handler);
    m_server->Patch(anything, handler);
    m_server->Delete(anything, handler);
    m_server->Options(anything, handler);
    m_server->set_keep_alive_timeout(1);
    // Without it, Nagle's algorithm and delayed acknowledgements add ~40 ms to an answer written in parts.
    m_server->set_tcp_nodelay(true);
    int listening = -1;
    m_server->set_socket_options([&listening](int socket) {
        httplib::default_socket_options(socket);
        listening = socket;
    });
    // Bound and listening before the accept loop starts, so no request can arrive too early.
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("LoopbackServer: cannot bind to 127.0.0.1");
    // cpp-httplib listens with a backlog of 5: the kernel holds six connections until the accept loop takes
    // them, and Qt opens six to a host at once and replaces each one that closes. On a busy machine the
    // kernel dropped the rest, which got through only after retransmits of a second and more. Listen again
    // with room for every client a test starts.
    m_server->set_socket_options(httplib::default_socket_options);
    if (listen(listening, SOMAXCONN) != 0)
        throw std::runtime_error("LoopbackServer: cannot widen the listening queue");
    m_thread = std::thread([this] {
        m_server->listen_after_bind();
        m_listening = false;
    });
}

LoopbackServer::~LoopbackServer() {
    m_stopping = true;
    release();
    // cpp-httplib's stop() does nothing until its accept loop has begun, and the loop would then run for
    // ever: stop only once it runs, or once it ended by itself.
    while (m_listening && !m_server->is_running())
        std::this_thread::yield();
    m_server->stop();
    m_thread.join();
}

QUrl LoopbackServer::baseUrl() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

void LoopbackServer::enqueue(const std::string& path, Response response) {
    const std::lock_guard lock(m_mutex);
    m_queues[path].push_back(std::move(response));
}

void LoopbackServer::setDefault(const std::string& path, Response response) {
    const std::lock_guard lock(m_mutex);
    m_defaults[path] = std::move(response);
}

void LoopbackServer::setFallback(Response response) {
    const std::lock_guard lock(m_mutex);
    m_fallback = std::move(response);
}

void LoopbackServer::release() {
    {
        const std::lock_guard lock(m_mutex);
        m_releasing = true;
    }
    m_released.notify_all();
}

void LoopbackServer::setRequestObserver(std::function<void(const Request&)> observer) {
    const std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

std::size_t LoopbackServer::heldCount() const {
    const std::lock_guard lock(m_mutex);
    return m_held;
}

std::size_t LoopbackServer::streamingCount() const {
    return m_streaming;
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t LoopbackServer::requestCount() const {
    const std::lock_guard lock(m_mutex);
    return m_requests.size();
}

std::vector<LoopbackServer::Request> LoopbackServer::requestsTo(const std::string& path) const {
    std::vector<Request> matching;
    for (Request& request : requests()) {
        if (request.path == path)
            matching.push_back(std::move(request));
    }
    return matching;
}

void LoopbackServer::handle(const void* requestPointer, void* responsePointer) {
    const auto& request = *static_cast<const httplib::Request*>(requestPointer);
    auto& response = *static_cast<httplib::Response*>(responsePointer);

    Request recorded;
    recorded.method = request.method;
    recorded.target = request.target;
    recorded.requestLine = request.method + " " + request.target + " " + request.version;
    recorded.path = request.target.substr(0, request.target.find('?'));
    recorded.headers.insert(request.headers.begin(), request.headers.end());
    recorded.body = request.body;

    Response canned;
    {
        std::unique_lock lock(m_mutex);
        m_requests.push_back(recorded);
        if (m_observer)
            m_observer(recorded);
        // An exact target's queue (path and query) answers before its path's.
        const auto targeted = m_queues.find(recorded.target);
        auto& queue = targeted != m_queues.end() && !targeted->second.empty() ? targeted->second
                                                                              : m_queues[recorded.path];
        if (!queue.empty()) {
            canned = std::move(queue.front());
            queue.pop_front();
        } else if (const auto it = m_defaults.find(recorded.path); it != m_defaults.end()) {
            canned = it->second;
        } else if (m_fallback) {
            canned = *m_fallback;
        } else {
            canned.status = 404;
            canned.body = R"({"message":"no canned response"})";
        }
        if (canned.hold) {
            ++m_held;
            const int socket = socketFor(request.remote_port);
            bool closed = false;
            while (!closed &&
                   !m_released.wait_for(lock, std::chrono::milliseconds(5), [this] { return m_releasing; })) {
                char byte = 0;
                const auto peeked = socket >= 0 ? recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) : 1;
                closed = peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
            }
            --m_held;
            if (closed) {
                shutdown(socket, SHUT_RDWR);
                return;
            }
        }
    }

    if (canned.drop) {
        dropConnection(request.remote_port);
        return;
    }
    response.status = canned.status;
    for (const auto& [name, value] : canned.headers)
        response.set_header(name, value);
    if (canned.cut) {
        // A provider that stops early makes cpp-httplib close the connection mid-body.
        const std::string half = canned.body.substr(0, canned.body.size() / 2);
        response.set_content_provider(canned.body.size(), canned.contentType.c_str(),
                                      [half](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                          if (offset == 0)
                                              sink.write(half.data(), half.size());
                                          return false;
                                      });
        return;
    }
    if (canned.endlessBody) {
        ++m_streaming;
        response.set_chunked_content_provider(
            canned.contentType.c_str(),
            [this, first = canned.body, filler = std::string(16 * 1024, ' '), port = request.remote_port,
             sockets = std::optional<std::pair<int, int>>()](std::size_t offset,
                                                             httplib::DataSink& sink) mutable {
                if (!sockets)
                    sockets = streamSockets(port);
                noteStreamBuffers(sockets->first, sockets->second);
                const std::string& piece = offset == 0 ? first : filler;
                if (m_stopping || !sink.write(piece.data(), piece.size()))
                    return false;
                m_streamed += piece.size();
                return true;
            },
            [this](bool) { --m_streaming; });
        return;
    }
    if (canned.hugeLength > 0) {
        ++m_streaming;
        response.set_content_provider(
            canned.hugeLength, canned.contentType.c_str(),
            [this, filler = std::string(16 * 1024, ' '), port = request.remote_port,
             sockets = std::optional<std::pair<int, int>>()](std::size_t, std::size_t length,
                                                             httplib::DataSink& sink) mutable {
                if (!sockets)
                    sockets = streamSockets(port);
                noteStreamBuffers(sockets->first, sockets->second);
                const std::size_t size = std::min(length, filler.size());
                if (m_stopping || !sink.write(filler.data(), size))
                    return false;
                m_streamed += size;
                return true;
            },
            [this](bool) { --m_streaming; });
        return;
    }
    if (canned.cutChunk) {
        // cpp-httplib writes whole chunks only: the broken one goes straight to the socket.
        response.set_chunked_content_provider(
            canned.contentType.c_str(), [this, first = canned.body, second = *canned.cutChunk,
                                         port = request.remote_port](std::size_t, httplib::DataSink& sink) {
                sink.write(first.data(), first.size());
                const int fd = socketFor(port);
                char size[32];
                const int sizeLength = std::snprintf(size, sizeof size, "%zx\r\n", second.size());
                const std::string part =
                    std::string(size, std::size_t(sizeLength)) + second.substr(0, second.size() / 2);
                if (fd >= 0 && send(fd, part.data(), part.size(), MSG_NOSIGNAL) >= 0)
                    shutdown(fd, SHUT_RDWR);
                return false;
            });
        return;
    }
    if (canned.rest) {
        response.set_chunked_content_provider(
            canned.contentType.c_str(),
            [this, first = canned.body, rest = *canned.rest](std::size_t offset, httplib::DataSink& sink) {
                if (offset == 0)
                    return sink.write(first.data(), first.size());
                {
                    std::unique_lock lock(m_mutex);
                    m_released.wait(lock, [this] { return m_releasing; });
                }
                const bool written = sink.write(rest.data(), rest.size());
                sink.done();
                return written;
            });
        return;
    }
    response.set_content(canned.body, canned.contentType.c_str());
}

// cpp-httplib does not give a handler its socket: find it among ours (the server's port locally, the client's
// on the peer side). A client in this process has the other end among ours too.
int LoopbackServer::socketFor(int remotePort) const {
    return socketBetween(m_port, remotePort);
}

int LoopbackServer::clientSocketFor(int remotePort) const {
    return socketBetween(remotePort, m_port);
}

int LoopbackServer::socketBetween(int localPort, int peerPort) {
    for (int fd = 3; fd < 4096; ++fd) {
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0)
            continue;
        if (portOf(local) == localPort && portOf(peer) == peerPort)
            return fd;
    }
    return -1;
}

std::pair<int, int> LoopbackServer::streamSockets(int remotePort) const {
    const std::pair<int, int> sockets(socketFor(remotePort), clientSocketFor(remotePort));
    // Fixed buffers on both ends (the kernel would grow them to megabytes on loopback): what the client has
    // taken shows in what the server could write.
    const int buffer = 64 * 1024;
    setsockopt(sockets.first, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    if (sockets.second >= 0)
        setsockopt(sockets.second, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    return sockets;
}

void LoopbackServer::noteStreamBuffers(int serverSocket, int clientSocket) {
    const auto buffer = [](int fd, int option) {
        int size = 0;
        socklen_t length = sizeof size;
        return fd >= 0 && getsockopt(fd, SOL_SOCKET, option, &size, &length) == 0 ? std::size_t(size) : 0;
    };
    const std::size_t room = buffer(serverSocket, SO_SNDBUF) + buffer(clientSocket, SO_RCVBUF);
    std::size_t largest = m_streamBuffers;
    while (room > largest && !m_streamBuffers.compare_exchange_weak(largest, room)) {
    }
}

// cpp-httplib offers no way to close a connection from a handler; shutting its socket down makes the client
// see the connection end unanswered.
void LoopbackServer::dropConnection(int remotePort) const {
    if (const int fd = socketFor(remotePort); fd >= 0)
        shutdown(fd, SHUT_RDWR);
}

} // namespace huddlepod::test
