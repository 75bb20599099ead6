// The single-instance guard: a local socket per user and display, claimed under a lock file.
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <memory>

#include <unistd.h>

namespace huddlepod {

namespace {

constexpr int answerTimeoutMs = 2000;
constexpr int lockTimeoutMs = 10000;

std::optional<QString> nonEmpty(const QString& value) {
    return value.isEmpty() ? std::nullopt : std::optional(value);
}

// ":1.0" and ":1" name the same desktop; only the screen differs.
QString withoutScreen(const QString& display) {
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = display.indexOf(QLatin1Char('.'), colon + 1);
    return colon >= 0 && dot > colon ? display.left(dot) : display;
}

} // namespace

QString SingleInstance::socketPath(const Location& location) {
    QString desktop;
    if (location.display && !location.display->isEmpty()) {
        desktop = withoutScreen(*location.display);
    } else if (location.waylandDisplay) {
        desktop = *location.waylandDisplay;
    }
    desktop.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString name = desktop.isEmpty() ? QStringLiteral("huddlepod.socket")
                                           : QStringLiteral("huddlepod-%1.socket").arg(desktop);
    QString folder;
    if (location.runtimeDirectory && QDir::isAbsolutePath(*location.runtimeDirectory)) {
        folder = *location.runtimeDirectory;
    } else {
        folder = location.tempDirectory + QStringLiteral("/huddlepod-%1").arg(location.userId);
    }
    return QDir::cleanPath(folder + QLatin1Char('/') + name);
}

QString SingleInstance::standardSocketPath() {
    Location location;
    location.runtimeDirectory = nonEmpty(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    location.display = nonEmpty(qEnvironmentVariable("DISPLAY"));
    location.waylandDisplay = nonEmpty(qEnvironmentVariable("WAYLAND_DISPLAY"));
    location.tempDirectory = QDir::tempPath();
    location.userId = geteuid();
    return socketPath(location);
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent)
    , path_(std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default; // the server, a child, closes and removes its socket

SingleInstance::Claim SingleInstance::claim() {
    if (server_) {
        return Claim::first;
    }
    // Anyone who may write into the folder could stand in for us there.
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QFileInfo(folder).isDir() &&
        !QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        error_ = QStringLiteral("cannot create %1").arg(folder);
        return Claim::unguarded;
    }
    const QFileInfo info(folder);
    if (info.ownerId() != geteuid() || (info.permissions() & (QFile::WriteGroup | QFile::WriteOther))) {
        error_ = QStringLiteral("%1 is open to other users").arg(folder);
        return Claim::unguarded;
    }

    QLockFile lock(path_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(0); // stale only once its holder has gone, however slow a start is
    if (!lock.tryLock(lockTimeoutMs)) {
        error_ = QStringLiteral("cannot lock %1").arg(path_ + QStringLiteral(".lock"));
        return Claim::unguarded;
    }

    QLocalSocket socket;
    socket.connectToServer(path_);
    if (socket.waitForConnected(answerTimeoutMs)) {
        socket.write("show\n");
        const bool sent = socket.waitForBytesWritten(answerTimeoutMs) || socket.bytesToWrite() == 0;
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState) {
            socket.waitForDisconnected(answerTimeoutMs);
        }
        if (sent) {
            return Claim::handedOver;
        }
    } else if (socket.error() != QLocalSocket::ServerNotFoundError &&
               socket.error() != QLocalSocket::ConnectionRefusedError) {
        // Something may listen there that we cannot reach: leave it be.
        error_ = socket.errorString();
        return Claim::unguarded;
    }
    return listen();
}

SingleInstance::Claim SingleInstance::listen() {
    // Nobody answers there: whatever the path holds was left by a copy that has gone.
    QLocalServer::removeServer(path_);
    auto server = std::make_unique<QLocalServer>(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path_)) {
        error_ = server->errorString();
        return Claim::unguarded;
    }
    server_ = server.release();
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return Claim::first;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        const auto readRequests = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == "show\n") {
                    emit showRequested();
                }
            }
            if (socket->bytesAvailable() > 64) {
                socket->abort(); // no request is that long
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequests);
        connect(socket, &QLocalSocket::disconnected, this, [socket, readRequests] {
            readRequests();
            socket->deleteLater();
        });
        readRequests(); // what came with the connection
    }
}

} // namespace huddlepod
