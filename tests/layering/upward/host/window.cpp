// The host may include every layer below it.
#include "controls/procedure_table.h"
#include "runtime/run.h"
