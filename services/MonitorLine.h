#pragma once

#include <QByteArray>
#include <QString>
#include <QStringRef>
#include <QVector>

// One line of monitor text read back into what it stands for. A line is an
// optional time stamp "HH:MM:SS:mmm " followed either by hexadecimal byte
// pairs, or by the shortened form of a long message ("F0 43 10 … 7E F7
// (65,536 bytes)"), or by a line of text such as "-- 3 messages lost: ... --".
struct MonitorLine
{
    // The line without its line break.
    QString text;
    // Length of the time stamp at the start of text, 0 when there is none.
    int stampLength = 0;
    // Milliseconds since midnight of the time stamp, -1 without one.
    qint64 stampMilliseconds = -1;
    // The bytes shown; of a shortened message its first bytes only.
    QByteArray bytes;
    // Of a shortened message its last bytes; empty otherwise.
    QByteArray lastBytes;
    // Bytes of the whole message; 0 for a line of text.
    qint64 size = 0;
    // Messages that the lost-messages line reports; 0 for any other line.
    quint64 lostCount = 0;

    bool isMessage() const { return size > 0; }
    bool isShortened() const { return size > bytes.size(); }
    // The line after its time stamp.
    QStringRef body() const { return text.midRef(stampLength); }

    static MonitorLine parse(const QString& text);
    // Every non-empty line of a piece of monitor text, in order.
    static QVector<MonitorLine> parseLines(const QString& text);
};
