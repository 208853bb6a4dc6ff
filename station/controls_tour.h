// The `ovx tour` page about the host's common controls: a window holding one
// of each, shown on the station's screen and saved as a screenshot.
#pragma once

#include <cstdio>
#include <string>

namespace ovx {

// Shows the window, writes its screenshot to `pngPath` and lists what it holds; 0 on success.
int ControlsTour(const std::string& pngPath, std::FILE* out);

}  // namespace ovx
