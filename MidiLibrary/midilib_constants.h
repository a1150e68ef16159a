#ifndef MIDILIB_CONSTANTS_H
#define MIDILIB_CONSTANTS_H

#ifdef __cplusplus
extern "C" {
#endif

/* Inclusive value ranges; argument checks name these constants. */
enum {
    MIDILIB_ChannelNumber_Min = 0,
    MIDILIB_ChannelNumber_Max = 15,
    MIDILIB_NoteNumber_Min = 0,
    MIDILIB_NoteNumber_Max = 127,
    MIDILIB_Velocity_Min = 0,
    MIDILIB_Velocity_Max = 127,
    MIDILIB_KeyPressure_Min = 0,
    MIDILIB_ControllerNumber_Min = 0,
    MIDILIB_ControllerNumber_Max = 127,
    MIDILIB_ControllerValue_Min = 0,
    MIDILIB_ControllerValue_Max = 127,
    MIDILIB_ProgramNumber_Min = 0,
    MIDILIB_ProgramNumber_Max = 127,
    MIDILIB_Event_Type_Min = 0,
    MIDILIB_Event_Type_Max = 17,
    MIDILIB_Filter_EventGroup_Min = 0,
    MIDILIB_Filter_EventGroup_Max = 3,
    /* Tempo in tenths of a beat per minute. */
    MIDILIB_Tempo_Min = 1,
    MIDILIB_Tempo_Max = 3000
};

/* Largest message, System Exclusive from 0xF0 through 0xF7 inclusive. */
enum { MIDILIB_Message_SizeMax = 4096 };

/* Value returned for the channel of a byte that has none. */
enum { MIDILIB_NoChannel = 255 };

#ifdef __cplusplus
}
#endif

#endif
