#pragma once

#include <QByteArray>
#include <QChar>

#include <cstddef>

// The characters of the message editor's hexadecimal text.
namespace HexText {

// Space, comma, tab and line breaks only separate pairs.
bool isSeparator(QChar character);
// The value of a hexadecimal digit, -1 for any other character.
int digitValue(QChar character);

// Appends two upper-case digits and a space per byte. With splitAtStatus a
// line break goes before every byte of 0x80 or above other than F7, and
// before the next byte of a line that holds a full parser's worth (4,096
// bytes) already: a text editor takes a megabyte on one line only slowly
// and at a hundred times its size in memory.
void appendBytes(QByteArray& text, const unsigned char* data, std::size_t size, bool splitAtStatus);

} // namespace HexText
