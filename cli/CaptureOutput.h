#pragma once

#include "cli/MessageCollector.h"

#include <QByteArray>
#include <QString>

// Where received messages go: printed as monitor lines on standard output
// (with the time of arrival when asked), or kept for a file that is written
// at the end, raw bytes when its name ends in .syx, hex text a message a line
// otherwise.
class CaptureOutput
{
public:
    CaptureOutput(const QString& path, bool timestamp);

    // Before anything is captured: false with the reason when the file could not be written.
    bool checkFile(QString* error) const;
    void add(const MessageCollector::Message& message);
    // Lets the lines added so far reach a reader of the output at once;
    // false when standard output does not take them.
    bool flush();
    int count() const;
    // Writes the file, when there is one and a message arrived; false with
    // the reason when it cannot be written. An old file stays as it was
    // unless it is replaced whole.
    bool finish(QString* error);

private:
    const QString m_path;
    const bool m_timestamp;
    QByteArray m_pending;
    int m_count;
};
