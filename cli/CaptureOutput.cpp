#include "cli/CaptureOutput.h"

#include "cli/CliTexts.h"
#include "cli/StandardStreams.h"
#include "project/AtomicFile.h"
#include "services/DumpFile.h"
#include "engine/HexText.h"
#include "engine/TimeStamp.h"
#include "midi/platform/SteadyClock.h"
#include "services/MidiFileName.h"

CaptureOutput::CaptureOutput(const QString& path, bool timestamp)
    : m_path(path)
    , m_timestamp(timestamp)
    , m_midiFile(MidiFileName::isMidiFile(path))
    , m_count(0)
{
    m_recorder.start(steadyMicroseconds());
}

bool CaptureOutput::checkFile(QString* error) const
{
    QString reason;
    if (m_path.isEmpty() || canWriteFileAtomically(m_path, &reason))
        return true;
    *error = QString::fromLatin1(WriteFailedFormat).arg(m_path, reason);
    return false;
}

void CaptureOutput::add(const MessageCollector::Message& message)
{
    ++m_count;
    if (m_midiFile) {
        m_recorder.take({MidiRecord{message.time, MidiRecord::Kind::Message, 0, message.bytes}});
        return;
    }
    if (!m_path.isEmpty()) {
        m_pending.append(message.bytes);
        return;
    }
    if (m_timestamp) {
        char stamp[TimeStamp::BufferSize];
        m_pending.append(stamp, TimeStamp::format(stamp, message.seconds, message.microseconds));
    }
    HexText::appendBytes(m_pending, reinterpret_cast<const unsigned char*>(message.bytes.constData()),
                         static_cast<std::size_t>(message.bytes.size()), false);
    // The space after the last byte.
    m_pending.chop(1);
    m_pending.append('\n');
}

void CaptureOutput::addLosses(const MidiRecords& losses)
{
    if (m_midiFile)
        m_recorder.take(losses);
}

bool CaptureOutput::flush()
{
    if (!m_path.isEmpty())
        return true;
    const bool written = StandardStreams::writeOutput(m_pending);
    m_pending.clear();
    return written;
}

int CaptureOutput::count() const
{
    return m_count;
}

bool CaptureOutput::finish(QString* error)
{
    if (m_path.isEmpty() || m_count == 0)
        return true;
    QString reason;
    QByteArray contents;
    bool made = true;
    if (m_midiFile)
        made = m_recorder.write(steadyMicroseconds(), &contents, &reason);
    else
        contents = DumpFile::isSystemExclusiveFile(m_path) ? m_pending : DumpFile::bytesToText(m_pending).toUtf8();
    if (made && writeFileAtomically(m_path, contents, &reason))
        return true;
    *error = QString::fromLatin1(WriteFailedFormat).arg(m_path, reason);
    return false;
}
