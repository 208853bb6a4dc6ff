// Screen pixels and PNG screenshots for the control API.
#include <host/gdi.h>

#include <algorithm>

#include "gdi/objects.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace host::gdi {
namespace {

RECT Clamp(const Surface& s, const RECT& r) {
  return {std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, s.width),
          std::min<LONG>(r.bottom, s.height)};
}

bool WritePng(const Surface& s, RECT area, const std::string& hostPath) {
  area = Clamp(s, area);
  int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return false;
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
  size_t i = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      COLORREF c = s.ToColour(s.Get(x, y));
      rgb[i++] = GetRValue(c);
      rgb[i++] = GetGValue(c);
      rgb[i++] = GetBValue(c);
    }
  return stbi_write_png(hostPath.c_str(), w, h, 3, rgb.data(), w * 3) != 0;
}

}  // namespace

COLORREF ScreenPixel(int x, int y) {
  GdiGuard guard(GdiLock());
  auto s = ScreenSurface();
  if (!s || x < 0 || y < 0 || x >= s->width || y >= s->height) return CLR_INVALID;
  return s->ToColour(s->Get(x, y));
}

std::vector<COLORREF> ScreenPixels(const RECT& area) {
  GdiGuard guard(GdiLock());
  std::vector<COLORREF> out;
  auto s = ScreenSurface();
  if (!s) return out;
  RECT r = Clamp(*s, area);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) out.push_back(s->ToColour(s->Get(x, y)));
  return out;
}

bool SaveScreenshot(const std::string& hostPath) {
  GdiGuard guard(GdiLock());
  auto s = ScreenSurface();
  return s && WritePng(*s, s->Bounds(), hostPath);
}

bool SaveScreenshot(const std::string& hostPath, const RECT& area) {
  GdiGuard guard(GdiLock());
  auto s = ScreenSurface();
  return s && WritePng(*s, area, hostPath);
}

bool SaveSurface(HDC dc, const std::string& hostPath) {
  GdiGuard guard(GdiLock());
  DcRef ref = LookupDcState(dc);
  auto s = ref ? ref.surface() : nullptr;
  return s && WritePng(*s, s->Bounds(), hostPath);
}

}  // namespace host::gdi
