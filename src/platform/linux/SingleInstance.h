#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace ondrix {

// One running copy per settings file: a second start asks the running copy to show its
// window and ends. The same socket carries commands from the command line: a client sends
// one request line, the running copy answers and closes the connection.
//
// Clients are not trusted: a request line longer than maxRequestBytes is refused, one that
// does not come whole within the request timeout is dropped, and nothing here ever waits
// for a client (all reading and writing is asynchronous).
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // Answers a request once, now or later; a client that has gone meanwhile is no error.
    using Reply = std::function<void(const QByteArray& answer)>;
    using RequestHandler = std::function<void(const QByteArray& line, Reply reply)>;

    // key: anything that tells apart the users and settings files sharing this machine.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);

    // True when this process is now the running copy; false when another copy answered
    // (it has been asked to show its window).
    bool BecomePrimary();

    // Requests that came before a handler was set wait for it.
    void SetRequestHandler(RequestHandler handler);
    void SetLimits(qsizetype maxRequestBytes, std::chrono::milliseconds requestTimeout);
    // The answer to a request line the server refuses by itself (one too long).
    QByteArray tooLongAnswer;

    // The client side: sends request to the running copy and reads its answer until the
    // connection closes, at most maxAnswerBytes.
    struct Exchange
    {
        enum class Outcome
        {
            NotRunning,
            Answered,
            NoAnswer,
        } outcome = Outcome::NotRunning;
        QByteArray answer;
    };
    Exchange Ask(const QByteArray& request, std::chrono::milliseconds timeout,
                 qsizetype maxAnswerBytes) const;

    QString ServerName() const { return m_name; }

signals:
    void activationRequested();

private:
    struct Waiting
    {
        QByteArray line;
        QPointer<QLocalSocket> socket;
    };
    void Accept(QLocalSocket* socket);
    void LineArrived(QLocalSocket* socket, const QByteArray& line);
    Reply ReplyTo(QLocalSocket* socket);

    QString m_name;
    QLocalServer* m_server = nullptr;
    RequestHandler m_handler;
    QList<Waiting> m_waiting;
    qsizetype m_maxRequestBytes = 16384;
    std::chrono::milliseconds m_requestTimeout{5000};
};

} // namespace ondrix
