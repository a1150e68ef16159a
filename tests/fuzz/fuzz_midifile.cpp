// Feeds any bytes to the MIDI file reader. A refused file must come with a
// reason; an accepted one must give messages in time order within its
// duration. What the writer takes of an accepted file must come back from
// writer and reader byte for byte, each time within half a tick.

#include <cstdint>
#include <cstdlib>

#include "services/MidiFileFormat.h"
#include "services/MidiFileReader.h"
#include "services/MidiFileWriter.h"

namespace {

constexpr qint64 HalfTick = MidiFileFormat::WriterTickMicroseconds / 2;

void require(bool condition)
{
    if (!condition) {
        abort();
    }
}

bool closeTo(qint64 a, qint64 b)
{
    return qAbs(a - b) <= HalfTick;
}

void checkOrder(const MidiFileReader::Content& content)
{
    qint64 previous = 0;
    for (const MidiFileMessage& message : content.messages) {
        require(!message.bytes.isEmpty());
        require(message.time >= previous && message.time <= content.duration);
        previous = message.time;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    MidiFileReader::Content content;
    QString error;
    if (!MidiFileReader::read(file, &content, &error)) {
        require(!error.isEmpty() && content.messages.isEmpty());
        return 0;
    }
    checkOrder(content);

    // Escaped bytes need not be one whole message, and times may lie beyond
    // what the writer's tick reaches: the writer refuses those.
    QByteArray written;
    if (!MidiFileWriter::write(content.messages, content.duration, &written, &error)) {
        return 0;
    }
    MidiFileReader::Content again;
    require(MidiFileReader::read(written, &again, &error));
    require(again.messages.size() == content.messages.size());
    for (int i = 0; i < again.messages.size(); ++i) {
        require(again.messages.at(i).bytes == content.messages.at(i).bytes);
        require(closeTo(again.messages.at(i).time, content.messages.at(i).time));
    }
    require(closeTo(again.duration, content.duration));
    return 0;
}
