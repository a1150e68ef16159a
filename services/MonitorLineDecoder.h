#pragma once

#include "engine/MidiRecord.h"
#include "services/MidiMessageDecoder.h"

#include <QString>

// A monitor's decoded view of its records, one after another: each message
// line keeps its time stamp and hex bytes and gains, in aligned columns, the
// time since the monitor's previous message, the channel, and the message in
// words. Words too long for their columns (a System Exclusive message's
// description) follow the hex bytes, which stay in their column.
class MonitorLineDecoder
{
public:
    // What decoding a record needs from the records before it.
    struct Context
    {
        // The time since the previous message, when there was one.
        bool comparable = false;
        qint64 sincePrevious = 0;
        MidiMessageDecoder::ChannelState channel;
    };

    void setMiddleCName(int name) { m_decoder.setMiddleCName(name); }

    // Takes record in, for the records after it, and returns what decoding it
    // needs. Times are the records' own: when the message arrived or left.
    Context take(const MidiRecord& record);
    // The decoded line, whenever it is wanted, around the stamp (empty when
    // none is shown) and the body of its hex line. Lines of words stay as they are.
    QString decode(const MidiRecord& record, const Context& context, const QString& stamp, const QString& body) const;

private:
    // The column of the time since the previous message; blank for the first.
    static QString deltaText(const Context& context);

    MidiMessageDecoder m_decoder;
    qint64 m_previousMicroseconds = -1;
};
