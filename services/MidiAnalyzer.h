#pragma once

#include "model/ModelAssistant.h"

#include "services/MidiStreamReader.h"
#include "services/TimeStamp.h"

#include "midilib_filter.h"

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class TarvoModel;

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

// Turns every MIDI message that the application receives or sends into
// monitor text. Received packets are parsed, filtered by the filter
// parameters, optionally echoed (MIDI Thru) and appended as lines; sent
// messages are appended as they are. The GUI thread collects and clears the
// text with getMidiData.
//
// A monitor line is a newline, the optional time stamp "HH:MM:SS:mmm " and two
// upper-case hexadecimal digits and a space per byte; a message longer than
// the parser's 4,096 bytes shows its first and last bytes and its length.
// Messages that the input had to drop, and System Exclusive longer than its
// maximum, show as one line of text that counts no bytes. The texts are UTF-8.
class MidiAnalyzer : public ModelAssistant
{
public:
    // Type of no event: what the filter index conversions give for an index
    // that has no event type of its own.
    static constexpr int NoEventType = 19;
    // "HH:MM:SS:mmm " and a terminating zero.
    static constexpr int TimeStampBufferSize = TimeStamp::BufferSize;

    explicit MidiAnalyzer(TarvoModel* model);
    virtual ~MidiAnalyzer();

    MidiAnalyzer(const MidiAnalyzer&) = delete;
    MidiAnalyzer& operator=(const MidiAnalyzer&) = delete;

    // The input port's receive callback; user is the engine.
    static void callbackReceivedMidi(void* user, const unsigned char* data, std::size_t size);
    // The receive path, on the receive thread.
    void receivedMidi(const unsigned char* data, std::size_t size);
    // The input port's lost callback: a line in the received monitor text.
    static void callbackLostMidi(void* user, std::uint64_t count);
    void lostMidi(std::uint64_t count);
    // Appends one line for a message that was sent, from any sending thread.
    void setTransmittedMidiData(const unsigned char* data, std::size_t size);
    // Hands over and clears the received monitor text, the received System
    // Exclusive text and the transmitted monitor text with their byte counts;
    // false when there was nothing.
    bool getMidiData(QByteArray& receivedText, unsigned int& receivedCount,
                     QByteArray& sysExText, unsigned int& sysExCount,
                     QByteArray& transmittedText, unsigned int& transmittedCount);
    void clearTransmittedDataBuffer();
    // Called, from whichever thread adds it, when text arrives for a collector
    // that found nothing last time, so that the GUI thread polls only while
    // there is something to collect.
    void setDataNotifier(std::function<void()> notifier);
    // Without an Out Monitor to show it, sent messages make no text.
    void setTransmittedTextWanted(bool wanted) { m_transmittedTextWanted = wanted; }

    void updateParameter(unsigned int id) override;

    // Appends the time stamp of now and returns true when time stamps are on.
    bool getCurrentTime(QString& text);
    // Writes the time stamp of a local time given as seconds and microseconds
    // since the epoch; returns its length.
    static int formatTimeStamp(char* text, long seconds, long microseconds);

    // Appends two digits and a space per byte; with splitAtStatus a newline
    // before every byte of 0x80 or above other than 0xF7. False for size 0.
    static bool convertDisplayFormatFromMidiData(QByteArray& text, const unsigned char* data,
                                                 std::size_t size, bool splitAtStatus);

    static int convertMIDILIBEventTypeFromMIDIFilter(MIDIFilter index);
    static int convertMIDILIBEventTypeFromFilterSystemCommon(FilterSystemCommon index);
    static int convertMIDILIBEventTypeFromFilterSystemRealtime(FilterSystemRealtime index);

private:
    // The time stamp of now when time stamps are on; its length, 0 when off.
    int prepareTimeStamp(char* text) const;
    static void appendLine(QByteArray& text, const char* stamp, int stampLength,
                           const unsigned char* data, std::size_t size);
    void appendReceivedTextLine(const QString& line);
    // Under m_mutex: text was added.
    void noteData();

    // Touched by the receive thread only.
    MidiStreamReader m_reader;
    midilib_filter m_filter;
    // Never held across a send: a MIDI Thru send may wait its bulk interval.
    QMutex m_mutex;
    QByteArray m_receivedSysExText;
    unsigned int m_receivedSysExCount;
    QByteArray m_receivedText;
    unsigned int m_receivedCount;
    QByteArray m_transmittedText;
    unsigned int m_transmittedCount;
    // Set once the notifier was called, cleared when a collection found nothing.
    bool m_notified;
    std::function<void()> m_notifier;
    // Written on the GUI thread, read by the receive and sending threads.
    std::atomic<bool> m_thru;
    std::atomic<bool> m_transmittedTextWanted;
    std::atomic<bool> m_timeStamp;
    std::atomic<std::size_t> m_maxSystemExclusive;
    TarvoModel* m_pModel;
};
