// The loopback server takes as many connections at once as a client opens, however late its accept loop runs.
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {

TEST(LoopbackServerTest, connectionsOpenedAtOnceAreAllEstablishedWithoutARetransmit) {
    huddlepod::test::LoopbackServer server;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(server.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // On loopback the handshake completes within connect() unless the listening queue is full, in which case
    // the kernel drops the opening and the client tries again only a second later. Far more than Qt's six.
    std::vector<pollfd> sockets;
    for (int i = 0; i < 64; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ASSERT_GE(fd, 0);
        sockets.push_back({fd, POLLOUT, 0});
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    ASSERT_EQ(poll(sockets.data(), sockets.size(), 0), 64);
    for (const pollfd& socket : sockets) {
        int error = -1;
        socklen_t size = sizeof error;
        getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &size);
        EXPECT_EQ(error, 0);
        close(socket.fd);
    }
}

} // namespace
