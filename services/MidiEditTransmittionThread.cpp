#include "services/MidiEditTransmittionThread.h"

#include "app/MainWindow.h"
#include "services/HexText.h"

#include "midilib_data.h"
#include "midilib_event.h"

#include <QMutexLocker>

namespace {

QString removeSeparators(const QString& text)
{
    QString cleaned(text.size(), Qt::Uninitialized);
    QChar* out = cleaned.data();
    for (const QChar character : text) {
        if (!HexText::isSeparator(character))
            *out++ = character;
    }
    cleaned.truncate(static_cast<int>(out - cleaned.constData()));
    return cleaned;
}

} // namespace

MidiEditTransmittionThread::MidiEditTransmittionThread(QObject* parent)
    : QThread(parent)
    , m_stop(false)
    , m_transmitting(false)
{
    midilib_parser_init(&m_parser);
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

void MidiEditTransmittionThread::setTransmittionMessage(const QString& text)
{
    QMutexLocker locker(&m_mutex);
    m_message = text;
    m_waitCondition.wakeOne();
}

void MidiEditTransmittionThread::stopTransmittion()
{
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
        m_transmitting = true;
        transmitMessage(m_message);
        m_message.clear();
    }
}

void MidiEditTransmittionThread::transmitMessage(const QString& text)
{
    const QString cleaned = removeSeparators(text);
    const int total = cleaned.size();
    if (total == 0) {
        if (!text.isEmpty())
            emit finishTransmittion(true);
        return;
    }
    midilib_parser_clearRunningStatus(&m_parser);
    emit startTransmittion(static_cast<quint32>(total / 2));

    unsigned char chunkBytes[SysExBufferSize];
    unsigned char* pChunkBytes = chunkBytes;
    midilib_event event;
    midilib_data message;
    quint32 sent = 0;
    for (int offset = 0; offset < total; offset += ChunkLength) {
        const QString chunk = cleaned.mid(offset, ChunkLength);
        const int length = chunk.size();
        // An odd last character is dropped; a chunk of one character has no pair.
        if (length < 2 || !convertHexStringToHexNumber(&pChunkBytes, chunk, static_cast<unsigned short>(length / 2))) {
            abortTransmission();
            return;
        }
        midilib_parser_setData(&m_parser, chunkBytes, static_cast<size_t>(length / 2));
        while (midilib_parser_parse(&m_parser, &event) == 0) {
            midilib_eventToData(&event, &message);
            const unsigned short size = static_cast<unsigned short>(midilib_data_getSize(&message));
            MainWindow* mainWindow = MainWindow::m_pInstance;
            const bool accepted
                = mainWindow != nullptr && mainWindow->transmitMidi(midilib_data_getMemory(&message), size);
            if (!accepted || !m_transmitting || m_stop) {
                abortTransmission();
                return;
            }
            sent += size;
            emit transmittionProgress(sent);
        }
    }
    // A message left incomplete stays in the parser: the next text may end it.
    emit finishTransmittion(true);
}

void MidiEditTransmittionThread::abortTransmission()
{
    midilib_parser_clear(&m_parser);
    emit finishTransmittion(!m_transmitting);
}

bool MidiEditTransmittionThread::convertHexStringToHexNumber(unsigned char** out, const QString& text,
                                                             unsigned short count)
{
    if (text.size() < 2 * count)
        return false;
    const QChar* characters = text.constData();
    unsigned char* bytes = *out;
    for (unsigned short i = 0; i < count; ++i) {
        const int high = HexText::digitValue(characters[2 * i]);
        const int low = HexText::digitValue(characters[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return true;
}
