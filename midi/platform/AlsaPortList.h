#ifndef ALSAPORTLIST_H
#define ALSAPORTLIST_H

#include "midi/platform/AlsaPortName.h"
#include "midi/platform/MidiPlatformIF.h"

#include <set>
#include <string>
#include <vector>

// One port of the sequencer as a query lists it.
struct AlsaPortInfo
{
    AlsaAddress address;
    std::string clientName;
    std::string portName;
    // Whether others may read from it (a source) and write to it (a
    // destination) through a subscription.
    bool readable = false;
    bool writable = false;
    // Ports that ask not to be listed (SND_SEQ_PORT_CAP_NO_EXPORT).
    bool hidden = false;
};

// An endpoint the platform offers: the port's name without its address, and
// how many offered ports of the same name and kind come before it, which
// stays while the port's client number changes.
struct AlsaEndpoint
{
    std::string name;
    unsigned int occurrence = 0;
    AlsaAddress address;
};

// The sources or destinations among ports, in their order, without the
// sequencer's own client (0), hidden ports, and ports of the clients in
// ownClients: the program's own ports are recognised by their client number,
// not by their name, so that another instance of the program is offered.
std::vector<AlsaEndpoint> alsaEndpoints(const std::vector<AlsaPortInfo>& ports, MidiEndpointKind kind,
                                        const std::set<int>& ownClients);

// The endpoint of that name and occurrence among endpoints; false when there is none.
bool findAlsaEndpoint(const std::vector<AlsaEndpoint>& endpoints, const std::string& name, unsigned int occurrence,
                      AlsaAddress* address);

#endif // ALSAPORTLIST_H
