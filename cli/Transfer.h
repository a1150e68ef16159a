#pragma once

#include "cli/CaptureOutput.h"
#include "cli/CommandLine.h"
#include "cli/MessageCollector.h"
#include "cli/MidiSession.h"
#include "engine/MonitorFeed.h"
#include "services/MidiFileMessage.h"

#include <QByteArray>
#include <QEventLoop>
#include <QList>
#include <QTimer>

#include <cstdint>
#include <memory>

class DumpSender;
class MidiPlayer;

// One send, receive or request: opens the ports, sends the inputs or plays a
// MIDI file, collects what arrives until the count or the timeout, and tells
// how it ended as an exit status. Runs the main thread's event loop
// meanwhile, so that a signal cancels sending (see TerminationSignalHandler)
// or ends collecting.
class Transfer : public QObject
{
    Q_OBJECT

public:
    explicit Transfer(const CliOptions& options);
    ~Transfer() override;

    int run(const QList<QByteArray>& inputs);
    // Plays messages at their times (a send of a MIDI file).
    int play(const QVector<MidiFileMessage>& messages, qint64 duration);

private:
    int execute();
    bool openPorts(QString* error);
    void startSending();
    void sendingFinished();
    void playingFinished(bool reachedEnd);
    // Once what was handed over has left.
    void finishSending();
    // Of handed bytes, those that left: not what the platform still holds.
    std::uint64_t leftBytes(std::uint64_t handed);
    // About once a second: follows ports; ends a receive whose service went away.
    void refresh();
    void startCollecting();
    void takeArrived();
    // Reports xruns while receiving and has the run end with exit status 1.
    void noteXruns(std::uint64_t count);
    void signalled(int signalNumber);
    // Ends the event loop with the status.
    void end(int status);
    int collectedStatus();

    const CliOptions m_options;
    // Outlives the feed, which hands it what arrives.
    MessageCollector m_collector;
    CaptureOutput m_output;
    MidiSession m_session;
    // Declared after the session, whose engine it reads: it goes first.
    MonitorFeed m_feed;
    QList<QByteArray> m_inputs;
    std::unique_ptr<DumpSender> m_pSender;
    std::unique_ptr<MidiPlayer> m_pPlayer;
    QEventLoop m_loop;
    QTimer m_refreshTimer;
    QTimer m_timeoutTimer;
    bool m_collecting;
    int m_signal;
    // Xruns while receiving.
    std::uint64_t m_xruns;
};
