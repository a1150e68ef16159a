#pragma once

#include <QChar>

// The characters of the message editor's hexadecimal text.
namespace HexText {

// Space, comma, tab and line breaks only separate pairs.
bool isSeparator(QChar character);
// The value of a hexadecimal digit, -1 for any other character.
int digitValue(QChar character);

} // namespace HexText
