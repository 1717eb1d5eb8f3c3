// A platform file that knows the run.
#include <runtime/run.h>
#include <vector>
