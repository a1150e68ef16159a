#include "cli/Transfer.h"

#include "cli/CliTexts.h"
#include "cli/DumpSender.h"
#include "cli/StandardStreams.h"
#include "services/MidiPlayer.h"
#include "services/TerminationSignalHandler.h"

#include <cmath>

namespace {

// How often the platform may finish connections and follow ports, as the editor's window does.
const int RefreshIntervalMs = 1000;
// How soon what arrives is taken from the engine.
const int CollectIntervalMs = 10;
// How long the last bytes may take to leave once they were handed over.
const int DeliveryTimeoutMs = 5000;
const double MillisecondsPerSecond = 1000.0;

void report(const QString& text)
{
    StandardStreams::writeError(text);
}

} // namespace

Transfer::Transfer(const CliOptions& options)
    : m_options(options)
    , m_collector(options.sysexOnly)
    , m_output(options.out, options.timestamp)
    , m_session(options.system)
    , m_feed(&m_session.engine().analyzer(), CollectIntervalMs)
    , m_collecting(false)
    , m_signal(0)
    , m_xruns(0)
{
    m_refreshTimer.setInterval(RefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &Transfer::refresh);
    m_timeoutTimer.setSingleShot(true);
    connect(&m_timeoutTimer, &QTimer::timeout, this, [this] { end(collectedStatus()); });
    connect(&m_collector, &MessageCollector::arrived, this, &Transfer::takeArrived, Qt::QueuedConnection);
}

Transfer::~Transfer() = default;

int Transfer::run(const QList<QByteArray>& inputs)
{
    m_inputs = inputs;
    return execute();
}

int Transfer::play(const QVector<MidiFileMessage>& messages, qint64 duration)
{
    MidiEngine& engine = m_session.engine();
    m_pPlayer = std::make_unique<MidiPlayer>(&engine);
    m_pPlayer->setMessages(messages, duration);
    m_pPlayer->setSystemExclusiveRate(m_options.rate);
    connect(m_pPlayer.get(), &MidiPlayer::finished, this, &Transfer::playingFinished);
    return execute();
}

int Transfer::execute()
{
    QString error;
    // Refused before a dump is received only to be thrown away.
    if (m_options.receives() && !m_output.checkFile(&error)) {
        report(error);
        return ExitBadInput;
    }
    // Before the ports open: a signal that comes once a peer sees them is
    // handled, in the loop, as any other.
    TerminationSignalHandler signalHandler;
    connect(&signalHandler, &TerminationSignalHandler::terminationRequested, this, &Transfer::signalled);
    if (!m_session.serviceAvailable(&error)) {
        report(error);
        return ExitBadInput;
    }
    if (!openPorts(&error)) {
        report(error);
        return ExitBadInput;
    }
    m_refreshTimer.start();
    if (m_options.sends())
        startSending();
    else
        startCollecting();
    const int status = m_loop.exec();
    m_refreshTimer.stop();
    if (!m_options.receives())
        return status;
    if (!m_output.finish(&error)) {
        report(error);
        return ExitFailed;
    }
    if (!m_options.out.isEmpty() && m_output.count() == 0)
        report(QString::fromLatin1(OutNotWrittenFormat).arg(m_options.out));
    // What arrived is kept, but the caller learns it may be incomplete.
    return status == ExitDone && m_xruns > 0 ? int(ExitTimedOut) : status;
}

void Transfer::noteXruns(std::uint64_t count)
{
    m_xruns += count;
    report(QString::fromLatin1(XrunsFormat).arg(count));
}

bool Transfer::openPorts(QString* error)
{
    MidiEngine& engine = m_session.engine();
    engine.setMaxSystemExclusive(m_options.maxSystemExclusive);
    engine.setBulkInterval(m_options.intervalMs);
    // Listening starts first, so that no reply is missed.
    if (m_options.receives()) {
        m_feed.addMonitor(&m_collector, MonitorSourceIF::Direction::Received);
        if (!m_session.openSource(m_options.from, error))
            return false;
    }
    if (m_options.sends()) {
        // Refused before anything is sent: a larger piece would not arrive.
        const std::size_t largest = engine.largestPiece();
        if (largest > 0 && m_options.chunk > largest) {
            *error = QString::fromLatin1(ChunkTooLargeFormat)
                         .arg(m_options.chunk)
                         .arg(engine.systemName())
                         .arg(largest);
            return false;
        }
        if (m_options.chunk > 0)
            engine.setPieceSize(m_options.chunk);
        if (!m_session.openDestination(m_options.to, error))
            return false;
    }
    return true;
}

void Transfer::startSending()
{
    if (m_pPlayer) {
        m_pPlayer->play();
        return;
    }
    MidiEngine& engine = m_session.engine();
    m_pSender = std::make_unique<DumpSender>(&engine, &engine.bulkIntervalManager(), m_inputs, m_options.rate);
    connect(m_pSender.get(), &QThread::finished, this, &Transfer::sendingFinished);
    m_pSender->start();
}

