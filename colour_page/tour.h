// The `ovx` tour of the Colour page's model on the station's virtual adapter.
#pragma once

#include <stdio.h>

namespace colour {

// Shows a non-neutral setting on the display, saves it, prints the stored
// values, what loads back and a few ramp entries, then puts the applied ramp
// and the registry values back as they were. 0 when done, 1 when the display
// takes no gamma ramps (nothing is changed then).
int ColourModelTour(FILE* out);

}  // namespace colour
