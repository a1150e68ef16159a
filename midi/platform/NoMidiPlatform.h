#ifndef NOMIDIPLATFORM_H
#define NOMIDIPLATFORM_H

#include "midi/platform/MidiPlatformIF.h"

// Where no MIDI system could be opened: no client, no endpoints, every
// operation refused, so the program runs on with "No Assign" alone.
class NoMidiPlatform : public MidiPlatformIF
{
public:
    const char* systemName() const override { return "none"; }
    bool createClient(const QString&, Ref*) override { return false; }
    void disposeClient(Ref) override {}
    bool createInputPort(Ref, const QString&, ReadProc, void*, Ref*) override { return false; }
    bool createOutputPort(Ref, const QString&, Ref*) override { return false; }
    void disposePort(Ref) override {}
    unsigned int endpointCount(MidiEndpointKind) override { return 0; }
    Ref endpoint(MidiEndpointKind, unsigned int) override { return NoRef; }
    bool endpointName(Ref, QString*) override { return false; }
    bool endpointUniqueId(Ref, std::int32_t*) override { return false; }
    bool connectSource(Ref, Ref, void*) override { return false; }
    bool disconnectSource(Ref, Ref) override { return false; }
    bool send(Ref, Ref, const unsigned char*, std::size_t) override { return false; }
    bool serviceAvailable() override { return false; }
};

#endif // NOMIDIPLATFORM_H
