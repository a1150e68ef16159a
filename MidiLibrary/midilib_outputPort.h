#ifndef MIDILIB_OUTPUTPORT_H
#define MIDILIB_OUTPUTPORT_H

#include <stddef.h>
#include <stdint.h>

#include "midilib_constants.h"
#include "midilib_outputChannel.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct midilib_outputPort midilib_outputPort;

typedef void (*midilib_outputPort_sendFunction)(midilib_outputPort *port, const uint8_t *bytes, size_t size);

/* Forwards the messages of the port's channels to its send function. */
typedef struct midilib_outputPortListener {
    midilib_outputChannelListener base;
    midilib_outputPort *port;
} midilib_outputPortListener;

/* Sixteen output channels whose messages all go to one send function. The
 * owner sets sendData before midilib_outputPort_init; the channels point into
 * the object: initialise it in place and never copy it. */
struct midilib_outputPort {
    midilib_outputPort_sendFunction sendData;
    midilib_outputChannel channels[MIDILIB_ChannelNumber_Max + 1];
    midilib_outputPortListener forwarder;
};

void midilib_outputPort_init(midilib_outputPort *self);
midilib_outputChannel *midilib_outputPort_getChannel(midilib_outputPort *self, int channelNumber);

#ifdef __cplusplus
}
#endif

#endif
