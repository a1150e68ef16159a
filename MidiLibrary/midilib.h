#ifndef MIDILIB_H
#define MIDILIB_H

/* MIDI messages on caller memory; nothing here allocates. */

#include "midilib_constants.h"
#include "midilib_data.h"
#include "midilib_event.h"
#include "midilib_filter.h"
#include "midilib_messageBuilders.h"
#include "midilib_outputChannel.h"
#include "midilib_outputPort.h"
#include "midilib_parser.h"
#include "midilib_status.h"
#include "midilib_timingClockGenerator.h"
#include "midilib_uint14.h"

#endif
