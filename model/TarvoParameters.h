#pragma once

#include "model/ModelResult.h"

#include <QString>

#include <cstddef>

class ModelIF;

// Ids of the application's parameters.
constexpr unsigned int TransmissionStateId = 0;
// Values of TransmissionStateId.
constexpr int TransmissionIdle = 0;
constexpr int TransmissionRunning = 1;
constexpr unsigned int DumpFileWorkingDirectoryId = 1;
constexpr unsigned int ProjectFileWorkingDirectoryId = 2;
constexpr unsigned int ParameterEditFlagId = 3;
constexpr unsigned int MidiThruId = 500;
constexpr unsigned int BulkIntervalId = 501;
// The longest System Exclusive message received or sent, in KiB.
constexpr unsigned int MaxSystemExclusiveId = 502;
// Bytes handed to the platform at once when a message is sent in pieces.
constexpr unsigned int PieceSizeId = 503;
// Bytes per second of an editor's transmission; 0 for as fast as the port takes.
constexpr unsigned int RateLimitId = 504;
// Which MIDI system the window speaks, a MidiSystem value.
constexpr unsigned int MidiSystemId = 505;
constexpr int BytesPerKiB = 1024;
// Default of MaxSystemExclusiveId, also the display-less program's.
constexpr int DefaultMaxSystemExclusiveKiB = 1024;
// The one conversion of the limit: everything that applies it takes bytes.
constexpr std::size_t systemExclusiveLimitBytes(long long kib)
{
    return static_cast<std::size_t>(kib) * BytesPerKiB;
}

// Channel filter: ChannelFilterFirstId + n is MIDI channel n + 1.
constexpr unsigned int ChannelFilterFirstId = 600;
constexpr unsigned int ChannelFilterCount = 16;

// Message filter, one id per entry of the filter view's message list.
constexpr unsigned int MessageFilterFirstId = 700;
constexpr unsigned int MessageFilterCount = 10;
constexpr unsigned int NoteOffMessageFilterId = 700;
constexpr unsigned int NoteOnMessageFilterId = 701;
constexpr unsigned int KeyPressureMessageFilterId = 702;
constexpr unsigned int ControlChangeMessageFilterId = 703;
constexpr unsigned int ProgramChangeMessageFilterId = 704;
constexpr unsigned int ChannelPressureMessageFilterId = 705;
constexpr unsigned int PitchBendMessageFilterId = 706;
constexpr unsigned int SystemExclusiveMessageFilterId = 707;
constexpr unsigned int SystemCommonMessageFilterId = 708;
constexpr unsigned int SystemRealtimeMessageFilterId = 709;

// Control change filter: ControlChangeFilterFirstId + c is controller number c.
constexpr unsigned int ControlChangeFilterFirstId = 800;
constexpr unsigned int ControlChangeFilterCount = 128;

constexpr unsigned int SystemCommonFilterFirstId = 1000;
constexpr unsigned int SystemCommonFilterCount = 4;
constexpr unsigned int MidiTimeCodeFilterId = 1000;
constexpr unsigned int SongPositionPointerFilterId = 1001;
constexpr unsigned int SongSelectFilterId = 1002;
constexpr unsigned int TuneRequestFilterId = 1003;

constexpr unsigned int SystemRealtimeFilterFirstId = 1100;
constexpr unsigned int SystemRealtimeFilterCount = 6;
constexpr unsigned int TimingClockFilterId = 1100;
constexpr unsigned int StartFilterId = 1101;
constexpr unsigned int ContinueFilterId = 1102;
constexpr unsigned int StopFilterId = 1103;
constexpr unsigned int ActiveSensingFilterId = 1104;
constexpr unsigned int SystemResetFilterId = 1105;

constexpr unsigned int KnobModeId = 1200;
constexpr unsigned int TimeStampId = 1201;
// What the monitors' decoded view calls middle C, note 60.
constexpr unsigned int MiddleCNameId = 1202;
// Lines each monitor keeps.
constexpr unsigned int MonitorHistoryId = 1203;
// Memory each monitor's lines may take, in MiB.
constexpr unsigned int MonitorMemoryId = 1204;
constexpr int BytesPerMiB = 1024 * 1024;
// Default of MonitorMemoryId, also a history's before it is told one.
constexpr int DefaultMonitorMemoryMiB = 256;
// The one conversion of the monitor memory: histories take bytes.
constexpr long long monitorMemoryBytes(long long mib)
{
    return mib * BytesPerMiB;
}

// Values of KnobModeId: how a dial follows the mouse.
enum KnobMode {
    KnobModeCircle = 0,
    KnobModeLinear = 1,
};
constexpr const char* KnobModeStringTable[] = {"Circle", "Linear"};

// Values of MiddleCNameId.
enum MiddleCName {
    MiddleCIsC3 = 0,
    MiddleCIsC4 = 1,
};
constexpr const char* MiddleCNameStringTable[] = {"C3", "C4"};

// Values of MidiSystemId, in MidiSystem's order.
constexpr const char* MidiSystemStringTable[] = {"Automatic", "ALSA sequencer", "JACK"};

// The first documents directory of the system, or an empty string.
QString getDocumentDirectory();
// Display text of a knob mode value.
QString getKnobModeString(int value, MODEL_RESULT* result);
// Display text of a middle C name value.
QString getMiddleCNameString(int value, MODEL_RESULT* result);
// Display text of a MIDI system value.
QString getMidiSystemString(int value, MODEL_RESULT* result);

// Creates every parameter of the application on a model.
class TarvoParameters
{
public:
    explicit TarvoParameters(ModelIF* model);
    virtual ~TarvoParameters() = default;

    void createParameters(ModelIF* model);
};
