// The `ovx tour` page about the adapter: what the utilities see of it,
// asked through the driver escape exactly as they ask.
#pragma once

#include <stdio.h>

namespace driver {

void PrintAdapterTour(FILE* out);

}  // namespace driver
