#include "app/SettingsKeys.h"

const char* const FileWorkingDirectoryGroup = "FileWorkingDirectory";
const char* const DumpFileWorkingDirectoryKey = "DumpFileWorkingDirectory";
const char* const ProjectFileWorkingDirectoryKey = "ProjectFileWorkingDirectory";
const char* const SavePositionGroup = "SavePosition";
const char* const MidiFilterGroup = "MidiFilter";
const char* const MidiThruGroup = "MidiThru";
const char* const BulkIntervalKey = "BulkInterval";
const char* const MidiThruKey = "MidiThru";
const char* const MaxSystemExclusiveKey = "MaxSystemExclusiveKiB";
const char* const PieceSizeKey = "PieceSize";
const char* const RateLimitKey = "RateLimit";
const char* const MidiSystemKey = "MidiSystem";
const char* const PortNameGroup = "PortName";
const char* const InputPortNameKey = "InputPortName";
const char* const OutputPortNameKey = "OutputPortName";
const char* const PreferencesGroup = "Preferences";
const char* const KnobModeKey = "KnobMode";
const char* const TimeStampKey = "TimeStamp";
const char* const MiddleCNameKey = "MiddleC";
const char* const MonitorHistoryKey = "MonitorHistory";
const char* const MonitorMemoryKey = "MonitorMemory";
