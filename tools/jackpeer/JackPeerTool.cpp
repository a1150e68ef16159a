// tarvo-jackpeer: a JACK MIDI peer for trying the program by hand. See Usage.

#include "PacedPeer.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <cctype>
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

const char* const ClientName = "peer";
const int PollIntervalMs = 5;
const int UsageExitCode = 2;
const int LossExitCode = 1;

const char* const Usage =
    "Usage: tarvo-jackpeer [--reply] [--quit] [--rate BYTES]\n"
    "\n"
    "Joins the running JACK server as the client \"peer\" with the MIDI ports\n"
    "peer:out and peer:in. Every message arriving at peer:in is printed as hex\n"
    "with its arrival time. Each line of hex bytes read from standard input is\n"
    "sent from peer:out once somebody listens to it; a long line goes out in\n"
    "pieces of 1,024 bytes, paced to what one JACK cycle carries.\n"
    "\n"
    "  --reply  answer every System Exclusive message received with\n"
    "           F0 7E 7F 06 02 <its bytes after the header> F7, like an identity reply\n"
    "  --quit   quit once standard input has ended and all of it was sent\n"
    "  --rate BYTES\n"
    "           send at most BYTES bytes a second, for receivers slower than JACK\n"
    "  --help   print this help\n"
    "\n"
    "Ctrl+C ends it. Lines that are not hex, and whatever could not be sent or\n"
    "kept, are reported on standard error; the exit status is then 1.\n";

const char* const UnknownOption = "unknown option: %1\n\n";
const char* const BadRate = "--rate takes a number of bytes a second above 0\n\n";
const char* const Ports = "ports: %1 (send), %2 (receive)\n";
const char* const Replied = "  replied %1\n";
const char* const NoServer = "no JACK server to join\n";
const char* const NoSignalWatch = "cannot watch for Ctrl+C\n";
const char* const ServerGone = "the JACK server went away\n";
const char* const NotHex = "line %1 is not hex bytes; not sent\n";
const char* const WaitingForListener = "nobody listens to %1 yet: sending once somebody does\n";
const char* const Unsent = "not sent: %1 messages, %2 bytes\n";
const char* const Refused = "refused by %1 although it was empty: %2 messages, %3 bytes\n";
const char* const Dropped = "received but not kept for lack of room: %1 messages\n";

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray replyTo(const QByteArray& request)
{
    QByteArray reply = QByteArray::fromHex("F07E7F0602");
    reply.append(request.mid(5, qMax(0, request.size() - 6)));
    reply.append(char(0xF7));
    return reply;
}

// The bytes of a line of hex digit pairs, spaces allowed between pairs;
// false when anything else is in it.
bool parseHexLine(const QByteArray& line, QByteArray* bytes)
{
    const QByteArray digits = line.simplified().replace(' ', "");
    if (digits.size() % 2 != 0)
        return false;
    for (char digit : digits) {
        if (!isxdigit(static_cast<unsigned char>(digit)))
            return false;
    }
    *bytes = QByteArray::fromHex(digits);
    return true;
}

// Ctrl+C and its kin arrive as a readable file descriptor, so that the event
// loop ends normally and the losses are reported. Blocked before JACK starts
// its threads, so that none of them takes the signals.
int blockEndingSignals()
{
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGHUP);
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    return signalfd(-1, &ending, SFD_CLOEXEC);
}

struct Options
{
    bool reply = false;
    bool quit = false;
    std::uint64_t rate = 0;
};

