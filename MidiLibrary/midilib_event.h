#ifndef MIDILIB_EVENT_H
#define MIDILIB_EVENT_H

#include <stddef.h>
#include <stdint.h>

#include "midilib_constants.h"
#include "midilib_data.h"
#include "midilib_status.h"
#include "midilib_uint14.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Event types; filter tables index by these numbers. 0 to 6 channel messages,
 * 7 System Exclusive, 8 to 11 system common, 12 to 17 real-time. */
enum {
    MIDILIB_Event_Type_NoteOff = 0,
    MIDILIB_Event_Type_NoteOn = 1,
    MIDILIB_Event_Type_PolyKeyPressure = 2,
    MIDILIB_Event_Type_ControlChange = 3,
    MIDILIB_Event_Type_ProgramChange = 4,
    MIDILIB_Event_Type_ChannelKeyPressure = 5,
    MIDILIB_Event_Type_PitchBend = 6,
    MIDILIB_Event_Type_SystemExclusive = 7,
    MIDILIB_Event_Type_Mtc = 8,
    MIDILIB_Event_Type_SongPositionPointer = 9,
    MIDILIB_Event_Type_SongSelect = 10,
    MIDILIB_Event_Type_TuneRequest = 11,
    MIDILIB_Event_Type_TimingClock = 12,
    MIDILIB_Event_Type_Start = 13,
    MIDILIB_Event_Type_Continue = 14,
    MIDILIB_Event_Type_Stop = 15,
    MIDILIB_Event_Type_ActiveSensing = 16,
    MIDILIB_Event_Type_SystemReset = 17
};

typedef struct midilib_noteEvent {
    uint8_t noteNumber;
    uint8_t velocity;
} midilib_noteEvent;

typedef struct midilib_polyKeyPressureEvent {
    uint8_t noteNumber;
    uint8_t pressure;
} midilib_polyKeyPressureEvent;

typedef struct midilib_controlChangeEvent {
    uint8_t controllerNumber;
    uint8_t value;
} midilib_controlChangeEvent;

typedef struct midilib_numberEvent {
    uint8_t number;
} midilib_numberEvent;

typedef struct midilib_channelKeyPressureEvent {
    uint8_t pressure;
} midilib_channelKeyPressureEvent;

/* 0 to 16383; pitch bend centre 8192, song position in MIDI beats. */
typedef struct midilib_uint14Event {
    uint16_t value;
} midilib_uint14Event;

/* The whole message from 0xF0 through its last byte. */
typedef struct midilib_systemExclusiveEvent {
    uint8_t data[MIDILIB_Message_SizeMax];
    size_t size;
} midilib_systemExclusiveEvent;

/* The data byte as received, message type and value not split. */
typedef struct midilib_mtcEvent {
    uint8_t data;
} midilib_mtcEvent;

/* One complete message. Large (System Exclusive payload): keep it on the
 * stack or inside an object, never allocate one per message. */
typedef struct midilib_event {
    uint8_t type;
    /* 0 to 15 for channel messages, MIDILIB_NoChannel for system messages. */
    uint8_t channel;
    union {
        midilib_noteEvent noteOff;
        midilib_noteEvent noteOn;
        midilib_polyKeyPressureEvent polyKeyPressure;
        midilib_controlChangeEvent controlChange;
        midilib_numberEvent programChange;
        midilib_channelKeyPressureEvent channelKeyPressure;
        midilib_uint14Event pitchBend;
        midilib_systemExclusiveEvent systemExclusive;
        midilib_mtcEvent mtc;
        midilib_uint14Event songPositionPointer;
        midilib_numberEvent songSelect;
    };
} midilib_event;

/* 0 and *event filled when the length bytes are exactly one complete message
 * of a known type; -1 and *event untouched otherwise. */
int midilib_dataToEvent(const void *bytes, size_t length, midilib_event *event);
/* The same for a message whose first byte is a channel status (0x80 to 0xEF).
 * Inline: the parser runs it for every channel message received.
 * Types 0 to 6 follow the status order 0x80 to 0xE0, so the type comes from
 * the status by arithmetic rather than by a chain of comparisons: channel
 * messages arrive in no order a branch predictor could learn. */
static inline int midilib_channelMessageToEvent(const uint8_t *message, size_t length, midilib_event *event)
{
    const uint8_t status = message[0];
    if (length != midilib_status_messageSize(status)) {
        return -1;
    }
    const uint8_t type = (uint8_t)(MIDILIB_Event_Type_NoteOff + ((status >> 4) - 0x8u));
    if (type == MIDILIB_Event_Type_PitchBend) {
        event->pitchBend.value = midilib_uint14_make(message[1], message[2]);
    } else if (length == 3) {
        /* Note off, note on, key pressure and control change share one layout. */
        event->noteOn.noteNumber = message[1];
        event->noteOn.velocity = message[2];
    } else if (type == MIDILIB_Event_Type_ProgramChange) {
        event->programChange.number = message[1];
    } else {
        event->channelKeyPressure.pressure = message[1];
    }
    event->type = type;
    event->channel = midilib_status_getChannelNumber(status);
    return 0;
}

/* Replaces the contents of data by the message of *event. */
void midilib_eventToData(const midilib_event *event, midilib_data *data);

#ifdef __cplusplus
}
#endif

#endif
