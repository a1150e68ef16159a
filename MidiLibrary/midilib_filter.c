#include "midilib_filter.h"

#include <stdbool.h>
#include <string.h>

#include "smlib_assert.h"

void midilib_filter_init(midilib_filter *self)
{
    SMLIB_ASSERT(self);
    memset(self, 0, sizeof(*self));
}

void midilib_filter_setThroughSwitch(midilib_filter *self, uint8_t on)
{
    SMLIB_ASSERT(self);
    self->throughSwitch = on;
}

int midilib_filter_setChannelSwitch(midilib_filter *self, int channelNumber, uint8_t on)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(( channelNumber >= MIDILIB_ChannelNumber_Min ) && ( channelNumber <= MIDILIB_ChannelNumber_Max ));
    self->channelSwitches[channelNumber] = on;
    return channelNumber;
}

int midilib_filter_setEventGroupSwitch(midilib_filter *self, int eventGroup, uint8_t on)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(( eventGroup >= MIDILIB_Filter_EventGroup_Min ) && ( eventGroup <= MIDILIB_Filter_EventGroup_Max ));
    self->eventGroupSwitches[eventGroup] = on;
    return eventGroup;
}

int midilib_filter_setEventSwitch(midilib_filter *self, int eventType, uint8_t on)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(( eventType >= MIDILIB_Event_Type_Min ) && ( eventType <= MIDILIB_Event_Type_Max ));
    self->eventSwitches[eventType] = on;
    return eventType;
}

int midilib_filter_setControllerSwitch(midilib_filter *self, int controllerNumber, uint8_t on)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(( controllerNumber >= MIDILIB_ControllerNumber_Min ) && ( controllerNumber <= MIDILIB_ControllerNumber_Max ));
    self->controllerSwitches[controllerNumber] = on;
    return controllerNumber;
}

static bool applyToChannelMessage(const midilib_filter *self, const midilib_event *event)
{
    /* Every rule is evaluated and combined without branching on the type:
     * message kinds arrive in no order a branch predictor could learn.
     * Records built by hand may carry any channel or controller number; only
     * those that have a switch can block. */
    const uint8_t type = event->type;
    const uint8_t channel = event->channel;
    const uint8_t controller = event->controlChange.controllerNumber;
    /* A note-on with velocity 0 counts as a note-off. */
    const uint8_t effectiveType =
        (uint8_t)(type - ((type == MIDILIB_Event_Type_NoteOn) & (event->noteOn.velocity == 0)));
    const bool groupBlocked = self->eventGroupSwitches[MIDILIB_Filter_EventGroup_ChannelMessage] != 0;
    const bool channelBlocked =
        (channel <= MIDILIB_ChannelNumber_Max) & (self->channelSwitches[channel & MIDILIB_ChannelNumber_Max] != 0);
    const bool typeBlocked = self->eventSwitches[effectiveType] != 0;
    const bool controllerBlocked = (type == MIDILIB_Event_Type_ControlChange)
        & (controller <= MIDILIB_ControllerNumber_Max)
        & (self->controllerSwitches[controller & MIDILIB_ControllerNumber_Max] != 0);
    return groupBlocked | channelBlocked | typeBlocked | controllerBlocked;
}

int midilib_filter_apply(const midilib_filter *self, const midilib_event *event)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(event);
    if (self->throughSwitch || event->type > MIDILIB_Event_Type_Max) {
        return -1;
    }
    if (event->type <= MIDILIB_Event_Type_PitchBend) {
        return applyToChannelMessage(self, event) ? -1 : 0;
    }
    int group = MIDILIB_Filter_EventGroup_RealTime;
    if (event->type == MIDILIB_Event_Type_SystemExclusive) {
        group = MIDILIB_Filter_EventGroup_SystemExclusive;
    } else if (event->type <= MIDILIB_Event_Type_TuneRequest) {
        group = MIDILIB_Filter_EventGroup_SystemCommon;
    }
    return self->eventGroupSwitches[group] || self->eventSwitches[event->type] ? -1 : 0;
}
