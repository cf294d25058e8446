#include "LayerClient.h"

#include "platform/DesktopWallpaper.h"

#include <QLocalSocket>
#include <QProcessEnvironment>

#include <csignal>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace ondrix {

namespace {

// How long a program that was asked to end may take before it is killed.
constexpr int kEndGraceMs = 1000;

QStringList ArgumentsOf(const LayerClient::Settings& settings)
{
    return {QStringLiteral("--route"),         QString::fromStdString(LayerRouteName(settings.route)),
            QStringLiteral("--work-root"),     QString::fromStdString(settings.workRoot),
            QStringLiteral("--player-root"),   QString::fromStdString(settings.playerRoot),
            QStringLiteral("--still-picture"), QString::fromStdString(settings.stillPicture)};
}

// Ends a program that was let go: at once when it has ended by itself (the end of its socket
// ends it), else after a grace.
void EndProgram(QProcess* process)
{
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->terminate();
    QTimer::singleShot(kEndGraceMs, process, [process] { process->kill(); });
}

} // namespace

LayerClient::LayerClient(Settings settings, std::function<DesktopSize()> desktopSize,
                         DesktopWallpaper* pictures, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_desktopSize(std::move(desktopSize)),
      m_pictures(pictures)
{
    m_clock.start();
    m_ping.setInterval(m_settings.pingMs);
    connect(&m_ping, &QTimer::timeout, this, &LayerClient::Ping);
}

LayerClient::~LayerClient()
{
    m_ping.stop();
    delete m_socket.data(); // the end of the socket ends the program
    if (m_process) {
        m_process->disconnect(this);
        if (!m_process->waitForFinished(kEndGraceMs)) {
            m_process->kill();
            m_process->waitForFinished(kEndGraceMs);
        }
        delete m_process.data();
    }
}

std::uint32_t LayerClient::NextId()
{
    const std::uint32_t id = m_nextId++;
    if (m_nextId == 0)
        m_nextId = 1;
    return id;
}

qint64 LayerClient::ProgramId() const
{
    return m_process ? m_process->processId() : 0;
}

void LayerClient::ShowStartPage(const std::string& startPage)
{
    m_page = startPage;
    m_showId = NextId();
    if (!m_process)
        Start();
    else if (m_ready)
        Send(LayerVerb::Show, m_page);
}

void LayerClient::SwitchOff()
{
    m_page.clear();
    m_showId = 0;
    Stop();
}

void LayerClient::SetDesktopSize(DesktopSize size)
{
    m_size = size;
    if (m_ready && size.width > 0 && size.height > 0)
        Send(LayerVerb::Size, EncodeLayerSize({size.width, size.height}));
}

void LayerClient::SetSound(bool on)
{
    m_options.sound = on;
    if (m_ready)
        Send(LayerVerb::Options, EncodeLayerOptions(m_options));
}

void LayerClient::SetPauseWhenCovered(bool on)
{
    m_options.pauseCovered = on;
    if (m_ready)
        Send(LayerVerb::Options, EncodeLayerOptions(m_options));
}

void LayerClient::SetPauseOnBattery(bool on)
{
    m_options.pauseBattery = on;
    if (m_ready)
        Send(LayerVerb::Options, EncodeLayerOptions(m_options));
}

void LayerClient::SetOverIcons(bool on)
{
    m_options.overIcons = on;
    if (m_ready)
        Send(LayerVerb::Options, EncodeLayerOptions(m_options));
}

void LayerClient::Start()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        emit failed(QStringLiteral("The live layer cannot be started: no socket for it."));
        return;
    }
    const int childEnd = ends[1];
    const pid_t parent = ::getpid();
    auto* process = new QProcess(this);
    process->setProgram(QString::fromStdString(m_settings.program));
    process->setArguments(ArgumentsOf(m_settings));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                       QString::fromStdString(LayerPlatformOf(m_settings.route)));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    // In the child, before the program runs: the socket becomes descriptor 3, and the child
    // is told to end when Ondrix goes (also when that happened already).
    process->setChildProcessModifier([childEnd, parent] {
        if (childEnd == kLayerSocketFd)
            ::fcntl(kLayerSocketFd, F_SETFD, 0);
        else
            ::dup2(childEnd, kLayerSocketFd);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(0);
    });
    connect(process, &QProcess::finished, this, [this, process] {
        if (process == m_process)
            Lost(QStringLiteral("ended"));
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (process == m_process && error == QProcess::FailedToStart) {
            emit failed(QStringLiteral("The live layer program %1 could not be started: %2")
                            .arg(QString::fromStdString(m_settings.program), process->errorString()));
            m_page.clear();
            Stop();
        }
    });
    m_process = process;
    m_ready = false;
    m_awaitingAnswer = false;
    m_showPending = false;
    m_reader = LayerLineReader();
    process->start();
    ::close(childEnd);

    auto* socket = new QLocalSocket(this);
    socket->setSocketDescriptor(ends[0]);
    connect(socket, &QLocalSocket::readyRead, this, &LayerClient::Read);
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        if (socket == m_socket)
            Lost(QStringLiteral("closed its socket"));
    });
    m_socket = socket;
    m_waiting.start();
    m_ping.start();
}

