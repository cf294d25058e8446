#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace ondrix {

namespace {
constexpr int kTimeoutMs = 1000;
constexpr char kShowRequest[] = "show\n";
} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent)
{
    const QByteArray digest =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    m_name = QStringLiteral("ondrix-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

bool SingleInstance::BecomePrimary()
{
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(kTimeoutMs)) {
        probe.write(kShowRequest);
        probe.waitForBytesWritten(kTimeoutMs);
        probe.disconnectFromServer();
        return false;
    }
    // Nobody answers: a socket left behind by a crashed copy is removed.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return true; // still run; only the activation of this copy is lost
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("show"))
                    emit activationRequested();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

} // namespace ondrix
