#include "gdi/tests/gdi_test_support.h"

#include <cstring>

namespace host::testing {

BITMAPINFO* DibInfo(std::vector<BYTE>& storage, int width, int height, int bpp, int colours) {
  storage.assign(sizeof(BITMAPINFOHEADER) + 4 * 256, 0);
  auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = height;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = static_cast<WORD>(bpp);
  info->bmiHeader.biCompression = BI_RGB;
  info->bmiHeader.biClrUsed = static_cast<DWORD>(colours);
  return info;
}

Canvas::Canvas(int width, int height, int bpp) : width_(width), height_(height) {
  std::vector<BYTE> storage;
  BITMAPINFO* info = DibInfo(storage, width, -height, bpp, 0);
  if (bpp <= 8) {
    // A grey ramp with black first and white last.
    int n = 1 << bpp;
    for (int i = 0; i < n; ++i) {
      BYTE v = static_cast<BYTE>(i * 255 / (n - 1));
      info->bmiColors[i] = {v, v, v, 0};
    }
  }
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, info, DIB_RGB_COLORS, &bits, nullptr, 0);
  old_ = static_cast<HBITMAP>(SelectObject(dc_, bitmap_));
  Clear(RGB(255, 255, 255));
}

Canvas::~Canvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void Canvas::Clear(COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, width_, height_};
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

std::string Canvas::Picture(int left, int top, int right, int bottom) const {
  std::string out;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      COLORREF c = At(x, y);
      out += c == RGB(0, 0, 0) ? '#' : c == RGB(255, 255, 255) ? '.' : '?';
    }
    out += '\n';
  }
  return out;
}

}  // namespace host::testing
