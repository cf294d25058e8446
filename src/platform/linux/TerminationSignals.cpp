#include "TerminationSignals.h"

#include "core/Errors.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace ondrix {

namespace {

int g_signalSockets[2] = {-1, -1};

void HandleSignal(int signalNumber)
{
    const char byte = static_cast<char>(signalNumber);
    // Only async-signal-safe work here: one byte into the socket pair.
    [[maybe_unused]] const auto written = ::write(g_signalSockets[0], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets) != 0)
        throw PlatformError("Could not create the socket pair for termination signals.");
    m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::onReadable);

    struct sigaction action = {};
    action.sa_handler = HandleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signalNumber, SIG_DFL);
    ::close(g_signalSockets[0]);
    ::close(g_signalSockets[1]);
    g_signalSockets[0] = g_signalSockets[1] = -1;
}

void TerminationSignals::onReadable()
{
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(g_signalSockets[1], &byte, 1);
    emit terminationRequested();
}

} // namespace ondrix
