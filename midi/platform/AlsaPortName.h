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
// port's own names as the user knows them, whatever they hold, and never its
// address, so that a device that comes back at another address keeps the
// name the user chose.
std::string alsaEndpointName(const std::string& clientName, const std::string& portName);

#endif // ALSAPORTNAME_H