void LayerClient::Stop()
{
    m_ping.stop();
    m_ready = false;
    m_awaitingAnswer = false;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    if (m_process) {
        m_process->disconnect(this);
        EndProgram(m_process);
        m_process = nullptr;
    }
}

void LayerClient::Send(LayerVerb verb, const std::string& argument)
{
    if (!m_socket)
        return;
    const std::uint32_t id = verb == LayerVerb::Show ? m_showId : NextId();
    if (verb == LayerVerb::Ping)
        m_pingId = id;
    if (verb == LayerVerb::Show)
        m_showPending = true;
    m_socket->write(QByteArray::fromStdString(EncodeLayerMessage({verb, id, argument})));
}

void LayerClient::Read()
{
    if (!m_socket)
        return;
    if (!m_reader.Feed(m_socket->readAll().toStdString())) {
        Lost(QStringLiteral("sent a line longer than the protocol allows"));
        return;
    }
    while (auto line = m_reader.NextLine()) {
        const DecodedLayerMessage decoded = DecodeLayerMessage(*line);
        if (!decoded.message || IsLayerRequest(decoded.message->verb)) {
            Lost(QStringLiteral("broke the protocol (%1)")
                     .arg(QString::fromStdString(decoded.message ? "a request" : decoded.error)));
            return;
        }
        Handle(*decoded.message);
        if (!m_socket)
            return;
    }
}

void LayerClient::Handle(const LayerMessage& message)
{
    switch (message.verb) {
    case LayerVerb::Ready:
        m_ready = true;
        m_awaitingAnswer = false;
        Send(LayerVerb::Options, EncodeLayerOptions(m_options));
        if (m_desktopSize)
            m_size = m_desktopSize();
        SetDesktopSize(m_size);
        if (!m_page.empty())
            Send(LayerVerb::Show, m_page);
        break;
    case LayerVerb::Ok:
        if (message.id == m_pingId)
            m_awaitingAnswer = false;
        if (message.id == m_showId)
            m_showPending = false;
        break;
    case LayerVerb::Error:
        if (message.id == m_showId)
            m_showPending = false;
        emit failed(QString::fromStdString(message.argument));
        break;
    case LayerVerb::Frame:
        if (message.id == m_showId)
            emit movieStarted();
        break;
    case LayerVerb::Still:
        // Only the picture file Ondrix named, and only for the page shown now.
        if (message.id != m_showId || message.argument != m_settings.stillPicture || m_pictures == nullptr)
            break;
        try {
            m_pictures->Write({message.argument, "0"});
            emit stillPictureSet(QString::fromStdString(message.argument));
        } catch (const std::exception& error) {
            emit failed(QString::fromUtf8(error.what()));
        }
        break;
    case LayerVerb::Layer: {
        // A program started again says it anew; the user is told only of a change.
        const ThemeLayerKind kind =
            message.argument == "live" ? ThemeLayerKind::LiveWindow : ThemeLayerKind::StillPicture;
        if (std::exchange(m_kind, kind) != kind)
            emit layerInUse(kind);
        break;
    }
    case LayerVerb::Paused:
        emit pausedChanged(message.argument == "1");
        break;
    default:
        break;
    }
}

void LayerClient::Ping()
{
    if (!m_process)
        return;
    if (!m_ready) {
        if (m_waiting.elapsed() > m_settings.startMs)
            Lost(QStringLiteral("did not start"));
        return;
    }
    if (m_awaitingAnswer) {
        if (m_waiting.elapsed() > (m_showPending ? m_settings.startMs : m_settings.answerMs))
            Lost(QStringLiteral("stopped answering"));
        return;
    }
    Send(LayerVerb::Ping);
    m_awaitingAnswer = true;
    m_waiting.restart();
}

void LayerClient::Lost(const QString& why)
{
    if (m_process)
        m_process->kill(); // one that stopped answering is not waited for
    Stop();
    std::fprintf(stderr, "Ondrix: the live layer program %s.\n", why.toLocal8Bit().constData());
    if (m_page.empty())
        return; // nothing was shown: the next page starts a new program
    const qint64 now = m_clock.elapsed();
    while (!m_restarts.empty() && now - m_restarts.front() > kRestartWindowMs)
        m_restarts.pop_front();
    if (static_cast<int>(m_restarts.size()) < kMaxRestarts) {
        m_restarts.push_back(now);
        emit restarted(false);
    } else if (m_settings.route != LayerRoute::StillPicture) {
        m_settings.route = LayerRoute::StillPicture;
        m_kind = ThemeLayerKind::StillPicture; // said by the fallback itself
        m_restarts.clear();
        emit restarted(true);
    } else {
        m_page.clear();
        emit failed(QStringLiteral("The theme layer keeps ending; the theme is not shown."));
        return;
    }
    Start();
}

} // namespace ondrix
