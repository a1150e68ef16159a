#ifndef DUMPS_H
#define DUMPS_H

#include <QByteArray>

// A System Exclusive message of size bytes whose data bytes vary, so that a
// piece lost or moved shows.
inline QByteArray systemExclusiveDump(int size)
{
    QByteArray dump(size, '\0');
    for (int i = 1; i < size - 1; ++i)
        dump[i] = char(i * 7 % 0x80);
    dump[0] = '\xF0';
    dump[size - 1] = '\xF7';
    return dump;
}

#endif // DUMPS_H
