// Bare cpp-httplib clients for the raw twins of the client benchmarks: the same requests to the same server
// on keep-alive connections, without Qt, the response cache or decoding.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace huddlepod::bench {

struct RawRequest {
    std::string method; // "GET" or "POST"
    std::string target; // path and query, sent as they are
    std::string body;
    httplib::Headers headers;
};

// What the app's client sends besides the request itself (its session adds Accept-Encoding).
inline httplib::Headers appHeaders(const std::string& key) {
    return {{"apikey", key},
            {"Authorization", "Bearer " + key},
            {"Accept", "application/json"},
            {"Accept-Encoding", "gzip, deflate"},
            {"User-Agent", "Huddlepod-Mac/bench"}};
}

inline std::unique_ptr<httplib::Client> rawClient(int port) {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port);
    client->set_keep_alive(true);
    client->set_tcp_nodelay(true); // as Qt does
    client->set_url_encode(false);
    return client;
}

// True for a 2xx answer.
inline bool sendRaw(httplib::Client& client, const RawRequest& request) {
    const auto result = request.method == "POST"
                            ? client.Post(request.target, request.headers, request.body, "application/json")
                            : client.Get(request.target, request.headers);
    return result && result->status / 100 == 2;
}

// `connections` threads, each with a keep-alive client of its own. send() hands out a batch, each thread
// taking the next unsent request: with fewer connections than requests the rest wait for a free one, as they
// do behind Qt's six connections per host.
class RawClients {
public:
    RawClients(int port, std::size_t connections) {
        for (std::size_t i = 0; i < connections; ++i) {
            threads_.emplace_back([this, client = rawClient(port)] { work(*client); });
        }
    }

    ~RawClients() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& thread : threads_) {
            thread.join();
        }
    }

    RawClients(const RawClients&) = delete;
    RawClients& operator=(const RawClients&) = delete;

    // Sends every request and waits for every answer; returns how many were 2xx.
    std::size_t send(const std::vector<RawRequest>& requests) {
        std::unique_lock lock(mutex_);
        batch_ = &requests;
        next_ = 0;
        answered_ = 0;
        pending_ = requests.size();
        ++generation_;
        wake_.notify_all();
        finished_.wait(lock, [this] { return pending_ == 0; });
        batch_ = nullptr;
        return answered_;
    }

private:
    void work(httplib::Client& client) {
        std::uint64_t seen = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) {
                return;
            }
            seen = generation_;
            while (batch_ && next_ < batch_->size()) {
                const RawRequest& request = (*batch_)[next_++];
                lock.unlock();
                const bool ok = sendRaw(client, request);
                lock.lock();
                answered_ += ok ? 1 : 0;
                if (--pending_ == 0) {
                    finished_.notify_one();
                }
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    const std::vector<RawRequest>* batch_ = nullptr;
    std::size_t next_ = 0;
    std::size_t pending_ = 0;
    std::size_t answered_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_; // last: the threads use the members above
};

} // namespace huddlepod::bench