void Transfer::playingFinished(bool reachedEnd)
{
    const quint64 failures = m_pPlayer->failureCount();
    if (!reachedEnd) {
        // The Note Offs of the notes left on still go out.
        m_session.waitUntilSent(DeliveryTimeoutMs);
        report(QLatin1String(PlayInterruptedText));
        end(ExitSignalBase + m_signal);
    } else if (failures > 0) {
        report(QString::fromLatin1(PlayFailedFormat).arg(failures));
        end(ExitFailed);
    } else {
        finishSending();
    }
}

void Transfer::sendingFinished()
{
    const std::uint64_t sent = m_pSender->sentBytes();
    switch (m_pSender->outcome()) {
    case DumpSender::Outcome::Cancelled:
        // What was handed over, the closing F7 included, still goes out.
        m_session.waitUntilSent(DeliveryTimeoutMs);
        report(QString::fromLatin1(SendCancelledFormat).arg(sent));
        end(ExitSignalBase + m_signal);
        return;
    case DumpSender::Outcome::Failed:
        report(QString::fromLatin1(SendFailedFormat).arg(leftBytes(sent)));
        end(ExitFailed);
        return;
    case DumpSender::Outcome::Done:
        break;
    }
    finishSending();
}

std::uint64_t Transfer::leftBytes(std::uint64_t handed)
{
    const std::uint64_t unsent = m_session.engine().unsentBytes();
    return handed > unsent ? handed - unsent : 0;
}

void Transfer::finishSending()
{
    if (!m_session.waitUntilSent(DeliveryTimeoutMs)) {
        if (m_pSender) {
            const std::uint64_t handed = m_pSender->sentBytes();
            report(QString::fromLatin1(NotDeliveredFormat).arg(leftBytes(handed)).arg(handed));
        } else {
            report(QLatin1String(NotDeliveredText));
        }
        end(ExitFailed);
    } else if (!m_options.receives()) {
        end(ExitDone);
    } else if (m_signal != 0) {
        end(collectedStatus());
    } else {
        startCollecting();
    }
}

void Transfer::refresh()
{
    m_session.refresh();
    // Sends fail by themselves; a receive would wait for nothing.
    const QString problem = m_session.engine().serviceProblem();
    if (m_collecting && !problem.isEmpty()) {
        takeArrived();
        report(QString::fromLatin1(ServiceLostFormat).arg(problem));
        end(ExitBadInput);
    }
}

void Transfer::startCollecting()
{
    m_collecting = true;
    if (m_options.timeoutSeconds >= 0.0)
        m_timeoutTimer.start(static_cast<int>(std::lround(m_options.timeoutSeconds * MillisecondsPerSecond)));
    // Replies that came while sending may be all there is to wait for.
    takeArrived();
}

void Transfer::takeArrived()
{
    // What the engine holds now, at the end too.
    m_feed.collect();
    MidiRecords losses;
    const std::vector<MessageCollector::Message> messages = m_collector.take(&losses);
    std::uint64_t lost = 0;
    for (const MidiRecord& loss : losses) {
        if (loss.kind == MidiRecord::Kind::Lost)
            lost += loss.count;
        else if (loss.kind == MidiRecord::Kind::TooLong)
            report(QString::fromLatin1(TooLongDroppedFormat).arg(m_options.maxSystemExclusive));
        else if (loss.kind == MidiRecord::Kind::Xrun)
            noteXruns(loss.count);
        else
            report(QString::fromLatin1(CutShortDroppedFormat).arg(loss.count));
    }
    if (lost > 0)
        report(QString::fromLatin1(LostMessagesFormat).arg(lost));
    m_output.addLosses(losses);
    for (const MessageCollector::Message& message : messages) {
        // Messages beyond the count are not asked for.
        if (m_options.count > 0 && m_output.count() >= m_options.count)
            break;
        m_output.add(message);
    }
    // Collecting on would only lose what arrives; while a request is still
    // sending, its dump goes out whole first.
    if (!m_output.flush() && m_collecting) {
        end(ExitFailed);
        return;
    }
    if (m_collecting && m_options.count > 0 && m_output.count() >= m_options.count)
        end(ExitDone);
}

void Transfer::signalled(int signalNumber)
{
    m_signal = signalNumber;
    if (m_collecting)
        end(collectedStatus());
    else if (m_pPlayer)
        m_pPlayer->stop();
    else if (m_pSender)
        m_pSender->cancel();
}

void Transfer::end(int status)
{
    m_collecting = false;
    m_timeoutTimer.stop();
    m_loop.exit(status);
}

int Transfer::collectedStatus()
{
    takeArrived();
    if (m_options.count == 0 || m_output.count() >= m_options.count)
        return ExitDone;
    report(QString::fromLatin1(TimedOutFormat).arg(m_output.count()).arg(m_options.count));
    return ExitTimedOut;
}
