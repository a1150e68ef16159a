#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with bytes only once every byte is on the disk:
// they go to a new file beside it, which is renamed over the old one. On
// failure the old file stays as it was, and errorText, when given, receives
// the system's reason (disk full, permission denied, ...).
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText);
