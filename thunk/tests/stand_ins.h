// BitBlt, ScreenToClient and MessageBoxA as this test program provides them
// to hwpl32 (the module resolves them from the program): a screen of visible
// rectangles behind one window, and a record of what was asked.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace stand_ins {

struct Blit {
  HDC dc;
  int x, y, width, height;
  HDC source;
  DWORD rop;
  bool captured;  // handed to the clip-rectangle capture instead of drawn
};

struct Box {
  HWND owner;
  std::string text, caption;
  UINT type;
};

struct Screen {
  POINT clientOrigin = {100, 50};                    // screen position of the window's client area
  std::vector<RECT> visible = {{0, 0, 1280, 1024}};  // the window's visible parts, screen coordinates
  std::vector<Blit> blits;
  std::vector<Box> boxes;
};

Screen& TheScreen();
void Reset();

}  // namespace stand_ins
