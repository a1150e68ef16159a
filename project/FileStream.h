#pragma once

class QByteArray;
class QDataStream;
class QString;

// Implemented by every tool view that stores its content in a project file.
// The view writes its own block as a sequence of tagged records and reads it
// back; ContentBlock knows each kind of window's records.
//
// Records (32-bit big-endian ints):
//   integer record: tag, 4, value
//   string record:  tag, L, the L bytes of the UTF-8 text (none when L is 0)
class FileStream
{
public:
    // How reading one record went, so that a reader can say why a block is
    // damaged. A record that is not Read leaves the stream somewhere inside it.
    enum class RecordResult {
        Read,
        OtherTag,
        CutShort,
        // An integer record whose length field is not 4.
        IntegerLength,
        NegativeLength,
        // A string record longer than what is left of the stream.
        BeyondEnd,
    };

    virtual ~FileStream() = default;

    // Restores the view from its content block.
    virtual bool setDataStream(QDataStream& stream) = 0;
    // Writes the view's content block.
    virtual bool getDataStream(QDataStream& stream) = 0;

    static bool setIntParameterToStream(QDataStream& stream, int tag, int value);
    // False (value 0) for another tag, a length other than 4 or a truncated record.
    static bool getIntParameterFromStream(QDataStream& stream, int tag, int& value);
    // False for an empty text, although the record (tag, 0) is complete.
    static bool setStringParameterToStream(QDataStream& stream, int tag, const QString& text);
    // False (text empty) for another tag or a record whose bytes are not all
    // in the stream; a length below 1 reads as an empty text. The text ends
    // at the first zero byte.
    static bool getStringParameterFromStream(QDataStream& stream, int tag, QString& text);

    static RecordResult readIntRecord(QDataStream& stream, int tag, int& value);
    // The string record's bytes as they are, before any decoding; a length
    // beyond the stream is refused before anything is allocated.
    static RecordResult readStringRecord(QDataStream& stream, int tag, QByteArray& bytes);
};
