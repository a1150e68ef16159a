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
    self->lastMessage = NULL;
    self->lastMessageSize = 0;
    self->realTimeByte = 0;
}

void midilib_parser_clear(midilib_parser *self)
{
    midilib_parser_init(self);
}

void midilib_parser_clearRunningStatus(midilib_parser *self)
{
    SMLIB_ASSERT(self);
    if (smlib_data_getSize(&self->message) > 0 && smlib_data_tell(&self->message) == 1
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

size_t midilib_dataByteRun(const uint8_t *bytes, size_t count)
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

int midilib_parser_parse(midilib_parser *self, midilib_event *event)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(event);
    /* The loop runs on local copies of the two cursors and writes them back
     * at the end: a byte stored into the message buffer may alias the stream
     * fields, which would otherwise be reloaded for every byte. */
    const uint8_t *const input = self->input.memory;
    const size_t inputSize = self->input.size;
    size_t inputPosition = self->input.position;
    uint8_t *const message = self->messageBuffer;
    size_t messageSize = self->message.size;
    size_t position = self->message.position;
    const uint8_t *lastMessage = NULL;
    size_t lastMessageSize = 0;
    int result = -1;
    while (inputPosition < inputSize) {
        const uint8_t byte = input[inputPosition++];
        if (byte >= 0x80u && byte < SystemExclusiveStatus && inputSize - inputPosition >= 2) {
            /* A channel message whose data bytes all follow is taken whole:
             * the common case, without a turn of the loop per byte. */
            const size_t size = midilib_status_messageSize(byte);
            message[0] = byte;
            message[1] = input[inputPosition];
            message[2] = input[inputPosition + 1];
            if (message[1] < 0x80u && (size == 2 || message[2] < 0x80u)) {
                inputPosition += size - 1;
                if (midilib_channelMessageToEvent(message, size, event) != 0) {
                    SMLIB_ASSERT(0);
                }
                messageSize = size;
                position = 1;
                lastMessage = message;
                lastMessageSize = size;
                result = 0;
                break;
            }
        }
        if (byte >= 0x80u) {
            const size_t size = midilib_status_messageSize(byte);
            if (size == 0) {
                if (messageSize == 0 || message[0] != SystemExclusiveStatus) {
                    /* 0xF4, 0xF5, 0xF9, 0xFD and a stray 0xF7 belong to no message. */
                    continue;
                }
            } else if (byte >= FirstRealTimeStatus) {
                /* Real-time bytes may come between any two bytes; the message
                 * around them and the running status go on. */
                toEvent(&byte, 1, event);
                self->realTimeByte = byte;
                lastMessage = &self->realTimeByte;
                lastMessageSize = 1;
                result = 0;
                break;
            } else {
                messageSize = size;
                position = 0;
            }
        }
        if (position >= messageSize) {
            /* A data byte while idle, or any byte after a full System Exclusive message. */
            continue;
        }
        message[position++] = byte;
        const bool systemExclusive = message[0] == SystemExclusiveStatus;
        if (systemExclusive ? byte == EndOfExclusive : position == messageSize) {
            toEvent(message, position, event);
            lastMessage = message;
            lastMessageSize = position;
            if (midilib_status_isChannelMessage(message[0])) {
                /* Running status: the next data bytes form a message with the same status. */
                position = 1;
            } else {
                messageSize = 0;
                position = 0;
            }
            result = 0;
            break;
        }
        if (systemExclusive) {
            /* Take the data bytes that follow in one copy, as far as there is
             * room; without its end byte a full message stays full until the
             * next status byte. */
            const size_t room = messageSize - position;
            const size_t available = inputSize - inputPosition;
            const size_t run = midilib_dataByteRun(input + inputPosition, room < available ? room : available);
            memcpy(message + position, input + inputPosition, run);
            position += run;
            inputPosition += run;
        }
    }
    self->input.position = inputPosition;
    self->message.memory = messageSize > 0 ? message : NULL;
    self->message.size = messageSize;
    self->message.position = position;
    self->lastMessage = lastMessage;
    self->lastMessageSize = lastMessageSize;
    return result;
}
