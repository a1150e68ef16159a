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
    void setMiddleCName(int name) { m_decoder.setMiddleCName(name); }

    // The decoded line. Times come from the line's time stamp when it has one
    // (millisecond steps), else from arrivalMicroseconds, when the line
    // reached the monitor. wholeMessage, when not empty, is the complete
    // message behind a shortened line. Lines of text stay as they are.
    QString decode(const MonitorLine& line, qint64 arrivalMicroseconds, const QByteArray& wholeMessage);
    // Takes in a line that is never shown, for the lines after it.
    void pass(const MonitorLine& line, qint64 arrivalMicroseconds);

private:
    // The column of the time since the previous message; blank for the first.
    QString deltaText(const MonitorLine& line, qint64 arrivalMicroseconds);
    // The time since the previous message, which line becomes; false when
    // there is none to compare with.
    bool step(const MonitorLine& line, qint64 arrivalMicroseconds, qint64* delta);

    MidiMessageDecoder m_decoder;
    qint64 m_previousMicroseconds = -1;
    bool m_previousFromStamp = false;
};
