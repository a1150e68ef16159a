#pragma once

#include "cli/MessageCollector.h"
#include "services/MidiRecorder.h"

#include <QByteArray>
#include <QString>

// Where received messages go: printed as monitor lines on standard output
// (with the time of arrival when asked), or kept for a file that is written
// at the end, raw bytes when its name ends in .syx, a Standard MIDI File
// recorded from now on, with the losses marked, when it ends in .mid or
// .midi, hex text a message a line otherwise.
class CaptureOutput
{
public:
    CaptureOutput(const QString& path, bool timestamp);

    // Before anything is captured: false with the reason when the file could not be written.
    bool checkFile(QString* error) const;
    void add(const MessageCollector::Message& message);
    // Records of messages lost on the way in: marked where a MIDI file has them.
    void addLosses(const MidiRecords& losses);
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
    const bool m_midiFile;
    MidiRecorder m_recorder;
    QByteArray m_pending;
    int m_count;
};
