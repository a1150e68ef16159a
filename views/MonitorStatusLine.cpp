#include "views/MonitorStatusLine.h"

#include "services/CountText.h"

#include <QLocale>

namespace {

const char* const MessageText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 message");
const char* const MessagesText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 messages");
const char* const ByteText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 byte");
const char* const BytesText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 bytes");
const char* const MessageRateText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 msg/s");
const char* const ByteRateText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 bytes/s");
const char* const LostText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 lost");
const char* const XrunsText = QT_TRANSLATE_NOOP("MonitorStatusLine", "%1 xruns");
const char* const ClockText = QT_TRANSLATE_NOOP("MonitorStatusLine", "clock %1 BPM");
const char* const JitterText = QT_TRANSLATE_NOOP("MonitorStatusLine", "jitter %1 ms");
const char* const WaitingText = QT_TRANSLATE_NOOP("MonitorStatusLine", "Paused: %1 waiting");
const char* const Separator = "  |  ";
const QChar LineBreak = QLatin1Char('\n');
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
    const MonitorStatistics::Figures& figures = m_figures;
    const QString messages = countText(figures.messages, locale.toString(figures.messages), tr(MessageText),
                                       tr(MessagesText));
    const QString bytes = countText(figures.bytes, locale.toString(figures.bytes), tr(ByteText), tr(BytesText));
    const QString messageRate = tr(MessageRateText).arg(locale.toString(figures.messagesPerSecond, 'f', RateDecimals));
    const QString byteRate = tr(ByteRateText).arg(locale.toString(figures.bytesPerSecond, 'f', RateDecimals));
    QString lost = tr(LostText).arg(locale.toString(figures.lost));
    // Shown only once there were any: most systems never have one.
    if (figures.xruns > 0) {
        lost += QLatin1String(Separator) + tr(XrunsText).arg(locale.toString(figures.xruns));
    }
    QStringList clock;
    if (figures.beatsPerMinute > 0.0) {
        clock << tr(ClockText).arg(locale.toString(figures.beatsPerMinute, 'f', TempoDecimals));
        if (figures.jitterMilliseconds >= 0.0) {
            clock << tr(JitterText).arg(locale.toString(figures.jitterMilliseconds, 'f', JitterDecimals));
        }
    }

    // Two short lines fit the narrowest monitor: what was lost and how much
    // arrives first, then the clock while one runs, else the bytes. A
    // recording's and a pause's state go above them; every figure is in the
    // tooltip.
    const QString separator = QLatin1String(Separator);
    QStringList lines;
    if (!m_recording.isEmpty()) {
        lines << m_recording;
    }
    if (m_waiting >= 0) {
        lines << tr(WaitingText).arg(locale.toString(m_waiting));
    }
    lines << QStringList{lost, messages, messageRate}.join(separator);
    lines << (clock.isEmpty() ? QStringList{bytes, byteRate} : clock).join(separator);
    setText(lines.join(LineBreak));
    setToolTip((QStringList{messages, bytes, messageRate, byteRate, lost} + clock).join(LineBreak));
}
