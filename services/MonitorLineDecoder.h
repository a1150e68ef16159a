#pragma once

#include "services/MidiMessageDecoder.h"

#include <QByteArray>
#include <QString>

struct MonitorLine;

// A monitor's decoded view of its lines, one after another: each message line
// keeps its time stamp and hex bytes and gains, in aligned columns, the time
// since the monitor's previous message, the channel, and the message in words.
class MonitorLineDecoder
{
public:
    // What decoding a line needs from the lines before it.
    struct Context
    {
        // The time since the previous message, when there is one to compare with.
        bool comparable = false;
        qint64 sincePrevious = 0;
        MidiMessageDecoder::ChannelState channel;
    };

    void setMiddleCName(int name) { m_decoder.setMiddleCName(name); }

    // Takes line in, for the lines after it, and returns what decoding it
    // needs. Times come from the line's time stamp when it has one
    // (millisecond steps), else from arrivalMicroseconds, when the line
    // reached the monitor.
    Context take(const MonitorLine& line, qint64 arrivalMicroseconds);
    // The decoded line, whenever it is wanted. wholeMessage, when not empty,
    // is the complete message behind a shortened line. Lines of text stay as
    // they are.
    QString decode(const MonitorLine& line, const Context& context, const QByteArray& wholeMessage) const;

private:
    // The column of the time since the previous message; blank for the first.
    static QString deltaText(const Context& context);

    MidiMessageDecoder m_decoder;
    qint64 m_previousMicroseconds = -1;
    bool m_previousFromStamp = false;
};
