#ifndef MIDILIB_FILTER_H
#define MIDILIB_FILTER_H

#include <stdint.h>

#include "midilib_constants.h"
#include "midilib_event.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Event groups of the filter. */
enum {
    MIDILIB_Filter_EventGroup_ChannelMessage = 0,
    MIDILIB_Filter_EventGroup_SystemCommon = 1,
    MIDILIB_Filter_EventGroup_RealTime = 2,
    MIDILIB_Filter_EventGroup_SystemExclusive = 3
};

/* On/off switches (0 off, anything else on); a switch that is on blocks. */
typedef struct midilib_filter {
    uint8_t throughSwitch;
    uint8_t channelSwitches[MIDILIB_ChannelNumber_Max + 1];
    uint8_t eventGroupSwitches[MIDILIB_Filter_EventGroup_Max + 1];
    uint8_t eventSwitches[MIDILIB_Event_Type_Max + 1];
    uint8_t controllerSwitches[MIDILIB_ControllerNumber_Max + 1];
} midilib_filter;

/* Every switch off: everything passes. */
void midilib_filter_init(midilib_filter *self);
/* Blocks everything while on. */
void midilib_filter_setThroughSwitch(midilib_filter *self, uint8_t on);
/* The setters return the index they were given. */
int midilib_filter_setChannelSwitch(midilib_filter *self, int channelNumber, uint8_t on);
int midilib_filter_setEventGroupSwitch(midilib_filter *self, int eventGroup, uint8_t on);
int midilib_filter_setEventSwitch(midilib_filter *self, int eventType, uint8_t on);
int midilib_filter_setControllerSwitch(midilib_filter *self, int controllerNumber, uint8_t on);
/* 0 when the event passes, -1 when it is blocked. */
int midilib_filter_apply(const midilib_filter *self, const midilib_event *event);

#ifdef __cplusplus
}
#endif

#endif
