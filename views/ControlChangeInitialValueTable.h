#pragma once

#include "services/ControlChangeNameList.h"

// The value a control change view's dial starts with, indexed by controller
// number: the controller's usual resting value.
extern const unsigned char ControlChangeInitialValueTable[ControlChangeCount];
