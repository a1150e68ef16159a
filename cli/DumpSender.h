#pragma once

#include <QByteArray>
#include <QList>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class MidiOutputPort;

// Sends checked inputs through the output port on a thread of its own, so
// that the main thread stays free to take signals and received messages.
// Each input is cut into messages with running status of its own; long
// System Exclusive goes out in the port's pieces, paced by the rate limit,
// with a pause after each message that ends with F7.
class DumpSender : public QThread
{
    Q_OBJECT

public:
    enum class Outcome { Done, Cancelled, Failed };

    // bytesPerSecond 0: as fast as the port takes.
    DumpSender(MidiOutputPort* port, const QList<QByteArray>& inputs, unsigned int bytesPerSecond, int intervalMs);
    ~DumpSender() override;

    // From any thread: stops between pieces or in a pause; a System
    // Exclusive message cut short is ended with F7 by the port.
    void cancel();

    // Once the thread has finished.
    Outcome outcome() const;
    std::uint64_t sentBytes() const;

protected:
    void run() override;

private:
    Outcome send();
    // Sleeps the interval; false when cancelled meanwhile.
    bool pause();

    MidiOutputPort* m_pPort;
    const QList<QByteArray> m_inputs;
    const unsigned int m_bytesPerSecond;
    const int m_intervalMs;
    std::atomic<bool> m_running;
    // Wakes a pause on cancel.
    std::mutex m_pauseMutex;
    std::condition_variable m_cancelled;
    std::atomic<Outcome> m_outcome;
    std::atomic<std::uint64_t> m_sent;
};
