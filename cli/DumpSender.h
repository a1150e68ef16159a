#pragma once

#include <QByteArray>
#include <QList>
#include <QThread>

#include <atomic>
#include <cstdint>

class MidiBulkIntervalManager;
class MidiSenderIF;

// Sends checked inputs through the engine on a thread of its own, so that
// the main thread stays free to take signals and received messages. Each
// input is cut into messages with running status of its own; long System
// Exclusive goes out in the port's pieces, paced by the rate limit, with the
// engine's bulk interval after each message that ends with F7.
class DumpSender : public QThread
{
    Q_OBJECT

public:
    enum class Outcome { Done, Cancelled, Failed };

    // bytesPerSecond 0: as fast as the port takes. The pauses are those of
    // pauses, which cancel() cuts short.
    DumpSender(MidiSenderIF* sender, MidiBulkIntervalManager* pauses, const QList<QByteArray>& inputs,
               unsigned int bytesPerSecond);
    ~DumpSender() override;

    // From any thread: stops between pieces or in a pause; a System
    // Exclusive message cut short is ended with F7 by the engine.
    void cancel();

    // Once the thread has finished.
    Outcome outcome() const;
    std::uint64_t sentBytes() const;

protected:
    void run() override;

private:
    Outcome send();

    MidiSenderIF* m_pSender;
    MidiBulkIntervalManager* m_pPauses;
    const QList<QByteArray> m_inputs;
    const unsigned int m_bytesPerSecond;
    std::atomic<bool> m_running;
    std::atomic<Outcome> m_outcome;
    std::atomic<std::uint64_t> m_sent;
};
