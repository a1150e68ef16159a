// tarvo-jackpeer [--reply]
// Creates the JACK client "peer" with the ports peer:out and peer:in. Every
// message arriving at peer:in is printed as hex with its arrival time. Each
// line of hex bytes read from standard input is sent from peer:out. With
// --reply, every System Exclusive message received is answered with
// F0 7E 7F 06 02 <its bytes after the header> F7, like an identity reply.

#include "JackPeer.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const bool reply = application.arguments().contains(QStringLiteral("--reply"));
    JackPeer peer(QStringLiteral("peer"));
    QTextStream out(stdout);
    if (!peer.isOpen()) {
        QTextStream(stderr) << "no JACK server to join\n";
        return 1;
    }
    out << "ports: " << peer.outputPortName() << " (send), " << peer.inputPortName() << " (receive)\n";
    out.flush();

    int printed = 0;
    const auto start = std::chrono::steady_clock::now();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        const QList<JackPeer::Event> received = peer.received();
        for (; printed < received.size(); ++printed) {
            const JackPeer::Event& event = received.at(printed);
            const double ms = std::chrono::duration<double, std::milli>(event.time - start).count();
            out << QString::number(ms, 'f', 1) << " ms  " << hex(event.bytes) << '\n';
            if (reply && event.bytes.startsWith(char(0xF0))) {
                const QByteArray answer = replyTo(event.bytes);
                peer.send(answer);
                out << "  replied " << hex(answer) << '\n';
            }
        }
        out.flush();
    });
    poll.start(20);

    // Read with read(), not stdio: lines stdio had buffered would wait for
    // more input to wake the notifier.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&]() {
        char chunk[65536];
        const ssize_t count = read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(chunk, static_cast<int>(count));
        for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray bytes = QByteArray::fromHex(pending.left(end).simplified().replace(' ', ""));
            pending.remove(0, end + 1);
            if (!bytes.isEmpty())
                peer.send(bytes);
        }
    });
    return application.exec();
}
