#pragma once

#include "model/ModelAssistant.h"

class Dial;
class TarvoModel;

// Keeps a dial in the knob mode of the model's preference, from the moment
// it is made until it goes with the dial.
class KnobModeFollower : public ModelAssistant
{
public:
    KnobModeFollower(TarvoModel* model, Dial* dial);
    ~KnobModeFollower();

    KnobModeFollower(const KnobModeFollower&) = delete;
    KnobModeFollower& operator=(const KnobModeFollower&) = delete;

    void updateParameter(unsigned int id) override;

private:
    TarvoModel* m_pModel;
    Dial* m_pDial;
};
