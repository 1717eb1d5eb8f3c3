// A runtime file that reaches up into the window and the control procedures.
#include "controls/procedures.h"
#include "host/fm_contr.h"
#include "platform/engine/query.h"
#include "runtime/value.h"
// #include "host/commented_out.h"
