#ifndef MIDILIB_STATUS_H
#define MIDILIB_STATUS_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "midilib_constants.h"

#ifdef __cplusplus
extern "C" {
#endif

/* True for a status byte that begins a message (its size is not 0). */
bool midilib_status_check(uint8_t status);
/* A channel status without its channel (0x93 -> 0x90); any other byte unchanged. */
uint8_t midilib_status_plain(uint8_t status);
/* The three below run for every byte or message received: inline, so that
 * the parser pays no call for them. */

/* Bytes of the message that status begins, status byte included; 0 for a
 * byte that never begins a message of its own. */
static inline size_t midilib_status_messageSize(uint8_t status)
{
    /* Channel messages by high nibble 0x8 to 0xE. */
    static const uint8_t ChannelMessageSize[7] = { 3, 3, 3, 3, 2, 2, 3 };
    /* System messages 0xF0 to 0xFF by low nibble. */
    static const uint16_t SystemMessageSize[16] = {
        MIDILIB_Message_SizeMax, 2, 3, 2, 0, 0, 1, 0,
        1, 0, 1, 1, 1, 0, 1, 1
    };
    if (status < 0x80u) {
        return 0;
    }
    if (status < 0xF0u) {
        return ChannelMessageSize[(status >> 4) - 0x8u];
    }
    return SystemMessageSize[status & 0x0Fu];
}

static inline bool midilib_status_isChannelMessage(uint8_t status)
{
    return status >= 0x80u && status <= 0xEFu;
}

/* Low nibble of a channel status; MIDILIB_NoChannel for any other byte. */
static inline uint8_t midilib_status_getChannelNumber(uint8_t status)
{
    return midilib_status_isChannelMessage(status) ? (uint8_t)(status & 0x0Fu) : (uint8_t)MIDILIB_NoChannel;
}
/* Replaces the channel of a channel status in place; returns the resulting byte. */
uint8_t midilib_status_setChannelNumber(uint8_t *status, int channelNumber);

#ifdef __cplusplus
}
#endif

#endif
