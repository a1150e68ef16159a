#pragma once

#include "engine/MidiStreamReader.h"

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

class MidiSenderIF;

// Sends the hexadecimal message text of a message editor, one message at a
// time, through the sender it is given, on a thread of its own
// so that long dumps and their bulk pauses never block the user interface.
//
// The whole text is checked first (see HexTextChecker), so a faulty one sends
// nothing. The bytes are cut into messages with running status; System
// Exclusive of any size goes out in pieces, paced by the rate limit.
//
// The signals are emitted on the transmission thread; connected to objects of
// the GUI thread they arrive queued.
class MidiEditTransmittionThread : public QThread
{
    Q_OBJECT

public:
    MidiEditTransmittionThread(QObject* parent, MidiSenderIF* sender);
    ~MidiEditTransmittionThread() override;

    // Hands over a text to send and wakes the thread, with the rate limit in
    // bytes per second (0: none). GUI thread.
    void setTransmittionMessage(const QString& text, unsigned int bytesPerSecond = 0);
    // Ends the running transmission after the message being sent and returns
    // when the thread has left it; a text handed over but not yet started is
    // dropped. GUI thread.
    void stopTransmittion();

signals:
    // The number of bytes that the cleaned text stands for.
    void startTransmittion(quint32 size);
    // The number of bytes sent so far.
    void transmittionProgress(quint32 size);
    // True when the text went out to its end or was stopped; false when the
    // text did not check or a send failed.
    void finishTransmittion(bool result);

protected:
    void run() override;

private:
    void transmitMessage(const QString& text, unsigned int bytesPerSecond);
    // Ends a transmission early; the result tells a stop from a failure.
    void abortTransmission();

    MidiSenderIF* m_pSender;
    QWaitCondition m_waitCondition;
    // Guards m_message; held by the thread for a whole transmission.
    QMutex m_mutex;
    // Set only by the destructor, without the mutex.
    std::atomic<bool> m_stop;
    MidiStreamReader m_reader;
    QString m_message;
    unsigned int m_bytesPerSecond;
    // Read by the thread without the mutex while the GUI thread clears it.
    std::atomic<bool> m_transmitting;
    // Texts handed over, and the count when a stop came: a stop ends the
    // pass of every text handed over before it.
    std::atomic<quint64> m_handedOver;
    std::atomic<quint64> m_stoppedPass;
};
