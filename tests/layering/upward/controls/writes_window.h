// A control procedure that writes through the window, by a relative path.
#pragma once
#include "../host/fm_contr.h"
#include "runtime/run.h"
