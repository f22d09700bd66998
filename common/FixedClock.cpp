#include "common/FixedClock.h"
