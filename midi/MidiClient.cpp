#include "midi/MidiClient.h"

#include "midi/platform/MidiPlatform.h"

MidiClient::MidiClient(const QString& name)
    : m_clientRef(MidiPlatformIF::NoRef)
    , m_pPlatform(&MidiPlatform::current())
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
