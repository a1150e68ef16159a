#include "model/TarvoParameters.h"

#include "model/ModelIF.h"

#include <QStandardPaths>
#include <QStringList>

namespace {

const char* const NoName = "";
const char* const DumpFileWorkingDirectoryName = "Dump File Working Directory";
const char* const ProjectFileWorkingDirectoryName = "Project File Working Directory";
const char* const MidiThruName = "MIDI Thru";
const char* const BulkIntervalName = "Bulk Interval (ms)";
const char* const MaxSystemExclusiveName = "Maximum System Exclusive (KiB)";
const char* const PieceSizeName = "Piece Size (bytes)";
const char* const RateLimitName = "Rate Limit (bytes/s)";
const char* const MidiSystemName = "MIDI System";
const char* const KnobModeName = "Knob Mode";
const char* const TimeStampName = "Time Stamp";
const char* const MiddleCNameName = "Middle C (60)";
const char* const MonitorHistoryName = "Monitor History (lines)";
const char* const MonitorMemoryName = "Monitor Memory (MiB)";

enum ParameterKind {
    IntParameter,
    StringParameter,
};

// A run of parameters with consecutive ids and equal attributes. Every
// string parameter defaults to the documents directory.
struct ParameterRun {
    ParameterKind kind;
    unsigned int firstId;
    unsigned int count;
    int minimum;
    int maximum;
    int defaultValue;
    const char* name;
    IntToStringFunction toString;
};

// In order of creation.
const ParameterRun ParameterTable[] = {
    {IntParameter, TransmissionStateId, 1, 0, 2, 0, NoName, nullptr},
    {StringParameter, DumpFileWorkingDirectoryId, 1, 0, 0, 0, DumpFileWorkingDirectoryName, nullptr},
    {StringParameter, ProjectFileWorkingDirectoryId, 1, 0, 0, 0, ProjectFileWorkingDirectoryName, nullptr},
    {IntParameter, ParameterEditFlagId, 1, 0, 1, 0, NoName, nullptr},
    {IntParameter, MidiThruId, 1, 0, 1, 0, MidiThruName, nullptr},
    {IntParameter, BulkIntervalId, 1, 0, 1000, 0, BulkIntervalName, nullptr},
    {IntParameter, ChannelFilterFirstId, ChannelFilterCount, 0, 1, 0, NoName, nullptr},
    {IntParameter, MessageFilterFirstId, MessageFilterCount, 0, 1, 0, NoName, nullptr},
    {IntParameter, ControlChangeFilterFirstId, ControlChangeFilterCount, 0, 1, 0, NoName, nullptr},
    {IntParameter, SystemCommonFilterFirstId, SystemCommonFilterCount, 0, 1, 0, NoName, nullptr},
    {IntParameter, SystemRealtimeFilterFirstId, SystemRealtimeFilterCount, 0, 1, 0, NoName, nullptr},
    {IntParameter, KnobModeId, 1, 0, 1, 0, KnobModeName, getKnobModeString},
    {IntParameter, TimeStampId, 1, 0, 1, 0, TimeStampName, nullptr},
    {IntParameter, MaxSystemExclusiveId, 1, 4, 16384, DefaultMaxSystemExclusiveKiB, MaxSystemExclusiveName, nullptr},
    {IntParameter, PieceSizeId, 1, 16, 4096, 256, PieceSizeName, nullptr},
    {IntParameter, RateLimitId, 1, 0, 1000000, 0, RateLimitName, nullptr},
    {IntParameter, MidiSystemId, 1, 0, 2, 0, MidiSystemName, getMidiSystemString},
    {IntParameter, MiddleCNameId, 1, MiddleCIsC3, MiddleCIsC4, MiddleCIsC3, MiddleCNameName, getMiddleCNameString},
    {IntParameter, MonitorHistoryId, 1, 512, 100000, 512, MonitorHistoryName, nullptr},
    {IntParameter, MonitorMemoryId, 1, 16, 4096, DefaultMonitorMemoryMiB, MonitorMemoryName, nullptr},
};

template <int Count>
QString tableString(const char* const (&table)[Count], int value, MODEL_RESULT* result)
{
    if (value < 0 || value >= Count) {
        setModelResult(result, MODEL_RESULT_ERROR);
        return QString();
    }
    setModelResult(result, MODEL_RESULT_OK);
    return QString::fromLatin1(table[value]);
}

} // namespace

QString getDocumentDirectory()
{
    const QStringList locations = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    return locations.isEmpty() ? QString() : locations.first();
}

QString getKnobModeString(int value, MODEL_RESULT* result)
{
    return tableString(KnobModeStringTable, value, result);
}

QString getMiddleCNameString(int value, MODEL_RESULT* result)
{
    return tableString(MiddleCNameStringTable, value, result);
}

QString getMidiSystemString(int value, MODEL_RESULT* result)
{
    return tableString(MidiSystemStringTable, value, result);
}

TarvoParameters::TarvoParameters(ModelIF* model)
{
    createParameters(model);
}

void TarvoParameters::createParameters(ModelIF* model)
{
    if (model == nullptr) {
        return;
    }
    for (const ParameterRun& run : ParameterTable) {
        const QString name = QString::fromLatin1(run.name);
        for (unsigned int id = run.firstId; id < run.firstId + run.count; ++id) {
            if (run.kind == IntParameter) {
                model->createIntParameter(id, run.minimum, run.maximum, run.defaultValue, name, run.toString,
                                          nullptr);
            } else {
                model->createStringParameter(id, getDocumentDirectory(), name);
            }
        }
    }
}
