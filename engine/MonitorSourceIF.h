#pragma once

class MonitorSinkIF;

// Where monitors sign up for what goes in (received, after the filter) or
// out (sent). A sink signs off before it goes.
class MonitorSourceIF
{
public:
    enum class Direction { Received, Transmitted };

    virtual ~MonitorSourceIF() = default;

    virtual void addMonitor(MonitorSinkIF* sink, Direction direction) = 0;
    virtual void removeMonitor(MonitorSinkIF* sink) = 0;
};
