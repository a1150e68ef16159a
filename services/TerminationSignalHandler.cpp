#include "services/TerminationSignalHandler.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int HandledSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Exit status of a process ended by a signal, as shells report it.
const int SignalExitBase = 128;

int s_sockets[2] = {-1, -1};
std::atomic<bool> s_signalSeen {false};

extern "C" void onTerminationSignal(int signalNumber)
{
    if (s_signalSeen.exchange(true))
        _exit(SignalExitBase + signalNumber);
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing can be done about a failed write inside a handler.
    [[maybe_unused]] const ssize_t written = ::write(s_sockets[0], &byte, 1);
}

} // namespace

TerminationSignalHandler::TerminationSignalHandler(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_sockets) != 0)
        return;
    m_pNotifier = new QSocketNotifier(s_sockets[1], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &TerminationSignalHandler::readSignal);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : HandledSignals)
        sigaction(signalNumber, &action, nullptr);
}

TerminationSignalHandler::~TerminationSignalHandler()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : HandledSignals)
        sigaction(signalNumber, &action, nullptr);
    for (int& socket : s_sockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
    s_signalSeen = false;
}

bool TerminationSignalHandler::isActive() const
{
    return m_pNotifier != nullptr;
}

void TerminationSignalHandler::readSignal()
{
    unsigned char byte = 0;
    if (::read(s_sockets[1], &byte, 1) == 1)
        emit terminationRequested(byte);
}
