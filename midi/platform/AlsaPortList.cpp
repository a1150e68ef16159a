#include "midi/platform/AlsaPortList.h"

namespace {

// The sequencer's own client, whose ports announce clients and ports.
const int SystemClient = 0;

} // namespace

std::vector<AlsaEndpoint> alsaEndpoints(const std::vector<AlsaPortInfo>& ports, MidiEndpointKind kind,
                                        const std::set<int>& ownClients)
{
    std::vector<AlsaEndpoint> endpoints;
    for (const AlsaPortInfo& port : ports) {
        const bool offered = kind == MidiEndpointKind::Source ? port.readable : port.writable;
        if (!offered || port.hidden || port.address.client == SystemClient || ownClients.count(port.address.client) > 0) {
            continue;
        }
        AlsaEndpoint endpoint;
        endpoint.name = alsaEndpointName(port.clientName, port.portName);
        endpoint.address = port.address;
        for (const AlsaEndpoint& before : endpoints) {
            endpoint.occurrence += before.name == endpoint.name ? 1 : 0;
        }
        endpoints.push_back(endpoint);
    }
    return endpoints;
}

bool findAlsaEndpoint(const std::vector<AlsaEndpoint>& endpoints, const std::string& name, unsigned int occurrence,
                      AlsaAddress* address)
{
    for (const AlsaEndpoint& endpoint : endpoints) {
        if (endpoint.name == name && endpoint.occurrence == occurrence) {
            *address = endpoint.address;
            return true;
        }
    }
    return false;
}
