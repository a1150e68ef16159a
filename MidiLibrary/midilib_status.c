#include "midilib_status.h"

#include "midilib_constants.h"
#include "smlib_assert.h"

bool midilib_status_check(uint8_t status)
{
    return midilib_status_messageSize(status) != 0;
}

uint8_t midilib_status_plain(uint8_t status)
{
    return midilib_status_isChannelMessage(status) ? (uint8_t)(status & 0xF0u) : status;
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
