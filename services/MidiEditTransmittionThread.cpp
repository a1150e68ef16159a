#include "services/MidiEditTransmittionThread.h"

#include "engine/MidiSenderIF.h"
#include "services/HexTextChecker.h"
#include "services/PacedSender.h"

#include <QMutexLocker>

#include <limits>

MidiEditTransmittionThread::MidiEditTransmittionThread(QObject* parent, MidiSenderIF* sender)
    : QThread(parent)
    , m_pSender(sender)
    , m_stop(false)
    // The text is checked before it is read; the sender refuses what is too long.
    , m_reader(std::numeric_limits<std::size_t>::max())
    , m_bytesPerSecond(0)
    , m_transmitting(false)
    , m_handedOver(0)
    , m_stoppedPass(0)
{
    start(QThread::InheritPriority);
    setPriority(QThread::NormalPriority);
}
MidiEditTransmittionThread::~MidiEditTransmittionThread()
{
    if (!isRunning())
        return;
    // Set before the mutex, which a running transmission holds: it ends after
    // its current message, so the owner is not held up for the rest of a dump.
    m_stop = true;
    m_transmitting = false;
    {
        QMutexLocker locker(&m_mutex);
        m_waitCondition.wakeAll();
    }
    wait();
}

void MidiEditTransmittionThread::setTransmittionMessage(const QString& text, unsigned int bytesPerSecond)
{
    QMutexLocker locker(&m_mutex);
    m_message = text;
    m_bytesPerSecond = bytesPerSecond;
    ++m_handedOver;
    m_waitCondition.wakeOne();
}

void MidiEditTransmittionThread::stopTransmittion()
{
    // The pass of the latest text ends, whether or not the thread has
    // picked it up yet.
    m_stoppedPass = m_handedOver.load();
    m_transmitting = false;
    QMutexLocker locker(&m_mutex);
    // A text the thread has not picked up yet is cancelled with the pass.
    m_message.clear();
}

void MidiEditTransmittionThread::run()
{
    QMutexLocker locker(&m_mutex);
    while (!m_stop) {
        // A text handed over while a transmission ran is pending already and
        // is not waited for.
        while (m_message.isEmpty() && !m_stop)
            m_waitCondition.wait(&m_mutex);
        if (m_stop)
            return;
        m_transmitting = m_stoppedPass != m_handedOver;
        transmitMessage(m_message, m_bytesPerSecond);
        m_message.clear();
    }
}

void MidiEditTransmittionThread::transmitMessage(const QString& text, unsigned int bytesPerSecond)
{
    QByteArray bytes;
    if (!HexTextChecker::check(text, &bytes, nullptr)) {
        emit finishTransmittion(false);
        return;
    }
    if (bytes.isEmpty()) {
        if (!text.isEmpty())
            emit finishTransmittion(true);
        return;
    }
    m_reader.clearRunningStatus();
    emit startTransmittion(static_cast<quint32>(bytes.size()));
    PacedSender pacer(bytesPerSecond, m_transmitting,
                      [this](std::uint64_t sent) { emit transmittionProgress(static_cast<quint32>(sent)); });
    m_reader.setData(reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    MidiStreamReader::Message message;
    while (m_reader.next(&message) == MidiStreamReader::Result::Message) {
        if (!m_transmitting || m_stop || !m_pSender->transmitMidi(message.data, message.size, &pacer)) {
            abortTransmission();
            return;
        }
    }
    pacer.finish();
    emit finishTransmittion(true);
}

void MidiEditTransmittionThread::abortTransmission()
{
    m_reader.clear();
    emit finishTransmittion(!m_transmitting);
}
