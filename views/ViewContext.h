#pragma once

class MidiClockIF;
class MidiSenderIF;
class MonitorSourceIF;
class TarvoModel;
class ToolWindowHostIF;

// What a tool view is given to do its work: the settings, the way to send
// MIDI and the timing clock, the records to show, and the window that holds it.
struct ViewContext
{
    TarvoModel* model;
    MidiSenderIF* sender;
    MidiClockIF* clock;
    MonitorSourceIF* monitors;
    ToolWindowHostIF* host;
};
