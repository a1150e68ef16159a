#include "engine/HexText.h"

#include "midilib_constants.h"

namespace {

const char HexDigits[] = "0123456789ABCDEF";
const char LineSeparator = '\n';
const char GroupSeparator = ' ';
const unsigned char FirstStatusByte = 0x80;
const unsigned char EndOfExclusive = 0xF7;

} // namespace

bool HexText::isSeparator(QChar character)
{
    return character == QLatin1Char(' ') || character == QLatin1Char(',') || character == QLatin1Char('\t')
        || character == QLatin1Char('\n') || character == QChar::ParagraphSeparator;
}

int HexText::digitValue(QChar character)
{
    const ushort code = character.unicode();
    if (code >= '0' && code <= '9')
        return code - '0';
    if (code >= 'A' && code <= 'F')
        return code - 'A' + 10;
    if (code >= 'a' && code <= 'f')
        return code - 'a' + 10;
    return -1;
}

void HexText::appendBytes(QByteArray& text, const unsigned char* data, std::size_t size, bool splitAtStatus)
{
    std::size_t newlines = 0;
    if (splitAtStatus) {
        for (std::size_t i = 0; i < size; ++i)
            newlines += data[i] >= FirstStatusByte && data[i] != EndOfExclusive ? 1 : 0;
        newlines += size / MIDILIB_Message_SizeMax;
    }
    const int start = text.size();
    text.resize(start + static_cast<int>(newlines + 3 * size));
    char* out = text.data() + start;
    std::size_t onLine = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char byte = data[i];
        if (splitAtStatus && ((byte >= FirstStatusByte && byte != EndOfExclusive) || onLine == MIDILIB_Message_SizeMax)) {
            *out++ = LineSeparator;
            onLine = 0;
        }
        *out++ = HexDigits[byte >> 4];
        *out++ = HexDigits[byte & 0x0F];
        *out++ = GroupSeparator;
        ++onLine;
    }
    text.truncate(static_cast<int>(out - text.constData()));
}
