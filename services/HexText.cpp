#include "services/HexText.h"

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
