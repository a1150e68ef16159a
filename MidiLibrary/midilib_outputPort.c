#include "midilib_outputPort.h"

#include "smlib_assert.h"

static void forwardToPort(midilib_outputChannelListener *listener, const uint8_t *bytes, size_t size)
{
    midilib_outputPortListener *self = (midilib_outputPortListener *)listener;
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(self->port);
    self->port->sendData(self->port, bytes, size);
}

void midilib_outputPort_init(midilib_outputPort *self)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(self->sendData);
    self->forwarder.base.send = forwardToPort;
    self->forwarder.port = self;
    for (int channel = MIDILIB_ChannelNumber_Min; channel <= MIDILIB_ChannelNumber_Max; ++channel) {
        midilib_outputChannel_init(&self->channels[channel], channel);
        midilib_outputChannel_registerListener(&self->channels[channel], &self->forwarder.base);
    }
}

midilib_outputChannel *midilib_outputPort_getChannel(midilib_outputPort *self, int channelNumber)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(( channelNumber >= MIDILIB_ChannelNumber_Min ) && ( channelNumber <= MIDILIB_ChannelNumber_Max ));
    return &self->channels[channelNumber];
}
