#pragma once

#include <QtGlobal>

// The parts of the Standard MIDI File format that the reader and the writer
// share, and the limits beyond which a file is refused.
namespace MidiFileFormat {

constexpr char HeaderId[] = "MThd";
constexpr char TrackId[] = "MTrk";
constexpr int ChunkIdSize = 4;
constexpr int ChunkHeaderSize = 8;
constexpr quint32 HeaderDataSize = 6;

constexpr quint16 SingleTrackFormat = 0;
constexpr quint16 SimultaneousTracksFormat = 1;
constexpr quint16 IndependentTracksFormat = 2;

constexpr quint8 SystemExclusiveEvent = 0xF0;
constexpr quint8 EscapeEvent = 0xF7;
constexpr quint8 EndOfExclusive = 0xF7;
constexpr quint8 MetaEvent = 0xFF;
constexpr quint8 TextMeta = 0x01;
constexpr quint8 EndOfTrackMeta = 0x2F;
constexpr quint8 TempoMeta = 0x51;
constexpr int TempoMetaSize = 3;

// A division word with the top bit set counts frames of SMPTE time code.
constexpr quint16 SmpteDivisionFlag = 0x8000;
constexpr quint32 DefaultTempo = 500000; // microseconds per quarter note: 120 BPM

constexpr int VariableLengthMaximumBytes = 4;
constexpr quint32 VariableLengthMaximum = 0x0FFFFFFF;

// What the writer uses: 120 BPM and 25,000 ticks per quarter note make a tick
// of 20 microseconds, well inside the 15 bits a metrical division has.
constexpr quint16 WriterDivision = 25000;
constexpr quint32 WriterTempo = DefaultTempo;
constexpr qint64 WriterTickMicroseconds = WriterTempo / WriterDivision;

// Limits that keep a damaged or hostile file from costing more than a real
// one. Nothing the program records comes near them.
constexpr qint64 MaximumFileSize = 64 * 1024 * 1024;
constexpr int MaximumTrackCount = 1024;
// Messages and tempo changes together: a long recording of timing clock and
// time code, at some 64 bytes of memory each.
constexpr int MaximumEventCount = 4000000;
// The time of an event in ticks: 381 hours at the writer's tick, and small
// enough that ticks times a tempo or a frame rate never leaves 64 bits.
constexpr quint64 MaximumTick = (quint64(1) << 36) - 1;

} // namespace MidiFileFormat
