#pragma once

#include <QByteArray>
#include <QString>

// A System Exclusive message in words: its length, its manufacturer, and
// what a universal message (IDs 7E and 7F) asks or tells.
namespace MidiSystemExclusiveDecoder {

// bytes begin with F0; they may be only the first bytes of a message of size
// bytes (a shortened monitor line), which then tell what they can.
QString describe(const QByteArray& bytes, qint64 size);

} // namespace MidiSystemExclusiveDecoder
