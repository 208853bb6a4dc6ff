// What the display settings part tells the window manager.
#pragma once

namespace host::user {

// The display changed: the desktop window takes the new size, the work area
// follows it, the cursor is clamped, and every top-level window is sent
// WM_DISPLAYCHANGE (bits per pixel, MAKELPARAM(width, height)).
void OnDisplayChanged(int width, int height, int bitsPerPixel);

}  // namespace host::user
