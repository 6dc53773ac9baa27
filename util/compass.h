// Naming a wind direction by one of the 16 points of the compass. The function lives
// in core/ because the report search names the direction of every row without Qt.
#pragma once

#include "core/compass.h"
