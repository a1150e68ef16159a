#pragma once

class QDataStream;
class QString;

// Implemented by every tool view that stores its content in a project file.
// The view writes its own block as a sequence of tagged records and reads it
// back in the same order, asking for the tag it expects next.
//
// Records (32-bit big-endian ints):
//   integer record: tag, 4, value
//   string record:  tag, L, the L bytes of the UTF-8 text (none when L is 0)
class FileStream
{
public:
    virtual ~FileStream() = default;

    // Restores the view from its content block.
    virtual bool setDataStream(QDataStream& stream) = 0;
    // Writes the view's content block.
    virtual bool getDataStream(QDataStream& stream) = 0;

    bool setIntParameterToStream(QDataStream& stream, int tag, int value);
    // False (value 0) for another tag, a length other than 4 or a truncated record.
    bool getIntParameterFromStream(QDataStream& stream, int tag, int& value);
    // False for an empty text, although the record (tag, 0) is complete.
    bool setStringParameterToStream(QDataStream& stream, int tag, const QString& text);
    // False (text empty) for another tag or a record whose bytes are not all
    // in the stream. The text ends at the first zero byte.
    bool getStringParameterFromStream(QDataStream& stream, int tag, QString& text);
};
