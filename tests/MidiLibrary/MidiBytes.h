#ifndef MIDIBYTES_H
#define MIDIBYTES_H

// Byte and event helpers shared by the MIDI library tests.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <memory>

#include "midilib.h"

inline QByteArray midiBytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values) {
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

inline QByteArray eventToBytes(const midilib_event &event)
{
    auto data = std::make_unique<midilib_data>();
    midilib_eventToData(&event, data.get());
    return QByteArray(reinterpret_cast<const char *>(midilib_data_getMemory(data.get())),
                      static_cast<int>(midilib_data_getSize(data.get())));
}

// Feeds one chunk and returns every message completed, as bytes.
inline QByteArrayList parseChunk(midilib_parser *parser, const QByteArray &chunk)
{
    QByteArrayList messages;
    auto event = std::make_unique<midilib_event>();
    midilib_parser_setData(parser, chunk.constData(), static_cast<size_t>(chunk.size()));
    while (midilib_parser_parse(parser, event.get()) == 0) {
        messages << eventToBytes(*event);
    }
    return messages;
}

// "90 3C 64 | F8": readable in a failed comparison.
inline QString messagesText(const QByteArrayList &messages)
{
    QStringList texts;
    for (const QByteArray &message : messages) {
        texts << QString::fromLatin1(message.toHex(' ').toUpper());
    }
    return texts.join(QStringLiteral(" | "));
}

#endif
