#include "midi/platform/AlsaPortName.h"

#include <cstdlib>

namespace {

// Client and port numbers have at most three digits (clients up to 191,
// ports up to 255); a longer run of digits is part of the name.
const std::size_t LargestNumberDigits = 3;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The start of the run of digits that ends just before end, or npos when
// there is none or it is too long to be a sequencer number.
std::size_t numberStart(const std::string& text, std::size_t end)
{
    std::size_t start = end;
    while (start > 0 && isDigit(text[start - 1])) {
        --start;
    }
    const std::size_t digits = end - start;
    return digits == 0 || digits > LargestNumberDigits ? std::string::npos : start;
}

} // namespace

std::string alsaEndpointName(const std::string& clientName, const std::string& portName)
{
    return clientName + ":" + portName;
}

std::string alsaEndpointName(const std::string& addressedName, AlsaAddress* address)
{
    // "<name> <client>:<port>": only the last space-separated word is looked at,
    // so digits and colons inside the client's or port's name stay.
    const std::size_t portStart = numberStart(addressedName, addressedName.size());
    if (portStart == std::string::npos || portStart == 0 || addressedName[portStart - 1] != ':') {
        return addressedName;
    }
    const std::size_t clientStart = numberStart(addressedName, portStart - 1);
    if (clientStart == std::string::npos || clientStart == 0 || addressedName[clientStart - 1] != ' ') {
        return addressedName;
    }
    if (address) {
        address->client = std::atoi(addressedName.c_str() + clientStart);
        address->port = std::atoi(addressedName.c_str() + portStart);
    }
    return addressedName.substr(0, clientStart - 1);
}
