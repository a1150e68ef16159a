#pragma once

#include "cli/CommandLine.h"
#include "cli/MidiSession.h"
#include "engine/MonitorFeed.h"
#include "services/LatencyProbe.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

// One latency command: listens on the source, sends the probes to the
// destination, and prints the figures of their round trips as the last line
// of standard output. Ends 0 when every probe came back, 1 when one was
// lost, 3 when probes could not be sent, 128 and the signal's number when a
// signal ended it (the figures of what came back so far are printed first).
class LatencyRun : public QObject
{
    Q_OBJECT

public:
    explicit LatencyRun(const CliOptions& options);

    int run();

private:
    void startProbing();
    void finished();
    void signalled(int signalNumber);

    const CliOptions m_options;
    MidiSession m_session;
    // Both read the session's engine: they go first.
    MonitorFeed m_feed;
    LatencyProbe m_probe;
    QEventLoop m_loop;
    QTimer m_refreshTimer;
    int m_signal;
};
