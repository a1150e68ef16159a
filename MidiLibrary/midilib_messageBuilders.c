#include "midilib_messageBuilders.h"

#include "midilib_constants.h"
#include "smlib_assert.h"

#define CHECK_CHANNEL() \
    SMLIB_ASSERT(( channelNumber >= MIDILIB_ChannelNumber_Min ) && ( channelNumber <= MIDILIB_ChannelNumber_Max ))
#define CHECK_NOTE() \
    SMLIB_ASSERT(( noteNumber >= MIDILIB_NoteNumber_Min ) && ( noteNumber <= MIDILIB_NoteNumber_Max ))
#define CHECK_VELOCITY() \
    SMLIB_ASSERT(( velocity >= MIDILIB_Velocity_Min ) && ( velocity <= MIDILIB_Velocity_Max ))
#define CHECK_PRESSURE() \
    SMLIB_ASSERT(( pressure >= MIDILIB_KeyPressure_Min ) && ( pressure <= MIDILIB_Velocity_Max ))

static int fill3(uint8_t data[3], unsigned status, int channelNumber, int first, int second)
{
    data[0] = (uint8_t)(status + (unsigned)channelNumber);
    data[1] = (uint8_t)first;
    data[2] = (uint8_t)second;
    return channelNumber;
}

static int fill2(uint8_t data[2], unsigned status, int channelNumber, int first)
{
    data[0] = (uint8_t)(status + (unsigned)channelNumber);
    data[1] = (uint8_t)first;
    return channelNumber;
}

int midilib_noteOffBuff_init(uint8_t data[3], int channelNumber, int noteNumber, int velocity)
{
    SMLIB_ASSERT(data);
    CHECK_CHANNEL();
    CHECK_NOTE();
    CHECK_VELOCITY();
    return fill3(data, 0x80u, channelNumber, noteNumber, velocity);
}

int midilib_noteOnBuff_init(uint8_t data[3], int channelNumber, int noteNumber, int velocity)
{
    SMLIB_ASSERT(data);
    CHECK_CHANNEL();
    CHECK_NOTE();
    CHECK_VELOCITY();
    return fill3(data, 0x90u, channelNumber, noteNumber, velocity);
}

int midilib_polyKeyPressureBuff_init(uint8_t data[3], int channelNumber, int noteNumber, int pressure)
{
    SMLIB_ASSERT(data);
    CHECK_CHANNEL();
    CHECK_NOTE();
    CHECK_PRESSURE();
    return fill3(data, 0xA0u, channelNumber, noteNumber, pressure);
}

int midilib_controlChangeBuff_init(uint8_t data[3], int channelNumber, int controllerNumber, int value)
{
    SMLIB_ASSERT(data);
    CHECK_CHANNEL();
    SMLIB_ASSERT(( controllerNumber >= MIDILIB_ControllerNumber_Min ) && ( controllerNumber <= MIDILIB_ControllerNumber_Max ));
    SMLIB_ASSERT(( value >= MIDILIB_ControllerValue_Min ) && ( value <= MIDILIB_ControllerValue_Max ));
    return fill3(data, 0xB0u, channelNumber, controllerNumber, value);
}

int midilib_programChangeBuff_init(uint8_t data[2], int channelNumber, int number)
{
    SMLIB_ASSERT(data);
    CHECK_CHANNEL();
    SMLIB_ASSERT(( number >= MIDILIB_ProgramNumber_Min ) && ( number <= MIDILIB_ProgramNumber_Max ));
    return fill2(data, 0xC0u, channelNumber, number);
}

int midilib_channelKeyPressureBuff_init(uint8_t data[2], int channelNumber, int pressure)
{
    SMLIB_ASSERT(data);
    CHECK_CHANNEL();
    CHECK_PRESSURE();
    return fill2(data, 0xD0u, channelNumber, pressure);
}

int midilib_pitchBendData_init(uint8_t data[3], int channelNumber, int msb, int lsb)
{
    SMLIB_ASSERT(data);
    CHECK_CHANNEL();
    SMLIB_ASSERT(( msb >= 0 ) && ( msb <= 0x7F ));
    SMLIB_ASSERT(( lsb >= 0 ) && ( lsb <= 0x7F ));
    return fill3(data, 0xE0u, channelNumber, msb, lsb);
}
