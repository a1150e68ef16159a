#pragma once

#include <QMap>

class FileStream;
class QDataStream;

// Reads a content block of integer records by tag, so that a view can apply
// whichever of its records are present. Reading stops at the end of the block
// or at the first record that is not a whole integer record; what was read
// before it is kept.
QMap<int, int> readIntParameterRecords(FileStream& owner, QDataStream& stream);
