#include "app/ui/SingleInstance.h"

#include "platform/TempFile.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <unistd.h>

namespace orvel {

namespace {

// The request: a magic number, the path and the desktop's activation
// token of the second start (which lets the first come to the front on
// desktops that refuse windows stealing the focus).
constexpr quint32 kMagic = 0x4F563937; // "OV97"
constexpr char kReply = 'A';
// A longer request is not one of ours.
constexpr qint64 kMaxRequestBytes = 64 * 1024;
constexpr int kConnectTimeoutMs = 2000;

bool ownedByUs(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() || info.ownerId() == ::getuid();
}

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

QString SingleInstance::SocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("Orvel97CLASS"));
    return QDir(TempFolder()).filePath(QStringLiteral("Orvel97CLASS-%1").arg(::getuid()));
}

SingleInstance::Outcome SingleInstance::Start(const QString &path)
{
    const QString socketPath = SocketPath();
    for (int attempt = 0; attempt < 3; ++attempt) {
        // In a shared temporary folder another user could have put a socket
        // under our name; never hand a file to it.
        if (!ownedByUs(socketPath))
            return Outcome::Alone;
        switch (handOver(path)) {
        case HandOver::Done:
            return Outcome::HandedOver;
        case HandOver::Refused:
            // Nobody listens behind the name: a program that ended without
            // cleaning up.
            QLocalServer::removeServer(socketPath);
            break;
        case HandOver::NoServer:
            break;
        }
        if (listen())
            return Outcome::Primary;
        // Another start came up at the same moment: talk to it next round.
    }
    return Outcome::Alone;
}

SingleInstance::HandOver SingleInstance::handOver(const QString &path)
{
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return socket.error() == QLocalSocket::ConnectionRefusedError ? HandOver::Refused : HandOver::NoServer;
    }
    QByteArray request;
    {
        QDataStream out(&request, QIODevice::WriteOnly);
        out << kMagic << path << qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    }
    socket.write(request);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs))
        return HandOver::NoServer;
    // The running program confirms once it has the request; the file is
    // opened in its own time.
    socket.waitForReadyRead(kReplyTimeoutMs);
    socket.disconnectFromServer();
    return HandOver::Done;
}

bool SingleInstance::listen()
{
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(SocketPath())) {
        delete server;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    m_server = server;
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        // A connection that never says anything is closed.
        QPointer<QLocalSocket> guarded(socket);
        QTimer::singleShot(kReplyTimeoutMs, this, [guarded] {
            if (guarded)
                guarded->abort();
        });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > kMaxRequestBytes) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    quint32 magic = 0;
    QString path;
    QString token;
    in >> magic >> path >> token;
    if (!in.commitTransaction())
        return; // wait for the rest
    if (magic != kMagic) {
        socket->abort();
        return;
    }
    socket->write(&kReply, 1);
    socket->flush();
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    emit activationRequested(path);
}

} // namespace orvel
