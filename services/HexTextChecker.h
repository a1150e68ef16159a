#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <limits>

// Reads the message editor's hexadecimal text whole before anything is sent:
// pairs of hex digits counted across separators (space, comma, tab, line
// break), forming complete MIDI messages with running status. The first
// problem is reported with where it stands, so nothing of a faulty text goes
// out.
class HexTextChecker
{
public:
    struct Problem
    {
        // Character index in the checked text; -1 when there is none.
        int offset = -1;
        // What is wrong, without the place.
        QString description;
        // Reported by line only: the message that never ended.
        bool lineOnly = false;
    };

    // True when the text is well-formed and no System Exclusive message in it
    // is longer than maxSystemExclusive bytes; bytes then holds what it stands for.
    static bool check(const QString& text, QByteArray* bytes, Problem* problem,
                      std::size_t maxSystemExclusive = std::numeric_limits<std::size_t>::max());

    // "Line 3, column 7: 7G is not a hexadecimal byte"; line and column count from 1.
    static QString describe(const Problem& problem, int line, int column);
    // The same with the place counted within the checked text itself.
    static QString describe(const QString& text, const Problem& problem);
};
