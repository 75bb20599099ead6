// How normal clients of the local backend fare beside 40 that hold connections open: idle ones sending a
// request every 4.5 s on a kept-alive connection, or slow ones sending a POST body a byte every 2 s (each
// connects again once cut off). Prints, per kind, the normal clients' answers, time-outs (4 s) and slowest
// answer over 20 s.
//     bench_slow_clients [none|idle|body]...
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"

#include <httplib.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace huddlepod::backend;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr int holders = 40;
constexpr int normalClients = 3;
constexpr auto driveFor = 20s;

int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return fd;
}

// Reads what has come; false once the server has closed the connection.
bool drain(int fd) {
    char buffer[4096];
    for (pollfd readable{fd, POLLIN, 0}; ::poll(&readable, 1, 0) == 1; readable.revents = 0) {
        if (::recv(fd, buffer, sizeof buffer, 0) <= 0) {
            return false;
        }
    }
    return true;
}

void sleepUntil(Clock::time_point when, const std::atomic<bool>& stop) {
    while (!stop && Clock::now() < when) {
        std::this_thread::sleep_for(std::min<Clock::duration>(when - Clock::now(), 50ms));
    }
}

void holdOpen(const std::string& kind, const BackendServer& server, const std::atomic<bool>& stop) {
    const std::string key =
        "apikey: " + server.anonKey() + "\r\nAuthorization: Bearer " + server.anonKey() + "\r\n";
    const std::string get = "GET /rest/v1/teams?select=id HTTP/1.1\r\nHost: x\r\n" + key + "\r\n";
    const std::string post = "POST /rest/v1/rpc/search_players HTTP/1.1\r\nHost: x\r\n" + key +
                             "Content-Type: application/json\r\nContent-Length: 1000\r\n\r\n";
    int fd = -1;
    while (!stop) {
        if (fd < 0 || !drain(fd)) {
            if (fd >= 0) {
                ::close(fd);
            }
            fd = connectTo(server.port());
            if (kind == "body") {
                ::send(fd, post.data(), post.size(), MSG_NOSIGNAL);
            }
        }
        if (kind == "idle") {
            ::send(fd, get.data(), get.size(), MSG_NOSIGNAL);
            sleepUntil(Clock::now() + 4500ms, stop);
        } else {
            sleepUntil(Clock::now() + 2s, stop);
            ::send(fd, "[", 1, MSG_NOSIGNAL);
        }
    }
    ::close(fd);
}

struct Tally {
    int answered = 0;
    int timedOut = 0;
    Clock::duration slowest{};
};

} // namespace

int main(int argc, char** argv) {
    const auto league = LeagueDatabase::generate({LeagueSize::Tiny, 7});
    std::vector<std::string> kinds(argv + 1, argv + argc);
    if (kinds.empty()) {
        kinds = {"none", "idle", "body"};
    }
    for (const std::string& kind : kinds) {
        BackendServer server(league);
        std::atomic<bool> stop = false;
        std::vector<std::thread> threads;
        for (int i = 0; kind != "none" && i < holders; ++i) {
            threads.emplace_back([&] { holdOpen(kind, server, stop); });
        }
        std::this_thread::sleep_for(500ms); // the holders are in
        Tally tally;
        std::mutex tallied;
        const auto end = Clock::now() + driveFor;
        for (int i = 0; i < normalClients; ++i) {
            threads.emplace_back([&] {
                while (Clock::now() < end) {
                    httplib::Client client("127.0.0.1", server.port());
                    client.set_connection_timeout(4, 0);
                    client.set_read_timeout(4, 0);
                    const auto asked = Clock::now();
                    const auto result = client.Get(
                        "/rest/v1/teams?select=id&limit=1",
                        {{"apikey", server.anonKey()}, {"Authorization", "Bearer " + server.anonKey()}});
                    const auto took = Clock::now() - asked;
                    {
                        const std::lock_guard lock(tallied);
                        result && result->status == 200 ? ++tally.answered : ++tally.timedOut;
                        if (result) {
                            tally.slowest = std::max(tally.slowest, took);
                        }
                    }
                    std::this_thread::sleep_for(500ms);
                }
            });
        }
        std::this_thread::sleep_for(driveFor);
        stop = true;
        for (std::thread& thread : threads) {
            thread.join();
        }
        std::printf("%-5s normal clients: %d answered, %d timed out (4 s), slowest answer %.2f s\n",
                    kind.c_str(), tally.answered, tally.timedOut,
                    std::chrono::duration<double>(tally.slowest).count());
    }
    return 0;
}
