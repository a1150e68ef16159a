#pragma once

#include "engine/MidiAnalyzer.h"
#include "engine/MidiBulkIntervalManager.h"
#include "engine/MidiSenderIF.h"
#include "midi/MidiClient.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"

#include <QString>

#include <atomic>
#include <thread>

// The program's MIDI: the platform client with the input and output ports,
// the receive path (the monitor engine with its filter and MIDI Thru), the
// output path every sender goes through, and the records monitors show. The
// window and tarvo-cli each make one; settings reach it through its setters,
// in its own units.
class MidiEngine : public MidiSenderIF
{
public:
    // Why a send failed.
    enum class OutputProblem { NoPortChosen, ServiceUnavailable, PortGone };

    // clientName is what other programs see the client as.
    explicit MidiEngine(const QString& clientName);
    ~MidiEngine() override;

    MidiEngine(const MidiEngine&) = delete;
    MidiEngine& operator=(const MidiEngine&) = delete;

    MidiClient& client() { return m_client; }
    MidiInputPort& inputPort() { return m_inputPort; }
    MidiOutputPort& outputPort() { return m_outputPort; }
    MidiAnalyzer& analyzer() { return m_analyzer; }
    MidiBulkIntervalManager& bulkIntervalManager() { return m_bulkIntervalManager; }

    void setThru(bool on);
    void setMaxSystemExclusive(std::size_t bytes);
    void setPieceSize(std::size_t bytes);
    void setBulkInterval(int milliseconds);

    // Messages longer than the maximum System Exclusive are refused. A sender
    // on the thread that made the engine (the GUI thread) gives up after a
    // short while behind the pieces of another message; others wait.
    bool transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control = nullptr,
                      std::size_t* sent = nullptr) override;
    bool transmitMidiAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds) override;
    bool schedulesByDueTime() const override;
    std::int64_t scheduleStart(std::int64_t nowMicroseconds) const override;

    OutputProblem outputProblem();
    // About once a second, on the thread that made the engine: brings back
    // the MIDI service and the chosen ports.
    void refresh();
    // Waits until what was handed to the platform has left; false on time-out.
    bool waitUntilSent(int timeoutMilliseconds);

private:
    // Declared in the order they are made; the ports go before the client.
    MidiAnalyzer m_analyzer;
    MidiBulkIntervalManager m_bulkIntervalManager;
    MidiClient m_client;
    MidiInputPort m_inputPort;
    MidiOutputPort m_outputPort;
    std::atomic<std::size_t> m_maxSystemExclusive;
    const std::thread::id m_ownerThread;
};
