#ifndef ENDPOINTID_H
#define ENDPOINTID_H

#include <cstdint>
#include <string>

// The unique id of an endpoint known by its name: FNV-1a, stable across runs
// and across the endpoint going and coming back, so an id read earlier still
// finds the port. Never 0x7FFFFFFF, which stands for "no endpoint".
inline std::int32_t endpointIdOfName(const std::string& name)
{
    const std::uint32_t modulus = 0x7FFFFFFF;
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    return static_cast<std::int32_t>(hash % modulus);
}

#endif // ENDPOINTID_H
