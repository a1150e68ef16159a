#pragma once

#include <QByteArray>
#include <QString>

// Names of System Exclusive manufacturer IDs: one byte (01 to 7F), or 00
// followed by two bytes.
namespace MidiManufacturerNames {

// Bytes of the ID that begins at offset: 3 when it starts with 00, else 1;
// 0 when bytes end before the whole ID.
int idLength(const QByteArray& bytes, int offset);
// The manufacturer's name, or an empty string for an ID the table lacks.
QString name(const QByteArray& bytes, int offset);

} // namespace MidiManufacturerNames
