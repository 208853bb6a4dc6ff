// The monitor database of the Monitor page: the sectioned text engine over
// OVX.MON, the monitor tree, the OVX.MON reader and writer, and OVX.BIN.
#pragma once

#include "monitor_cache.h"
#include "monitor_text.h"
#include "monitor_tree.h"
#include "section_text.h"
