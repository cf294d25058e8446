#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <memory>
#include <unistd.h>
#include <utility>

namespace ondrix {

namespace {
constexpr int kConnectTimeoutMs = 1000;
constexpr char kShowRequest[] = "show\n";
// More clients at once than this are turned away: nobody types commands that fast.
constexpr int kMaxConnections = 16;
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
    if (probe.waitForConnected(kConnectTimeoutMs)) {
        probe.write(kShowRequest);
        probe.waitForBytesWritten(kConnectTimeoutMs);
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
        while (QLocalSocket* socket = m_server->nextPendingConnection())
            Accept(socket);
    });
    return true;
}

void SingleInstance::SetLimits(qsizetype maxRequestBytes, std::chrono::milliseconds requestTimeout)
{
    m_maxRequestBytes = maxRequestBytes;
    m_requestTimeout = requestTimeout;
}

void SingleInstance::Accept(QLocalSocket* socket)
{
    socket->setParent(this);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (findChildren<QLocalSocket*>(QString(), Qt::FindDirectChildrenOnly).size() > kMaxConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    struct Reading
    {
        QByteArray buffer;
        bool done = false; // the request line is in; the rest is not read
    };
    auto reading = std::make_shared<Reading>();
    // A client that sends no whole line in time is dropped; one waiting for its answer is not.
    QTimer::singleShot(m_requestTimeout, socket, [socket, reading] {
        if (!reading->done)
            socket->abort();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, reading] {
        if (reading->done) {
            socket->readAll();
            return;
        }
        reading->buffer.append(socket->read(m_maxRequestBytes + 2 - reading->buffer.size()));
        const qsizetype end = reading->buffer.indexOf('\n');
        if (end < 0 && reading->buffer.size() <= m_maxRequestBytes)
            return;
        reading->done = true;
        if (end < 0 || end > m_maxRequestBytes) {
            ReplyTo(socket)(tooLongAnswer);
            return;
        }
        const QByteArray line = reading->buffer.left(end);
        reading->buffer.clear();
        LineArrived(socket, line);
    });
}

void SingleInstance::LineArrived(QLocalSocket* socket, const QByteArray& line)
{
    // A plain second start of the program.
    if (line == "show" || line == "show\r") {
        socket->disconnectFromServer();
        emit activationRequested();
        return;
    }
    if (!m_handler) {
        m_waiting.append(Waiting{line, socket});
        return;
    }
    m_handler(line, ReplyTo(socket));
}

void SingleInstance::SetRequestHandler(RequestHandler handler)
{
    m_handler = std::move(handler);
    if (!m_handler)
        return;
    const QList<Waiting> waiting = std::exchange(m_waiting, {});
    for (const Waiting& request : waiting)
        m_handler(request.line, ReplyTo(request.socket));
}

SingleInstance::Reply SingleInstance::ReplyTo(QLocalSocket* socket)
{
    QPointer<QLocalSocket> target(socket);
    auto answered = std::make_shared<bool>(false);
    return [target, answered](const QByteArray& answer) {
        if (std::exchange(*answered, true) || !target || target->state() != QLocalSocket::ConnectedState)
            return;
        target->write(answer);
        // The answer is written out before the connection closes; nothing waits for that.
        target->disconnectFromServer();
    };
}

SingleInstance::Exchange SingleInstance::Ask(const QByteArray& request, std::chrono::milliseconds timeout,
                                             qsizetype maxAnswerBytes) const
{
    Exchange exchange;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return exchange;
    exchange.outcome = Exchange::Outcome::NoAnswer;
    const QDeadlineTimer deadline(timeout);
    socket.write(request);
    while (socket.bytesToWrite() > 0 && !deadline.hasExpired())
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            break;
    // The answer is whole once the running copy closes the connection.
    for (;;) {
        exchange.answer.append(socket.read(maxAnswerBytes + 1 - exchange.answer.size()));
        if (exchange.answer.size() > maxAnswerBytes)
            return exchange;
        if (socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0)
            break;
        if (deadline.hasExpired())
            return exchange;
        socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    if (socket.state() != QLocalSocket::ConnectedState && !exchange.answer.isEmpty())
        exchange.outcome = Exchange::Outcome::Answered;
    return exchange;
}

} // namespace ondrix
