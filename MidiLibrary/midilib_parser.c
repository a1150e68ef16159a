#include "midilib_parser.h"

#include <stdbool.h>
#include <string.h>

#include "midilib_status.h"
#include "smlib_assert.h"

static const uint8_t SystemExclusiveStatus = 0xF0;
static const uint8_t EndOfExclusive = 0xF7;
static const uint8_t FirstRealTimeStatus = 0xF8;

void midilib_parser_init(midilib_parser *self)
{
    SMLIB_ASSERT(self);
    smlib_constData_init(&self->input, NULL, 0);
    smlib_data_init(&self->message, NULL, 0);
}

void midilib_parser_clear(midilib_parser *self)
{
    midilib_parser_init(self);
}

static bool isIdle(const midilib_parser *self)
{
    return smlib_data_getSize(&self->message) == 0;
}

static bool inSystemExclusive(const midilib_parser *self)
{
    return !isIdle(self) && self->messageBuffer[0] == SystemExclusiveStatus;
}

void midilib_parser_clearRunningStatus(midilib_parser *self)
{
    SMLIB_ASSERT(self);
    if (!isIdle(self) && smlib_data_tell(&self->message) == 1
        && midilib_status_isChannelMessage(self->messageBuffer[0])) {
        smlib_data_init(&self->message, NULL, 0);
    }
}

void midilib_parser_setData(midilib_parser *self, const void *data, size_t size)
{
    SMLIB_ASSERT(self);
    smlib_constData_init(&self->input, size > 0 ? data : NULL, size);
}

static void toEvent(const uint8_t *bytes, size_t length, midilib_event *event)
{
    if (midilib_dataToEvent(bytes, length, event) != 0) {
        SMLIB_ASSERT(0);
    }
}

static void completeMessage(midilib_parser *self, midilib_event *event)
{
    toEvent(self->messageBuffer, smlib_data_tell(&self->message), event);
    if (midilib_status_isChannelMessage(self->messageBuffer[0])) {
        /* Running status: the next data bytes form a message with the same status. */
        smlib_data_seek(&self->message, 1, 0);
    } else {
        smlib_data_init(&self->message, NULL, 0);
    }
}

/* Number of leading bytes below 0x80, eight at a time where possible. */
static size_t dataByteRun(const uint8_t *bytes, size_t count)
{
    static const uint64_t StatusBits = 0x8080808080808080ull;
    size_t run = 0;
    while (count - run >= sizeof(uint64_t)) {
        uint64_t word;
        memcpy(&word, bytes + run, sizeof(word));
        if (word & StatusBits) {
            break;
        }
        run += sizeof(uint64_t);
    }
    while (run < count && bytes[run] < 0x80u) {
        ++run;
    }
    return run;
}

/* Copies the data bytes that follow in the input straight into a System
 * Exclusive message. The last free byte is left to the byte-wise path, which
 * decides whether the message is then full. */
static void collectSystemExclusiveData(midilib_parser *self)
{
    const size_t position = smlib_data_tell(&self->message);
    const size_t room = smlib_data_getSize(&self->message) - position;
    const size_t inputPosition = smlib_constData_tell(&self->input);
    const size_t available = self->input.size - inputPosition;
    const size_t limit = room - 1 < available ? room - 1 : available;
    const size_t run = dataByteRun(self->input.memory + inputPosition, limit);
    if (run == 0) {
        return;
    }
    smlib_constData_read(&self->input, self->messageBuffer + position, 1, run);
    smlib_data_seek(&self->message, (long)run, 1);
}

int midilib_parser_parse(midilib_parser *self, midilib_event *event)
{
    SMLIB_ASSERT(self);
    uint8_t byte;
    while (smlib_constData_read(&self->input, &byte, 1, 1) == 1) {
        const size_t size = midilib_status_messageSize(byte);
        if (size != 0) {
            if (byte >= FirstRealTimeStatus) {
                /* Real-time bytes may come between any two bytes; the message
                 * around them and the running status go on. */
                toEvent(&byte, 1, event);
                return 0;
            }
            smlib_data_init(&self->message, self->messageBuffer, size);
        } else if (byte >= 0x80u && !inSystemExclusive(self)) {
            /* 0xF4, 0xF5, 0xF9, 0xFD and a stray 0xF7 belong to no message. */
            continue;
        }
        if (smlib_data_write(&self->message, &byte, 1, 1) != 1) {
            /* Stray data byte while idle, or a full System Exclusive message. */
            continue;
        }
        const bool systemExclusive = self->messageBuffer[0] == SystemExclusiveStatus;
        if (byte == EndOfExclusive) {
            /* Only a System Exclusive message takes 0xF7 in; it ends there. */
            completeMessage(self, event);
            return 0;
        }
        if (smlib_data_tell(&self->message) == smlib_data_getSize(&self->message)) {
            if (!systemExclusive) {
                completeMessage(self, event);
                return 0;
            }
        } else if (systemExclusive) {
            collectSystemExclusiveData(self);
        }
    }
    return -1;
}
