#pragma once

#include <QMap>
#include <QString>

#include <optional>

class QDataStream;

// What a tool window's content block holds, as values.
struct ContentValues
{
    // Integer records by tag.
    QMap<int, int> integers;
    // The message editor's text, when its block holds one.
    std::optional<QString> text;
};

// The content blocks of project files: which records each kind of tool window
// writes, read and written without a widget. The project parser checks every
// block with it before any window changes, and each view reads and writes
// its own block with it, so a block that parsed is one its view takes whole.
class ContentBlock
{
public:
    enum MonitorTag { MonitorDecoded = 1, MonitorNoiseHidden = 2 };
    enum EditorTag { EditorText = 0 };
    enum KeyboardTag { KeyboardScrollPosition = 0, KeyboardChannel = 1, KeyboardVelocity = 2 };
    enum ControlChangeTag {
        ControlChangeChannel = 0,
        ControlChangeNumber = 1,
        ControlChangeValue = 2,
        ControlChangeReserved = 3,
    };
    enum ProgramChangeTag {
        ProgramChangeChannel = 0,
        ProgramChangeMsbCheck = 1,
        ProgramChangeMsbValue = 2,
        ProgramChangeLsbCheck = 3,
        ProgramChangeLsbValue = 4,
        ProgramChangeNumber = 5,
        ProgramChangeAutoTransmit = 6,
    };
    enum TimingClockTag { TimingClockTempo = 0, TimingClockPlaying = 1, TimingClockStartStop = 2 };

    // Whether a block follows the window's record in a project file.
    static bool exists(int windowId);

    // Reads the rest of the stream as the block of a window of kind windowId:
    // the records that kind writes, each at most once, in any order; records
    // it lacks are absent from values. False for a damaged block (a record
    // cut short, of a tag that kind never writes or given twice, an integer
    // record of another length, a text whose length is negative or beyond
    // the block, a text with a zero byte or that is not UTF-8), with problem
    // saying where and what when given.
    static bool read(int windowId, QDataStream& stream, ContentValues& values, QString* problem = nullptr);

    // Writes the block of a window of kind windowId: its integer records
    // present in values in tag order, then its text (empty when values has
    // none). False when the stream failed.
    static bool write(int windowId, const ContentValues& values, QDataStream& stream);
};
