#include "midilib_status.h"

#include "midilib_constants.h"
#include "smlib_assert.h"

/* Channel messages by high nibble 0x8 to 0xE. */
static const uint8_t ChannelMessageSize[7] = { 3, 3, 3, 3, 2, 2, 3 };

/* System messages 0xF0 to 0xFF by low nibble. */
static const uint16_t SystemMessageSize[16] = {
    MIDILIB_Message_SizeMax, 2, 3, 2, 0, 0, 1, 0,
    1, 0, 1, 1, 1, 0, 1, 1
};

bool midilib_status_check(uint8_t status)
{
    return midilib_status_messageSize(status) != 0;
}

uint8_t midilib_status_plain(uint8_t status)
{
    return midilib_status_isChannelMessage(status) ? (uint8_t)(status & 0xF0u) : status;
}

size_t midilib_status_messageSize(uint8_t status)
{
    if (status < 0x80u) {
        return 0;
    }
    if (status < 0xF0u) {
        return ChannelMessageSize[(status >> 4) - 0x8u];
    }
    return SystemMessageSize[status & 0x0Fu];
}

bool midilib_status_isChannelMessage(uint8_t status)
{
    return status >= 0x80u && status <= 0xEFu;
}

uint8_t midilib_status_getChannelNumber(uint8_t status)
{
    return midilib_status_isChannelMessage(status) ? (uint8_t)(status & 0x0Fu) : (uint8_t)MIDILIB_NoChannel;
}

uint8_t midilib_status_setChannelNumber(uint8_t *status, int channelNumber)
{
    SMLIB_ASSERT(status);
    SMLIB_ASSERT(( channelNumber >= MIDILIB_ChannelNumber_Min ) && ( channelNumber <= MIDILIB_ChannelNumber_Max ));
    if (midilib_status_isChannelMessage(*status)) {
        *status = (uint8_t)((*status & 0xF0u) | (unsigned)channelNumber);
    }
    return *status;
}
