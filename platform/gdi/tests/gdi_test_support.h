// Painting into a bitmap and reading its pixels back.
#pragma once

#include <host_testing/station_fixture.h>
#include <windows.h>

#include <string>
#include <vector>

namespace host::testing {

// A memory DC holding a 32-bpp top-down DIB section of the given size, cleared to white.
class Canvas {
 public:
  Canvas(int width, int height, int bpp = 32);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  // One character per pixel, rows separated by '\n': '#' black, '.' white, '?' anything else.
  std::string Picture(int left, int top, int right, int bottom) const;
  void Clear(COLORREF colour);

 private:
  HDC dc_;
  HBITMAP bitmap_, old_;
  int width_, height_;
};

BITMAPINFO* DibInfo(std::vector<BYTE>& storage, int width, int height, int bpp, int colours);

}  // namespace host::testing
