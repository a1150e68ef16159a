#ifndef MIDILIB_OUTPUTCHANNEL_H
#define MIDILIB_OUTPUTCHANNEL_H

#include <stddef.h>
#include <stdint.h>

#include "smlib_array.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { MIDILIB_OutputChannel_ListenerMax = 32 };

typedef struct midilib_outputChannelListener midilib_outputChannelListener;

typedef void (*midilib_outputChannelListener_sendFunction)(midilib_outputChannelListener *listener,
                                                           const uint8_t *bytes, size_t size);

/* A listener object begins with this structure; the send function receives
 * the listener itself. */
struct midilib_outputChannelListener {
    midilib_outputChannelListener_sendFunction send;
};

/* One MIDI channel that builds channel messages and hands them to its
 * listeners in registration order. The listener list points into the object:
 * initialise it in place and never copy it. */
typedef struct midilib_outputChannel {
    uint8_t channel;
    smlib_array listeners;
    midilib_outputChannelListener *listenerMemory[MIDILIB_OutputChannel_ListenerMax];
} midilib_outputChannel;

void midilib_outputChannel_init(midilib_outputChannel *self, int channelNumber);
/* Adds listener unless it is registered already. */
void midilib_outputChannel_registerListener(midilib_outputChannel *self, midilib_outputChannelListener *listener);
void midilib_outputChannel_unregisterListener(midilib_outputChannel *self, midilib_outputChannelListener *listener);
void midilib_outputChannel_sendNoteOff(midilib_outputChannel *self, int noteNumber, int velocity);
void midilib_outputChannel_sendNoteOn(midilib_outputChannel *self, int noteNumber, int velocity);
void midilib_outputChannel_sendControlChange(midilib_outputChannel *self, int controllerNumber, int value);
/* value 0 to 16383, 8192 the centre. */
void midilib_outputChannel_sendPitchBend(midilib_outputChannel *self, uint16_t value);

#ifdef __cplusplus
}
#endif

#endif
