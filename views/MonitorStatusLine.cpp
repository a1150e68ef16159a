#include "views/MonitorStatusLine.h"

#include <QLocale>

namespace {

const char* const RatesText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 msg/s, %2 bytes/s");
const char* const TotalsText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 messages, %2 bytes");
const char* const LostText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 lost");
const char* const ClockText = QT_TRANSLATE_NOOP("MonitorStatusLine", "clock %1 BPM");
const char* const JitterText = QT_TRANSLATE_NOOP("MonitorStatusLine", "jitter %1 ms");
const char* const WaitingText = QT_TRANSLATE_NOOP("MonitorStatusLine", "Paused: %1 waiting");
const char* const Separator = "  |  ";
const int ReadingInterval = 1000;
const int RateDecimals = 0;
const int TempoDecimals = 1;
const int JitterDecimals = 2;
const qint64 NanosecondsPerMicrosecond = 1000;

} // namespace

MonitorStatusLine::MonitorStatusLine(QWidget* parent)
    : QLabel(parent), m_waiting(-1)
{
    m_timer.setInterval(ReadingInterval);
    connect(&m_timer, &QTimer::timeout, this, &MonitorStatusLine::readFigures);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    showFigures();
}

void MonitorStatusLine::trafficArrived()
{
    if (!m_timer.isActive()) {
        m_sinceReading.start();
        m_timer.start();
    }
}

void MonitorStatusLine::setWaiting(int count)
{
    if (count != m_waiting) {
        m_waiting = count;
        showFigures();
    }
}

void MonitorStatusLine::setRecording(const QString& text)
{
    if (text != m_recording) {
        m_recording = text;
        showFigures();
    }
}

void MonitorStatusLine::readFigures()
{
    const bool traffic = m_statistics.hasNewTraffic();
    m_figures = m_statistics.read(m_sinceReading.nsecsElapsed() / NanosecondsPerMicrosecond);
    m_sinceReading.start();
    // Rates of 0 stay on show until the next delivery starts the readings again.
    if (!traffic) {
        m_timer.stop();
    }
    showFigures();
}

void MonitorStatusLine::showFigures()
{
    const QLocale locale;
    QStringList parts;
    // First, where the narrowest monitor still shows it.
    if (!m_recording.isEmpty())
        parts << m_recording;
    parts << tr(RatesText)
                 .arg(locale.toString(m_figures.messagesPerSecond, 'f', RateDecimals),
                      locale.toString(m_figures.bytesPerSecond, 'f', RateDecimals));
    parts << tr(TotalsText).arg(locale.toString(m_figures.messages), locale.toString(m_figures.bytes));
    parts << tr(LostText).arg(locale.toString(m_figures.lost));
    if (m_figures.beatsPerMinute > 0.0) {
        parts << tr(ClockText).arg(locale.toString(m_figures.beatsPerMinute, 'f', TempoDecimals));
        if (m_figures.jitterMilliseconds >= 0.0) {
            parts << tr(JitterText).arg(locale.toString(m_figures.jitterMilliseconds, 'f', JitterDecimals));
        }
    }
    if (m_waiting >= 0) {
        parts << tr(WaitingText).arg(locale.toString(m_waiting));
    }
    setText(parts.join(QLatin1String(Separator)));
}