// False, with the reason in *error, for arguments it does not know.
bool parseArguments(const QStringList& arguments, Options* options, QString* error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--reply")) {
            options->reply = true;
        } else if (argument == QLatin1String("--quit")) {
            options->quit = true;
        } else if (argument == QLatin1String("--rate")) {
            bool number = false;
            options->rate = i + 1 < arguments.size() ? arguments.at(++i).toULongLong(&number) : 0;
            if (!number || options->rate == 0) {
                *error = QString::fromLatin1(BadRate);
                return false;
            }
        } else {
            *error = QString::fromLatin1(UnknownOption).arg(argument);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.contains(QLatin1String("--help"))) {
        out << Usage;
        return 0;
    }
    Options options;
    QString error;
    if (!parseArguments(arguments, &options, &error)) {
        err << error << Usage;
        return UsageExitCode;
    }

    const int endingSignals = blockEndingSignals();
    if (endingSignals < 0) {
        err << NoSignalWatch;
        return LossExitCode;
    }
    PacedPeer peer((QLatin1String(ClientName)));
    if (!peer.isOpen()) {
        err << NoServer;
        return LossExitCode;
    }
    peer.setRate(options.rate);
    out << QString::fromLatin1(Ports).arg(peer.outputPortName(), peer.inputPortName());
    out.flush();

    int invalidLines = 0;
    int lineNumber = 0;
    bool inputEnded = false;
    bool toldWaiting = false;
    QByteArray pending;
    const auto sendLine = [&](const QByteArray& line) {
        ++lineNumber;
        QByteArray bytes;
        if (!parseHexLine(line, &bytes)) {
            ++invalidLines;
            err << QString::fromLatin1(NotHex).arg(lineNumber);
            err.flush();
            return;
        }
        if (bytes.isEmpty())
            return;
        if (!toldWaiting && !peer.isHeard()) {
            toldWaiting = true;
            err << QString::fromLatin1(WaitingForListener).arg(peer.outputPortName());
            err.flush();
        }
        peer.send(bytes);
        peer.pump();
    };

    // Read with read(), not stdio: lines stdio had buffered would wait for
    // more input to wake the notifier.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&]() {
        char chunk[65536];
        const ssize_t count = read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0) {
            input.setEnabled(false);
            inputEnded = true;
            if (!pending.trimmed().isEmpty())
                sendLine(pending);
            pending.clear();
            return;
        }
        pending.append(chunk, static_cast<int>(count));
        for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            sendLine(pending.left(end));
            pending.remove(0, end + 1);
        }
    });

    QSocketNotifier ending(endingSignals, QSocketNotifier::Read);
    QObject::connect(&ending, &QSocketNotifier::activated, [&]() {
        signalfd_siginfo signal;
        if (read(endingSignals, &signal, sizeof signal) != static_cast<ssize_t>(sizeof signal))
            err << NoSignalWatch;
        application.quit();
    });

    std::uint64_t droppedSeen = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        peer.pump();
        for (const PacedPeer::Event& event : peer.takeReceived()) {
            out << QString::number(event.microseconds / 1000.0, 'f', 1) << " ms  " << hex(event.bytes) << '\n';
            if (options.reply && event.bytes.startsWith(char(0xF0))) {
                const QByteArray answer = replyTo(event.bytes);
                peer.send(answer);
                out << QString::fromLatin1(Replied).arg(hex(answer));
            }
        }
        out.flush();
        const PacedPeer::Losses losses = peer.losses();
        if (losses.droppedEvents > droppedSeen) {
            droppedSeen = losses.droppedEvents;
            err << QString::fromLatin1(Dropped).arg(droppedSeen);
            err.flush();
        }
        if (peer.serverGone()) {
            err << ServerGone;
            application.exit(LossExitCode);
        } else if (options.quit && inputEnded && peer.isDone()) {
            application.quit();
        }
    });
    poll.start(PollIntervalMs);

    const int status = application.exec();
    const PacedPeer::Losses losses = peer.losses();
    if (losses.unsentMessages > 0)
        err << QString::fromLatin1(Unsent).arg(losses.unsentMessages).arg(losses.unsentBytes);
    if (losses.refusedMessages > 0)
        err << QString::fromLatin1(Refused)
                   .arg(peer.outputPortName())
                   .arg(losses.refusedMessages)
                   .arg(losses.refusedBytes);
    const bool lost = invalidLines > 0 || losses.unsentMessages > 0 || losses.refusedMessages > 0
        || losses.droppedEvents > 0;
    return status != 0 || lost ? LossExitCode : 0;
}
