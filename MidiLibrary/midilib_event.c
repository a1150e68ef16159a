#include "midilib_event.h"

#include <string.h>

#include "midilib_messageBuilders.h"
#include "midilib_status.h"
#include "midilib_uint14.h"
#include "smlib_assert.h"

int midilib_dataToEvent(const void *bytes, size_t length, midilib_event *event)
{
    SMLIB_ASSERT(event);
    if (bytes == NULL || length == 0) {
        return -1;
    }
    const uint8_t *message = (const uint8_t *)bytes;
    const uint8_t status = message[0];
    if (midilib_status_isChannelMessage(status)) {
        return midilib_channelMessageToEvent(message, length, event);
    }
    switch (status) {
    case 0xF0:
        if (length > MIDILIB_Message_SizeMax) {
            return -1;
        }
        event->type = MIDILIB_Event_Type_SystemExclusive;
        memcpy(event->systemExclusive.data, message, length);
        event->systemExclusive.size = length;
        break;
    case 0xF1:
        if (length != 2) {
            return -1;
        }
        event->type = MIDILIB_Event_Type_Mtc;
        event->mtc.data = message[1];
        break;
    case 0xF2:
        if (length != 3) {
            return -1;
        }
        event->type = MIDILIB_Event_Type_SongPositionPointer;
        event->songPositionPointer.value = midilib_uint14_make(message[1], message[2]);
        break;
    case 0xF3:
        if (length != 2) {
            return -1;
        }
        event->type = MIDILIB_Event_Type_SongSelect;
        event->songSelect.number = message[1];
        break;
    case 0xF6:
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
    case 0xFF:
        if (length != 1) {
            return -1;
        }
        if (status == 0xF6) {
            event->type = MIDILIB_Event_Type_TuneRequest;
        } else if (status == 0xF8) {
            event->type = MIDILIB_Event_Type_TimingClock;
        } else {
            /* 0xFA start, 0xFB continue, 0xFC stop, 0xFE active sensing, 0xFF reset. */
            static const uint8_t RealTimeTypes[6] = {
                MIDILIB_Event_Type_Start, MIDILIB_Event_Type_Continue, MIDILIB_Event_Type_Stop,
                0, MIDILIB_Event_Type_ActiveSensing, MIDILIB_Event_Type_SystemReset
            };
            event->type = RealTimeTypes[status - 0xFAu];
        }
        break;
    default:
        return -1;
    }
    event->channel = MIDILIB_NoChannel;
    return 0;
}

static void writeBytes(midilib_data *data, const uint8_t *bytes, size_t size)
{
    midilib_data_init(data, bytes, 1, size);
}

static void writeStatus(midilib_data *data, uint8_t status)
{
    writeBytes(data, &status, 1);
}

static void noteOff_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    uint8_t bytes[3];
    midilib_noteOffBuff_init(bytes, event->channel, event->noteOff.noteNumber, event->noteOff.velocity);
    writeBytes(data, bytes, sizeof(bytes));
}

static void noteOn_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    uint8_t bytes[3];
    midilib_noteOnBuff_init(bytes, event->channel, event->noteOn.noteNumber, event->noteOn.velocity);
    writeBytes(data, bytes, sizeof(bytes));
}

static void polyKeyPressure_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    uint8_t bytes[3];
    midilib_polyKeyPressureBuff_init(bytes, event->channel, event->polyKeyPressure.noteNumber,
                                     event->polyKeyPressure.pressure);
    writeBytes(data, bytes, sizeof(bytes));
}

static void contolChange_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    uint8_t bytes[3];
    midilib_controlChangeBuff_init(bytes, event->channel, event->controlChange.controllerNumber,
                                   event->controlChange.value);
    writeBytes(data, bytes, sizeof(bytes));
}

static void programChange_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    uint8_t bytes[2];
    midilib_programChangeBuff_init(bytes, event->channel, event->programChange.number);
    writeBytes(data, bytes, sizeof(bytes));
}

static void channelKeyPressure_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    uint8_t bytes[2];
    midilib_channelKeyPressureBuff_init(bytes, event->channel, event->channelKeyPressure.pressure);
    writeBytes(data, bytes, sizeof(bytes));
}

static void pitchBend_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    uint8_t bytes[3];
    midilib_pitchBendData_init(bytes, event->channel, midilib_uint14_msb(event->pitchBend.value),
                               midilib_uint14_lsb(event->pitchBend.value));
    writeBytes(data, bytes, sizeof(bytes));
}

static void systemExclusive_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    writeBytes(data, event->systemExclusive.data, event->systemExclusive.size);
}

static void mtc_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    const uint8_t bytes[2] = { 0xF1, event->mtc.data };
    writeBytes(data, bytes, sizeof(bytes));
}

static void songPositionPointer_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    const uint8_t bytes[3] = { 0xF2, (uint8_t)midilib_uint14_msb(event->songPositionPointer.value),
                               (uint8_t)midilib_uint14_lsb(event->songPositionPointer.value) };
    writeBytes(data, bytes, sizeof(bytes));
}

static void songSelect_toData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(data);
    const uint8_t bytes[2] = { 0xF3, event->songSelect.number };
    writeBytes(data, bytes, sizeof(bytes));
}

static void tuneRequest_toData(const midilib_event *event, midilib_data *data)
{
    (void)event;
    SMLIB_ASSERT(data);
    writeStatus(data, 0xF6);
}

static void timingClock_toData(const midilib_event *event, midilib_data *data)
{
    (void)event;
    SMLIB_ASSERT(data);
    writeStatus(data, 0xF8);
}

static void start_toData(const midilib_event *event, midilib_data *data)
{
    (void)event;
    SMLIB_ASSERT(data);
    writeStatus(data, 0xFA);
}

static void continue_toData(const midilib_event *event, midilib_data *data)
{
    (void)event;
    SMLIB_ASSERT(data);
    writeStatus(data, 0xFB);
}

static void stop_toData(const midilib_event *event, midilib_data *data)
{
    (void)event;
    SMLIB_ASSERT(data);
    writeStatus(data, 0xFC);
}

static void activeSensing_toData(const midilib_event *event, midilib_data *data)
{
    (void)event;
    SMLIB_ASSERT(data);
    writeStatus(data, 0xFE);
}

static void systemReset_toData(const midilib_event *event, midilib_data *data)
{
    (void)event;
    SMLIB_ASSERT(data);
    writeStatus(data, 0xFF);
}

typedef void (*ToDataFunction)(const midilib_event *event, midilib_data *data);

/* Indexed by event type. */
static const ToDataFunction ToDataFunctions[MIDILIB_Event_Type_Max + 1] = {
    noteOff_toData,
    noteOn_toData,
    polyKeyPressure_toData,
    contolChange_toData,
    programChange_toData,
    channelKeyPressure_toData,
    pitchBend_toData,
    systemExclusive_toData,
    mtc_toData,
    songPositionPointer_toData,
    songSelect_toData,
    tuneRequest_toData,
    timingClock_toData,
    start_toData,
    continue_toData,
    stop_toData,
    activeSensing_toData,
    systemReset_toData,
};

void midilib_eventToData(const midilib_event *event, midilib_data *data)
{
    SMLIB_ASSERT(event);
    if (event->type > MIDILIB_Event_Type_Max) {
        SMLIB_ASSERT(0);
    }
    ToDataFunctions[event->type](event, data);
}
