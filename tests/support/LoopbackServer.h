// A canned HTTP server on 127.0.0.1 for client and service tests: queued responses per path, recorded
// requests.
#pragma once

#include <QUrl>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

namespace huddlepod::test {

// Serves on a free port from a background thread, from construction until destruction.
class LoopbackServer {
public:
    struct Response {
        Response(int status = 200, std::string body = {}); // NOLINT: implicit, for {status, body}
        Response& withHeader(std::string name, std::string value);
        // Answers only after release() or when the server stops; dropped if the client closes first.
        static Response held();
        static Response dropped(); // closes the connection unanswered
        // Sends the status and headers announcing the whole body, then half of the body, then closes.
        static Response cutShort(int status, std::string body);
        // Sends `first` as a chunk at once and `rest` only after release() (or when the server stops).
        static Response chunked(std::string first, std::string rest);
        // Sends `first` as a chunk, then spaces in chunks without end, until the client closes.
        static Response endless(std::string first);
        // Sends `first` as a whole chunk, then announces `second` as the next chunk but sends only half of
        // it, and closes.
        static Response chunkedCutShort(std::string first, std::string second);
        // Announces `length` bytes of spaces in its Content-Length and sends them until done or until the
        // client closes (counted in streamedBytes()).
        static Response huge(std::size_t length);

        int status = 200;
        std::string body;
        std::vector<std::pair<std::string, std::string>> headers;
        // As PostgREST sends it. (cpp-httplib would gzip a bare "application/json" in chunks, which costs
        // a Qt client some 70 ms per answer on loopback.)
        std::string contentType = "application/json; charset=utf-8";
        bool hold = false, drop = false, cut = false, endlessBody = false; // see the factories above
        std::optional<std::string> rest;
        std::optional<std::string> cutChunk;
        std::size_t hugeLength = 0;
    };

    struct Request {
        std::string method;
        std::string target;                              // the raw request target: path and query as sent
        std::string requestLine;                         // "GET /rest/v1/players?select=id HTTP/1.1"
        std::string path;                                // the target without its query
        std::multimap<std::string, std::string> headers; // names as sent; lookups are case-sensitive here
        std::string body;
        // The value of a header, matched case-insensitively, or none.
        std::optional<std::string> header(const std::string& name) const;
    };

    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // "http://127.0.0.1:<port>"
    QUrl baseUrl() const;
    int port() const { return m_port; }

    // Queues a response for requests to `path` (the target without its query), answered in order. A key
    // with a query ("/rest/v1/games?order=year.asc") queues for that exact target, ahead of its path.
    void enqueue(const std::string& path, Response response);
    // Answers requests to `path` once its queue is empty (otherwise the fallback, or 404 "no canned
    // response").
    void setDefault(const std::string& path, Response response);
    void setFallback(Response response);
    // Lets held responses go; later held responses answer at once.
    void release();
    // Called on the server's thread with each request as it arrives, before it is answered. To act on the
    // GUI thread, post from it (QMetaObject::invokeMethod(qApp, …, Qt::QueuedConnection)).
    void setRequestObserver(std::function<void(const Request&)> observer);

    // Held requests still waiting whose client has not closed the connection.
    std::size_t heldCount() const;
    // Endless bodies still being sent.
    std::size_t streamingCount() const;
    // The bytes of endless bodies the server has handed to its sockets, and the largest room the sockets'
    // buffers of such a connection offered meanwhile (the server's send buffer and, for a client in this
    // process, its receive buffer; both are kept small): whatever a client does not read, at most that
    // much of it can be on its way.
    std::size_t streamedBytes() const { return m_streamed; }
    std::size_t largestStreamBuffers() const { return m_streamBuffers; }

    std::vector<Request> requests() const;
    std::size_t requestCount() const;
    // The requests whose path is `path`.
    std::vector<Request> requestsTo(const std::string& path) const;

private:
    void handle(const void* request, void* response);
    // The server's socket for the client's port, or -1.
    int socketFor(int remotePort) const;
    // The client's socket of that connection when the client runs in this process, or -1.
    int clientSocketFor(int remotePort) const;
    static int socketBetween(int localPort, int peerPort);
    // The socket listening on `localPort` in this process, or -1.
    static int listeningSocket(int localPort);
    // Notes the room in both buffers of a streaming connection.
    void noteStreamBuffers(int serverSocket, int clientSocket);
    void dropConnection(int remotePort) const;

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_releasing = false;
    std::size_t m_held = 0;
    std::atomic<bool> m_stopping = false;
    std::atomic<bool> m_listening = true; // until the accept loop ends
    std::atomic<std::size_t> m_streaming = 0;
    std::atomic<std::size_t> m_streamed = 0;
    std::atomic<std::size_t> m_streamBuffers = 0;
    std::map<std::string, std::deque<Response>> m_queues;
    std::map<std::string, Response> m_defaults;
    std::optional<Response> m_fallback;
    std::vector<Request> m_requests;
    std::function<void(const Request&)> m_observer;
};

} // namespace huddlepod::test
