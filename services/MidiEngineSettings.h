#pragma once

#include "model/ModelAssistant.h"

class MidiEngine;
class TarvoModel;

// Carries the MIDI settings the user changes (MIDI Thru, the filter, Maximum
// System Exclusive, piece size, bulk interval) from the model into the
// engine, now and at every change. The model owns them; this is the only
// place they are converted into the engine's units.
class MidiEngineSettings : public ModelAssistant
{
public:
    MidiEngineSettings(TarvoModel* model, MidiEngine* engine);
    ~MidiEngineSettings();

    MidiEngineSettings(const MidiEngineSettings&) = delete;
    MidiEngineSettings& operator=(const MidiEngineSettings&) = delete;

    void updateParameter(unsigned int id) override;

private:
    void applyFilter(unsigned int id, bool hidden);

    TarvoModel* m_pModel;
    MidiEngine* m_pEngine;
};
