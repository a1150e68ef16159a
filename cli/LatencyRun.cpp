#include "cli/LatencyRun.h"

#include "cli/CliTexts.h"
#include "cli/StandardStreams.h"
#include "services/TerminationSignalHandler.h"

namespace {

// How often the platform may finish connections and follow ports.
const int RefreshIntervalMs = 1000;
// How soon echoes are taken from the engine.
const int CollectIntervalMs = 10;
// New connections carry nothing for a few cycles; a probe sent into them
// would come back late and spoil the figures.
const int SettleMs = 200;
const int MillisecondDecimals = 3;
const int SecondDecimals = 1;
const double MicrosecondsPerSecond = 1e6;

QString milliseconds(double value)
{
    return QString::number(value, 'f', MillisecondDecimals);
}

} // namespace

LatencyRun::LatencyRun(const CliOptions& options)
    : m_options(options)
    , m_session(options.system)
    , m_feed(&m_session.engine().analyzer(), CollectIntervalMs)
    , m_probe(&m_session.engine())
    , m_signal(0)
{
    m_refreshTimer.setInterval(RefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] { m_session.refresh(); });
    connect(&m_probe, &LatencyProbe::finished, this, &LatencyRun::finished);
}

int LatencyRun::run()
{
    QString error;
    // Before the ports open, so that a signal once a peer sees them is handled in the loop.
    TerminationSignalHandler signalHandler;
    connect(&signalHandler, &TerminationSignalHandler::terminationRequested, this, &LatencyRun::signalled);
    if (!m_session.serviceAvailable(&error)) {
        StandardStreams::writeError(error);
        return ExitBadInput;
    }
    // Listening starts first, so that no echo is missed.
    m_feed.addMonitor(&m_probe, MonitorSourceIF::Direction::Received);
    if (!m_session.openSource(m_options.from, &error) || !m_session.openDestination(m_options.to, &error)) {
        StandardStreams::writeError(error);
        return ExitBadInput;
    }
    m_refreshTimer.start();
    QTimer::singleShot(SettleMs, this, &LatencyRun::startProbing);
    return m_loop.exec();
}

void LatencyRun::startProbing()
{
    if (m_signal == 0)
        m_probe.start(m_options.probe, m_options.count, m_options.intervalMs);
}

void LatencyRun::signalled(int signalNumber)
{
    m_signal = signalNumber;
    if (m_probe.isRunning())
        m_probe.stop();
    else
        m_loop.exit(ExitSignalBase + m_signal);
}

void LatencyRun::finished()
{
    m_refreshTimer.stop();
    const LatencyStatistics statistics = m_probe.statistics();
    const quint64 failures = m_probe.failureCount();
    if (failures > 0)
        StandardStreams::writeError(QString::fromLatin1(ProbesFailedFormat).arg(failures));
    if (statistics.lost() > 0) {
        const double timeout = LatencyProbe::timeout(m_options.intervalMs) / MicrosecondsPerSecond;
        StandardStreams::writeError(QString::fromLatin1(ProbesLostFormat)
                                        .arg(statistics.lost())
                                        .arg(m_probe.count())
                                        .arg(timeout, 0, 'f', SecondDecimals));
    }
    const QString figures = QString::fromLatin1(LatencyFiguresFormat)
                                .arg(milliseconds(statistics.minimum()), milliseconds(statistics.median()),
                                     milliseconds(statistics.percentile99()), milliseconds(statistics.maximum()))
                                .arg(statistics.lost());
    int status = statistics.lost() > 0 ? ExitTimedOut : ExitDone;
    if (failures > 0)
        status = ExitFailed;
    if (m_signal != 0)
        status = ExitSignalBase + m_signal;
    if (!StandardStreams::writeOutput(figures.toLatin1() + '\n'))
        status = ExitFailed;
    m_loop.exit(status);
}
