#pragma once

#include "midilib_parser.h"

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

// Sends the hexadecimal message text of a message editor, one message at a
// time, through the main window's transmit operation, on a thread of its own
// so that long dumps and their bulk pauses never block the user interface.
//
// Text syntax: spaces, commas, tabs, line feeds and paragraph separators are
// removed; what remains is read as pairs of hexadecimal digits, one byte each,
// and the bytes are cut into messages by the MIDI parser (running status
// allowed). Any other character makes its pair fail.
//
// The signals are emitted on the transmission thread; connected to objects of
// the GUI thread they arrive queued.
class MidiEditTransmittionThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int SysExBufferSize = 4096;
    // Characters of cleaned text converted at once.
    static constexpr int ChunkLength = 2 * SysExBufferSize;

    explicit MidiEditTransmittionThread(QObject* parent);
    ~MidiEditTransmittionThread() override;

    // Hands over a text to send and wakes the thread. GUI thread.
    void setTransmittionMessage(const QString& text);
    // Ends the running transmission after the message being sent and returns
    // when the thread has left it; a text handed over but not yet started is
    // dropped. GUI thread.
    void stopTransmittion();

    // Converts the first 2 * count characters of text into count bytes at
    // *out; false at the first pair that is not two hexadecimal digits.
    static bool convertHexStringToHexNumber(unsigned char** out, const QString& text, unsigned short count);

signals:
    // The number of bytes that the cleaned text stands for.
    void startTransmittion(quint32 size);
    // The number of bytes sent so far.
    void transmittionProgress(quint32 size);
    // True when the text went out to its end or was stopped; false when a
    // pair did not convert or a send failed.
    void finishTransmittion(bool result);

protected:
    void run() override;

private:
    void transmitMessage(const QString& text);
    // Ends a transmission early; the result tells a stop from a failure.
    void abortTransmission();

    QWaitCondition m_waitCondition;
    // Guards m_message; held by the thread for a whole transmission.
    QMutex m_mutex;
    // Set only by the destructor, without the mutex.
    std::atomic<bool> m_stop;
    // Its state carries over from chunk to chunk and between transmissions.
    midilib_parser m_parser;
    QString m_message;
    // Read by the thread without the mutex while the GUI thread clears it.
    std::atomic<bool> m_transmitting;
};
