#pragma once

#include <QByteArray>
#include <QVector>

// One thing a monitor shows: a message that went in or out, or a loss, with
// the time it happened in microseconds of the monotonic clock (see
// SteadyClock.h). The engine hands records on as they are; only the view
// that shows one turns it into text.
struct MidiRecord
{
    enum class Kind : quint8 {
        // bytes holds one whole message.
        Message,
        // count messages were dropped before the receive path could take them.
        Lost,
        // A System Exclusive message longer than count bytes was dropped.
        TooLong,
        // A System Exclusive message was cut short after count bytes: of one
        // sent, bytes holds what went out, ended with F7; of one received,
        // what arrived before the cut.
        CutShort,
        // A message that could not be sent (bytes); count of its bytes went out.
        Failed,
        // count overruns of the MIDI system's cycle (JACK's xruns) came while
        // a System Exclusive message was arriving: it may lack bytes.
        Xrun,
    };

    qint64 microseconds = 0;
    Kind kind = Kind::Message;
    quint64 count = 0;
    QByteArray bytes;

    bool isMessage() const { return kind == Kind::Message; }
};

using MidiRecords = QVector<MidiRecord>;
