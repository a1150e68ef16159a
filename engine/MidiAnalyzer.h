#pragma once

#include "engine/MidiRecord.h"
#include "engine/MidiStreamReader.h"

#include "midilib_filter.h"

#include <QMutex>

#include <atomic>
#include <cstdint>
#include <functional>

class MidiPlatformIF;
class MidiThruIF;

// Index in the filter view's message list (parameter MessageFilterFirstId + index).
enum MIDIFilter : int {
    MIDIFilterNoteOff = 0,
    MIDIFilterNoteOn = 1,
    MIDIFilterKeyPressure = 2,
    MIDIFilterControlChange = 3,
    MIDIFilterProgramChange = 4,
    MIDIFilterChannelPressure = 5,
    MIDIFilterPitchBend = 6,
    MIDIFilterSystemExclusive = 7,
    MIDIFilterSystemCommon = 8,
    MIDIFilterSystemRealtime = 9,
};

// Index in the system common filter list (parameter SystemCommonFilterFirstId + index).
enum FilterSystemCommon : int {
    FilterSystemCommonTimeCode = 0,
    FilterSystemCommonSongPositionPointer = 1,
    FilterSystemCommonSongSelect = 2,
    FilterSystemCommonTuneRequest = 3,
};

// Index in the system real-time filter list (parameter SystemRealtimeFilterFirstId + index).
enum FilterSystemRealtime : int {
    FilterSystemRealtimeTimingClock = 0,
    FilterSystemRealtimeStart = 1,
    FilterSystemRealtimeContinue = 2,
    FilterSystemRealtimeStop = 3,
    FilterSystemRealtimeActiveSensing = 4,
    FilterSystemRealtimeSystemReset = 5,
};

// The monitor engine: turns what arrives into records of whole messages,
// drops what the filter hides, passes the rest on (MIDI Thru: System
// Exclusive piece by piece as it arrives, ended with F7 when it is cut
// short), and keeps the records of what was received and what was sent
// until the thread that shows them collects them with getMidiData. Every
// loss on the way in is recorded and counted.
//
// The receive path runs on the receive thread; setTransmittedMidiData on
// any sending thread; the switches may be set from any thread.
class MidiAnalyzer
{
public:
    // Type of no event: what the filter index conversions give for an index
    // that has no event type of its own.
    static constexpr int NoEventType = 19;

    // What getMidiData hands over.
    struct Records
    {
        MidiRecords received;
        MidiRecords transmitted;
    };

    // Losses on the way in since the engine was made, in messages.
    struct Losses
    {
        quint64 lost = 0;
        quint64 tooLong = 0;
        quint64 cutShort = 0;
    };

    explicit MidiAnalyzer(std::size_t maxSystemExclusive);

    MidiAnalyzer(const MidiAnalyzer&) = delete;
    MidiAnalyzer& operator=(const MidiAnalyzer&) = delete;

    // The input port's receive callback; user is the engine.
    static void callbackReceivedMidi(void* user, const unsigned char* data, std::size_t size,
                                     std::int64_t microseconds);
    void receivedMidi(const unsigned char* data, std::size_t size, std::int64_t microseconds);
    // The input port's lost callback.
    static void callbackLostMidi(void* user, std::uint64_t count);
    void lostMidi(std::uint64_t count);
    // A message that was sent, from any sending thread, at its time.
    void setTransmittedMidiData(const unsigned char* data, std::size_t size);
    void setTransmittedMidiData(const unsigned char* data, std::size_t size, std::int64_t microseconds);
    // Any other record of what was sent (cut short, failed), now.
    void recordTransmitted(MidiRecord::Kind kind, quint64 count, const QByteArray& bytes);
    Losses losses() const;
    // Hands over and forgets the records since the last call; false when
    // there were none.
    bool getMidiData(Records& records);
    void clearTransmittedDataBuffer();
    // Called, from whichever thread adds it, when a record arrives for a
    // collector that found nothing last time, so that the collecting thread
    // polls only while there is something to collect.
    void setDataNotifier(std::function<void()> notifier);
    // Without a monitor to show them, sent messages make no records.
    void setTransmittedRecordsWanted(bool wanted) { m_transmittedWanted = wanted; }

    // MIDI Thru: received messages that pass the filter go on through thru
    // (active sensing excepted); null for off. Any thread.
    void setThru(MidiThruIF* thru);
    void setMaxSystemExclusive(std::size_t bytes) { m_maxSystemExclusive = bytes; }
    // The platform whose xruns are recorded where a message arrives across
    // them. Before the receive thread starts.
    void setXrunSource(const MidiPlatformIF* platform);
    void setChannelSwitch(int channel, bool hidden);
    void setControllerSwitch(int controller, bool hidden);
    void setEventSwitch(int eventType, bool hidden);

    // Appends two digits and a space per byte; with splitAtStatus a newline
    // before every byte of 0x80 or above other than 0xF7. False for size 0.
    static bool convertDisplayFormatFromMidiData(QByteArray& text, const unsigned char* data, std::size_t size,
                                                 bool splitAtStatus);
    static int convertMIDILIBEventTypeFromMIDIFilter(MIDIFilter index);
    static int convertMIDILIBEventTypeFromFilterSystemCommon(FilterSystemCommon index);
    static int convertMIDILIBEventTypeFromFilterSystemRealtime(FilterSystemRealtime index);

private:
    void appendReceived(MidiRecord record);
    // Records the xruns since the last look when a message was arriving.
    void noteXruns(std::int64_t microseconds, bool inMessage);
    void appendTransmitted(MidiRecord record);
    // Passes on what the System Exclusive message arriving brought since the
    // last piece, before whatever came after it, and ends it when it ended or
    // was cut (cut: the reader found one ended unfinished). True when the
    // message that completed went on this way.
    bool passSystemExclusive(MidiThruIF* thru, bool wasInExclusive, bool cut, MidiStreamReader::Result result,
                             const MidiStreamReader::Message& message, std::int64_t microseconds);
    bool hidesSystemExclusive();
    // Ends what Thru passed of the message arriving, with F7 unless complete.
    void endPassing(bool complete);
    // Under m_mutex: a record was added.
    void noteData();

    // Touched by the receive thread only.
    MidiStreamReader m_reader;
    // Guards the filter and the records; never held across a send.
    QMutex m_mutex;
    midilib_filter m_filter;
    Records m_records;
    // Set once the notifier was called, cleared when a collection found nothing.
    bool m_notified;
    std::function<void()> m_notifier;
    std::atomic<MidiThruIF*> m_pThru;
    std::atomic<bool> m_transmittedWanted;
    std::atomic<std::size_t> m_maxSystemExclusive;
    // Receive thread only: the Thru that passes the message arriving, bytes
    // of it passed, and whether it is hidden.
    MidiThruIF* m_pPassing;
    std::size_t m_passed;
    bool m_exclusiveHidden;
    std::atomic<quint64> m_lost;
    std::atomic<quint64> m_tooLong;
    std::atomic<quint64> m_cutShort;
    const MidiPlatformIF* m_pXrunSource = nullptr;
    // Receive thread only.
    std::uint64_t m_xrunsSeen = 0;
};
