#pragma once

// Groups and keys of the settings file.
extern const char* const FileWorkingDirectoryGroup;
extern const char* const DumpFileWorkingDirectoryKey;
extern const char* const ProjectFileWorkingDirectoryKey;
extern const char* const SavePositionGroup;
extern const char* const MidiFilterGroup;
extern const char* const MidiThruGroup;
extern const char* const BulkIntervalKey;
extern const char* const MidiThruKey;
extern const char* const MaxSystemExclusiveKey;
extern const char* const PieceSizeKey;
extern const char* const RateLimitKey;
extern const char* const MidiSystemKey;
extern const char* const PortNameGroup;
extern const char* const InputPortNameKey;
extern const char* const OutputPortNameKey;
extern const char* const PreferencesGroup;
extern const char* const KnobModeKey;
extern const char* const TimeStampKey;
extern const char* const MiddleCNameKey;
extern const char* const MonitorHistoryKey;
extern const char* const MonitorMemoryKey;
