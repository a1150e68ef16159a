#ifndef ALSAPORTNAME_H
#define ALSAPORTNAME_H

#include <string>

// A port's place in the ALSA sequencer: client and port number. A device
// plugged in again may come back under another client number.
struct AlsaAddress
{
    int client = -1;
    int port = -1;
};

// The endpoint name of a sequencer port: "Client:Port", the client's and the
// port's own names, as the user knows them.
std::string alsaEndpointName(const std::string& clientName, const std::string& portName);

// The endpoint name in a port name that ends in the port's address ("Client:Port
// 20:0", as RtMidi names ports): the name without " 20:0", which is stored in
// *address when given. A name without an address at its end is returned as it
// is, and *address left as it was.
std::string alsaEndpointName(const std::string& addressedName, AlsaAddress* address = nullptr);

#endif // ALSAPORTNAME_H
