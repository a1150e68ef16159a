#include "services/MidiEngineSettings.h"

#include "engine/MidiEngine.h"
#include "model/TarvoModel.h"

namespace {

bool inRange(unsigned int id, unsigned int first, unsigned int count)
{
    return id >= first && id < first + count;
}

// Every parameter the engine takes, applied in this order at the start.
QList<unsigned int> engineParameters()
{
    QList<unsigned int> ids{MidiThruId, BulkIntervalId, MaxSystemExclusiveId, PieceSizeId};
    for (const auto& range : {qMakePair(ChannelFilterFirstId, ChannelFilterCount),
                              qMakePair(MessageFilterFirstId, MessageFilterCount),
                              qMakePair(ControlChangeFilterFirstId, ControlChangeFilterCount),
                              qMakePair(SystemCommonFilterFirstId, SystemCommonFilterCount),
                              qMakePair(SystemRealtimeFilterFirstId, SystemRealtimeFilterCount)}) {
        for (unsigned int id = range.first; id < range.first + range.second; ++id)
            ids.append(id);
    }
    return ids;
}

} // namespace

MidiEngineSettings::MidiEngineSettings(TarvoModel* model, MidiEngine* engine)
    : m_pModel(model)
    , m_pEngine(engine)
{
    for (unsigned int id : engineParameters())
        updateParameter(id);
    m_pModel->registerModelAssistant(this);
}

MidiEngineSettings::~MidiEngineSettings()
{
    m_pModel->unregisterModelAssistant(this);
}

void MidiEngineSettings::updateParameter(unsigned int id)
{
    MODEL_RESULT result = MODEL_RESULT_ERROR;
    const int value = m_pModel->getModelIntValue(id, &result);
    if (result != MODEL_RESULT_OK)
        return;
    switch (id) {
    case MidiThruId:
        m_pEngine->setThru(value != 0);
        return;
    case BulkIntervalId:
        m_pEngine->setBulkInterval(value);
        return;
    case MaxSystemExclusiveId:
        m_pEngine->setMaxSystemExclusive(systemExclusiveLimitBytes(value));
        return;
    case PieceSizeId:
        m_pEngine->setPieceSize(std::size_t(value));
        return;
    default:
        applyFilter(id, value != 0);
    }
}

void MidiEngineSettings::applyFilter(unsigned int id, bool hidden)
{
    MidiAnalyzer& analyzer = m_pEngine->analyzer();
    if (inRange(id, ChannelFilterFirstId, ChannelFilterCount))
        analyzer.setChannelSwitch(int(id - ChannelFilterFirstId), hidden);
    else if (inRange(id, ControlChangeFilterFirstId, ControlChangeFilterCount))
        analyzer.setControllerSwitch(int(id - ControlChangeFilterFirstId), hidden);
    else if (inRange(id, MessageFilterFirstId, MessageFilterCount))
        analyzer.setEventSwitch(
            MidiAnalyzer::convertMIDILIBEventTypeFromMIDIFilter(MIDIFilter(id - MessageFilterFirstId)), hidden);
    else if (inRange(id, SystemCommonFilterFirstId, SystemCommonFilterCount))
        analyzer.setEventSwitch(MidiAnalyzer::convertMIDILIBEventTypeFromFilterSystemCommon(
                                    FilterSystemCommon(id - SystemCommonFilterFirstId)),
                                hidden);
    else if (inRange(id, SystemRealtimeFilterFirstId, SystemRealtimeFilterCount))
        analyzer.setEventSwitch(MidiAnalyzer::convertMIDILIBEventTypeFromFilterSystemRealtime(
                                    FilterSystemRealtime(id - SystemRealtimeFilterFirstId)),
                                hidden);
}
