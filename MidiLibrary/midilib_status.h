#ifndef MIDILIB_STATUS_H
#define MIDILIB_STATUS_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* True for a status byte that begins a message (its size is not 0). */
bool midilib_status_check(uint8_t status);
/* A channel status without its channel (0x93 -> 0x90); any other byte unchanged. */
uint8_t midilib_status_plain(uint8_t status);
/* Bytes of the message that status begins, status byte included; 0 for a
 * byte that never begins a message of its own. */
size_t midilib_status_messageSize(uint8_t status);
bool midilib_status_isChannelMessage(uint8_t status);
/* Low nibble of a channel status; MIDILIB_NoChannel for any other byte. */
uint8_t midilib_status_getChannelNumber(uint8_t status);
/* Replaces the channel of a channel status in place; returns the resulting byte. */
uint8_t midilib_status_setChannelNumber(uint8_t *status, int channelNumber);

#ifdef __cplusplus
}
#endif

#endif
