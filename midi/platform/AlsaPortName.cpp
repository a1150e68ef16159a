#include "midi/platform/AlsaPortName.h"

std::string alsaEndpointName(const std::string& clientName, const std::string& portName)
{
    return clientName + ":" + portName;
}
