#ifndef MIDICLIENT_H
#define MIDICLIENT_H

#include "midi/platform/MidiPlatformIF.h"

#include <QString>

// The application's one client of the platform MIDI service. A failed
// creation is not reported: the reference stays 0 and the ports created on
// this client fail in turn.
class MidiClient
{
public:
    // name is what other programs see the client as.
    MidiClient(const QString& name, MidiPlatformIF& platform);
    virtual ~MidiClient();

    MidiClient(const MidiClient&) = delete;
    MidiClient& operator=(const MidiClient&) = delete;

    MidiPlatformIF::Ref clientRef() const;
    MidiPlatformIF& platform() const;
    // About once a second on the GUI thread: lets the platform bring back its
    // service and connections; true when the endpoints may have changed.
    bool refresh();
    bool serviceAvailable() const;

private:
    MidiPlatformIF::Ref m_clientRef;
    MidiPlatformIF* m_pPlatform;
};

#endif // MIDICLIENT_H
