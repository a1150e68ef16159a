#include "midi/MidiClient.h"


MidiClient::MidiClient(const QString& name, MidiPlatformIF& platform)
    : m_clientRef(MidiPlatformIF::NoRef)
    , m_pPlatform(&platform)
{
    MidiPlatformIF::Ref client = MidiPlatformIF::NoRef;
    if (m_pPlatform->createClient(name, &client)) {
        m_clientRef = client;
    }
}

MidiClient::~MidiClient()
{
    if (m_clientRef != MidiPlatformIF::NoRef) {
        m_pPlatform->disposeClient(m_clientRef);
    }
}

MidiPlatformIF::Ref MidiClient::clientRef() const
{
    return m_clientRef;
}

MidiPlatformIF& MidiClient::platform() const
{
    return *m_pPlatform;
}

bool MidiClient::refresh()
{
    return m_clientRef != MidiPlatformIF::NoRef && m_pPlatform->refresh();
}

bool MidiClient::serviceAvailable() const
{
    return m_clientRef != MidiPlatformIF::NoRef && m_pPlatform->serviceAvailable();
}
