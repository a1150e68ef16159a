#ifndef MIDILIB_PARSER_H
#define MIDILIB_PARSER_H

#include <stddef.h>
#include <stdint.h>

#include "midilib_constants.h"
#include "midilib_event.h"
#include "smlib_constData.h"
#include "smlib_data.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Turns MIDI bytes, given in chunks of any size, into one event per complete
 * message. A partial message and the running status carry over from chunk to
 * chunk. The message stream points into the object: initialise it in place
 * and never copy it. */
typedef struct midilib_parser {
    /* The current chunk; the caller keeps it valid while it parses. */
    smlib_constData input;
    /* Size: the message being collected; position: the bytes collected. */
    smlib_data message;
    uint8_t messageBuffer[MIDILIB_Message_SizeMax];
    /* The last message completed: in messageBuffer, or realTimeByte. */
    const uint8_t *lastMessage;
    size_t lastMessageSize;
    uint8_t realTimeByte;
} midilib_parser;

void midilib_parser_init(midilib_parser *self);
/* Forgets unread input, any partial message and the running status. */
void midilib_parser_clear(midilib_parser *self);
/* Ends running status; a message that has data bytes collected stays. */
void midilib_parser_clearRunningStatus(midilib_parser *self);
/* Makes size bytes of data the input; the message in progress stays. */
void midilib_parser_setData(midilib_parser *self, const void *data, size_t size);
/* 0 with *event filled when a message was completed; -1 when the input is
 * used up. Call until -1, then give the next chunk. Real-time bytes come out
 * at once as events of their own without disturbing the message around them;
 * bytes that belong to no message are dropped. */
int midilib_parser_parse(midilib_parser *self, midilib_event *event);
/* The bytes of the message the last successful parse completed, status byte
 * first (under running status too), so that nobody encodes the event again;
 * valid until the next call. */
static inline const uint8_t *midilib_parser_lastMessage(const midilib_parser *self, size_t *size)
{
    *size = self->lastMessageSize;
    return self->lastMessage;
}
/* The number of leading bytes below 0x80 (data bytes) of count, eight at a
 * time where possible. */
size_t midilib_dataByteRun(const uint8_t *bytes, size_t count);

#ifdef __cplusplus
}
#endif

#endif
