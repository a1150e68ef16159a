#include "midilib_outputChannel.h"

#include <stdbool.h>

#include "midilib_constants.h"
#include "midilib_messageBuilders.h"
#include "midilib_uint14.h"
#include "smlib_assert.h"

void midilib_outputChannel_init(midilib_outputChannel *self, int channelNumber)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(( channelNumber >= MIDILIB_ChannelNumber_Min ) && ( channelNumber <= MIDILIB_ChannelNumber_Max ));
    self->channel = (uint8_t)channelNumber;
    smlib_array_init(&self->listeners, self->listenerMemory, sizeof(self->listenerMemory[0]),
                     MIDILIB_OutputChannel_ListenerMax);
}

static bool isListener(const void *element, const void *key)
{
    return *(midilib_outputChannelListener *const *)element == key;
}

void midilib_outputChannel_registerListener(midilib_outputChannel *self, midilib_outputChannelListener *listener)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(listener);
    size_t index;
    if (smlib_array_find(&self->listeners, listener, isListener, &index) != 0) {
        smlib_array_pushBack(&self->listeners, &listener);
    }
}

void midilib_outputChannel_unregisterListener(midilib_outputChannel *self, midilib_outputChannelListener *listener)
{
    SMLIB_ASSERT(self);
    size_t index;
    if (smlib_array_find(&self->listeners, listener, isListener, &index) == 0) {
        smlib_array_erase(&self->listeners, index);
    }
}

typedef struct Message {
    const uint8_t *bytes;
    size_t size;
} Message;

static void sendToListener(void *element, void *context)
{
    midilib_outputChannelListener *listener = *(midilib_outputChannelListener **)element;
    const Message *message = (const Message *)context;
    listener->send(listener, message->bytes, message->size);
}

static void sendMessage(midilib_outputChannel *self, const uint8_t bytes[3])
{
    Message message = { bytes, 3 };
    smlib_array_forEach2(&self->listeners, sendToListener, &message);
}

void midilib_outputChannel_sendNoteOff(midilib_outputChannel *self, int noteNumber, int velocity)
{
    SMLIB_ASSERT(self);
    uint8_t bytes[3];
    midilib_noteOffBuff_init(bytes, self->channel, noteNumber, velocity);
    sendMessage(self, bytes);
}

void midilib_outputChannel_sendNoteOn(midilib_outputChannel *self, int noteNumber, int velocity)
{
    SMLIB_ASSERT(self);
    uint8_t bytes[3];
    midilib_noteOnBuff_init(bytes, self->channel, noteNumber, velocity);
    sendMessage(self, bytes);
}

void midilib_outputChannel_sendControlChange(midilib_outputChannel *self, int controllerNumber, int value)
{
    SMLIB_ASSERT(self);
    uint8_t bytes[3];
    midilib_controlChangeBuff_init(bytes, self->channel, controllerNumber, value);
    sendMessage(self, bytes);
}

void midilib_outputChannel_sendPitchBend(midilib_outputChannel *self, uint16_t value)
{
    SMLIB_ASSERT(self);
    uint8_t bytes[3];
    midilib_pitchBendData_init(bytes, self->channel, midilib_uint14_msb(value), midilib_uint14_lsb(value));
    sendMessage(self, bytes);
}
