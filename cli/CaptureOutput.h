#pragma once

#include "cli/MessageCollector.h"

#include <QByteArray>
#include <QString>

#include <cstdio>

// Where received messages go: printed as monitor lines on standard output
// (with the time of arrival when asked), or kept for a file that is written
// at the end, raw bytes when its name ends in .syx, hex text a message a line
// otherwise.
class CaptureOutput
{
public:
    CaptureOutput(const QString& path, bool timestamp);

    void add(const MessageCollector::Message& message);
    // Lets the lines added so far reach a reader of the output at once.
    void flush();
    int count() const;
    // Writes the file, when there is one; false with the reason when it cannot be written.
    bool finish(QString* error);

private:
    const QString m_path;
    const bool m_timestamp;
    QByteArray m_pending;
    int m_count;
};
