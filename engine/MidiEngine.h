#pragma once

#include "engine/MidiAnalyzer.h"
#include "engine/MidiBulkIntervalManager.h"
#include "engine/MidiClockIF.h"
#include "engine/MidiOutputQueue.h"
#include "engine/MidiSenderIF.h"
#include "engine/MidiThruIF.h"
#include "midi/MidiClient.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"
#include "midi/platform/MidiSystem.h"
#include "midi/platform/NoMidiPlatform.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

// The program's MIDI: the platform client with the input and output ports,
// the receive path (the monitor engine with its filter and MIDI Thru), the
// output path every sender goes through, and the records monitors show. The
// window and tarvo-cli each make one; settings reach it through its setters,
// in its own units.
//
// No send is lost unseen: every message that fails or is cut short is
// counted (problems()) and, while an Out Monitor looks, recorded. The thread
// that made the engine (the GUI thread) never waits: its messages go out at
// once when nothing is in the way, or wait their turn behind the message in
// progress in a bounded queue.
class MidiEngine : public MidiSenderIF, public MidiClockIF, private MidiThruIF
{
public:
    // Why a send failed.
    enum class OutputProblem { NoPortChosen, ServiceUnavailable, PortGone };

    // What went wrong since the engine was made, counted in messages.
    struct Problems
    {
        quint64 failedSends = 0;
        quint64 cutSends = 0;
        quint64 lostReceived = 0;
        quint64 tooLongReceived = 0;
        quint64 cutReceived = 0;
        quint64 xruns = 0;

        bool operator==(const Problems& other) const;
        bool operator!=(const Problems& other) const { return !(*this == other); }
    };

    // clientName is what other programs see the client as; system the MIDI
    // system to speak (a platform installed for tests wins).
    MidiEngine(const QString& clientName, MidiSystem system);
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
    // The largest piece the platform carries in one send; 0 for no limit.
    std::size_t largestPiece() const;

    // Messages longer than the maximum System Exclusive are refused. On the
    // thread that made the engine, true means taken: sent, or waiting its turn.
    bool transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control = nullptr,
                      std::size_t* sent = nullptr) override;
    bool transmitMidiAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds) override;
    bool schedulesByDueTime() const override;
    std::int64_t scheduleStart(std::int64_t nowMicroseconds) const override;

    bool generatesClock() const override;
    bool startClock(int tempo, bool startStop) override;
    void setClockTempo(int tempo) override;
    void stopClock() override;
    std::size_t takeSentClocks() override;

    Problems problems() const;
    // The MIDI system asked for and the one in use (NoSystemName while none
    // answers).
    MidiSystem system() const { return m_system; }
    QString systemName() const;
    static const char* const NoSystemName;
    // Why no MIDI service answers now; empty while one does.
    QString serviceProblem() const;
    OutputProblem outputProblem();
    // About once a second, on the thread that made the engine: brings back
    // the MIDI service and the chosen ports.
    void refresh();
    // Waits until what was handed to the platform has left; false on time-out
    // or when the platform could not deliver some of it.
    bool waitUntilSent(int timeoutMilliseconds);
    // Bytes handed to the platform that have not left: after a failure, what
    // a send counted as handed over but never went out.
    std::uint64_t unsentBytes() const { return m_client.platform().unsentBytes(); }

private:
    // The platform the client is made on; sets m_systemProblem when the
    // system asked for cannot be opened.
    MidiPlatformIF& choosePlatform(MidiSystem system);
    void passMessage(const unsigned char* data, std::size_t size) override;
    bool passPiece(const unsigned char* data, std::size_t size) override;
    void endPieces(bool complete) override;

    // Sends on the calling thread, waiting for the message in progress.
    bool sendNow(const unsigned char* data, std::size_t size, MidiSendControlIF* control, std::size_t* sent);
    // The GUI thread's send, which never waits.
    bool sendFromOwner(const unsigned char* data, std::size_t size);
    // Counts and records a message that went out, whole or in part.
    void noteOutcome(const unsigned char* data, std::size_t size, MIDI_RESULT result, std::size_t sent);

    const MidiSystem m_system;
    QString m_systemProblem;
    // The platform of the system asked for, unless one is installed; the
    // one used, which may be neither.
    std::unique_ptr<MidiPlatformIF> m_pOwnPlatform;
    NoMidiPlatform m_noPlatform;
    MidiPlatformIF& m_platform;
    // Declared before the input port: its receive thread counts and passes
    // messages on through them until the port is gone.
    std::atomic<std::size_t> m_maxSystemExclusive;
    std::atomic<quint64> m_failedSends;
    std::atomic<quint64> m_cutSends;
    // What MIDI Thru passed of the System Exclusive message arriving; receive thread only.
    bool m_thruOpen;
    QByteArray m_thruBytes;
    const std::thread::id m_ownerThread;
    // Declared in the order they are made: the input port, whose receive
    // thread passes messages on, goes before the output port, and both
    // before the client.
    MidiAnalyzer m_analyzer;
    MidiBulkIntervalManager m_bulkIntervalManager;
    MidiClient m_client;
    MidiOutputPort m_outputPort;
    MidiInputPort m_inputPort;
    // Made last, gone first: its thread sends through the ports.
    MidiOutputQueue m_queue;
};
