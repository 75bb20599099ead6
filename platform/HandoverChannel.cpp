// The handover line: an abstract local socket that takes "show" from the user's own processes only, holding a
// bounded number of connections for a bounded idle time.
#include "platform/HandoverChannel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace huddlepod {

namespace {

constexpr qint64 longestRequest = 64;

// An abstract address: sun_path starts with a NUL, and the name's length alone sets its extent.
socklen_t abstractAddress(const QByteArray& name, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    const size_t length = std::min(static_cast<size_t>(name.size()), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.constData(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

bool peerIsThisUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == ::geteuid();
}

} // namespace

HandoverChannel::HandoverChannel(QObject* parent)
    : HandoverChannel(Limits{}, parent) {}

HandoverChannel::HandoverChannel(Limits limits, QObject* parent)
    : QObject(parent)
    , limits_(limits) {}

HandoverChannel::~HandoverChannel() = default; // the server and its connections are children

bool HandoverChannel::listen() {
    if (server_) {
        return true;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // A name nobody can have taken before us, since it is made up now; it is published only once bound.
    const QByteArray name = QByteArrayLiteral("huddlepod-") + QByteArray::number(::geteuid()) + '-' +
                            QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    sockaddr_un address{};
    const socklen_t size = abstractAddress(name, address);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        ::listen(fd, limits_.backlog) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    auto* server = new QLocalServer(this);
    if (!server->listen(fd)) {
        error_ = server->errorString();
        delete server;
        ::close(fd);
        return false;
    }
    server_ = server;
    name_ = name;
    connect(server_, &QLocalServer::newConnection, this, &HandoverChannel::acceptConnections);
    return true;
}

void HandoverChannel::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!peerIsThisUser(static_cast<int>(socket->socketDescriptor()))) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (static_cast<int>(open_.size()) >= limits_.connections) {
            drop(open_.front()); // a start sends at once; the oldest has had its chance
        }
        open_.push_back(socket);
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, this, [this, socket] { drop(socket); });
        idle->start(limits_.idle);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequests(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readRequests(socket);
            drop(socket);
        });
        readRequests(socket); // what came with the connection
    }
}

void HandoverChannel::readRequests(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(longestRequest + 1);
        if (!line.endsWith('\n')) {
            drop(socket); // no request is that long
            return;
        }
        if (line == "show\n") {
            emit showRequested();
        }
    }
    if (socket->bytesAvailable() > longestRequest) {
        drop(socket);
    }
}

void HandoverChannel::drop(QLocalSocket* socket) {
    const auto it = std::find(open_.begin(), open_.end(), socket);
    if (it == open_.end()) {
        return;
    }
    open_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

HandoverChannel::Delivery HandoverChannel::sendShow(const QByteArray& name) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return Delivery::gone;
    }
    sockaddr_un address{};
    const socklen_t size = abstractAddress(name, address);
    Delivery delivery = Delivery::gone;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        // A full backlog answers at once; never wait on a copy that does not take connections.
        delivery = errno == EAGAIN ? Delivery::busy : Delivery::gone;
    } else if (!peerIsThisUser(fd)) {
        delivery = Delivery::notOurs;
    } else {
        static constexpr char request[] = "show\n";
        const ssize_t written = ::send(fd, request, sizeof request - 1, MSG_NOSIGNAL);
        delivery = written == static_cast<ssize_t>(sizeof request - 1) ? Delivery::sent : Delivery::busy;
    }
    ::close(fd);
    return delivery;
}

} // namespace huddlepod
