#pragma once

#include "engine/MidiRecord.h"

// Whoever shows or collects what the engine records: told on the thread that
// owns the monitor feed (the GUI thread), in order.
class MonitorSinkIF
{
public:
    virtual ~MonitorSinkIF() = default;

    virtual void takeRecords(const MidiRecords& records) = 0;
};
