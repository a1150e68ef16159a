#pragma once

#include <QString>

// A count in words: one ("%1 message") for a count of 1, many ("%1
// messages") for any other, with number (the count as it is to be shown) for %1.
inline QString countText(quint64 count, const QString& number, const QString& one, const QString& many)
{
    return (count == 1 ? one : many).arg(number);
}
