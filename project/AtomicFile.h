#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// Replaces the file at path with bytes only once every byte is on the disk:
// they go to a new file ".<name>.tarvo-XXXXXX" beside it, which is renamed
// over the old one; such files left by a program killed before its rename
// are removed first. On failure the old file stays as it was, and errorText,
// when given, receives the system's reason (disk full, permission denied, ...).
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText);

// Whether writeFileAtomically could replace or create the file now: the path
// is no folder, and the folder it names exists and takes a new file. Lets a
// caller refuse before it gathers what it would write.
bool canWriteFileAtomically(const QString& path, QString* errorText);

// Writes every byte to an open descriptor, going on after interruptions and
// partial writes; false, with errno telling why, when the system refuses.
bool writeToDescriptor(int descriptor, const char* data, std::size_t size);
