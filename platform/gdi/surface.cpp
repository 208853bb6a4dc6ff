// Pixel storage: bitmaps of every depth, the screen's frame buffer and the
// 8-bpp system palette.
#include <host/adapter.h>
#include <host/station.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "gdi/objects.h"

namespace host::gdi {
namespace {

struct ScreenState {
  std::shared_ptr<Surface> surface;
  std::shared_ptr<ColourTable> palette;
};

ScreenState& Screen() {
  static ScreenState state;
  return state;
}

// The 20 static colours: 0-9 and 246-255 of the system palette.
constexpr BYTE kStatic[20][3] = {
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},     {128, 0, 128},   {0, 128, 128},
    {192, 192, 192}, {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
    {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

std::shared_ptr<ColourTable> DefaultSystemPalette() {
  auto table = std::make_shared<ColourTable>(256, RGBQUAD{0, 0, 0, 0});
  for (int i = 0; i < 20; ++i) {
    RGBQUAD& q = (*table)[i < 10 ? i : 236 + i];
    q.rgbRed = kStatic[i][0];
    q.rgbGreen = kStatic[i][1];
    q.rgbBlue = kStatic[i][2];
  }
  return table;
}

int Expand5(DWORD v) { return static_cast<int>((v << 3) | (v >> 2)); }
int Expand6(DWORD v) { return static_cast<int>((v << 2) | (v >> 4)); }

void Reset() {
  Screen().surface.reset();
  Screen().palette.reset();
}

void Boot() {
  Reset();
  host::adapter::AddListener([](host::adapter::Event event) {
    if (event != host::adapter::Event::ModeChanged) return;
    host::adapter::State s = host::adapter::CurrentState();
    GdiGuard guard(GdiLock());
    // A zoom or display-size change keeps the desktop's frame buffer; a new desktop or depth replaces it
    // (remade at the new size and depth on next use).
    auto& surface = Screen().surface;
    if (surface && (surface->width != s.desktopWidth || surface->height != s.desktopHeight ||
                    surface->bpp != s.bitsPerPixel))
      surface.reset();
  });
}

const bool kRegistered = [] {
  RegisterStationHook(31, Boot, Reset);
  return true;
}();

}  // namespace

std::recursive_mutex& GdiLock() {
  static std::recursive_mutex lock;
  return lock;
}

DWORD Surface::Get(int x, int y) const {
  const BYTE* row = Row(y);
  switch (bpp) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8:
      return row[x];
    case 16:
      return row[2 * x] | (row[2 * x + 1] << 8);
    case 24:
      return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
    default: {
      DWORD v;
      std::memcpy(&v, row + 4 * x, 4);
      return v & 0x00FFFFFF;
    }
  }
}

void Surface::Put(int x, int y, DWORD pixel) {
  BYTE* row = Row(y);
  switch (bpp) {
    case 1: {
      BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
      row[x >> 3] = (pixel & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit;
      break;
    }
    case 4:
      row[x >> 1] = (x & 1) ? (row[x >> 1] & 0xF0) | (pixel & 0x0F) : (row[x >> 1] & 0x0F) | ((pixel & 0x0F) << 4);
      break;
    case 8:
      row[x] = static_cast<BYTE>(pixel);
      break;
    case 16:
      row[2 * x] = static_cast<BYTE>(pixel);
      row[2 * x + 1] = static_cast<BYTE>(pixel >> 8);
      break;
    case 24:
      row[3 * x] = static_cast<BYTE>(pixel);
      row[3 * x + 1] = static_cast<BYTE>(pixel >> 8);
      row[3 * x + 2] = static_cast<BYTE>(pixel >> 16);
      break;
    default: {
      DWORD v = pixel & 0x00FFFFFF;
      std::memcpy(row + 4 * x, &v, 4);
    }
  }
}

void Surface::FillSpan(int y, int x0, int x1, DWORD pixel) {
  if (x0 >= x1) return;
  BYTE* row = Row(y);
  switch (bpp) {
    case 8:
      std::memset(row + x0, static_cast<int>(pixel & 0xFF), x1 - x0);
      break;
    case 16:
      std::fill_n(reinterpret_cast<WORD*>(row) + x0, x1 - x0, static_cast<WORD>(pixel));
      break;
    case 32:
      std::fill_n(reinterpret_cast<DWORD*>(row) + x0, x1 - x0, pixel & 0x00FFFFFF);
      break;
    default:
      for (int x = x0; x < x1; ++x) Put(x, y, pixel);
  }
}

DWORD Surface::FromColour(COLORREF colour) const {
  int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  switch (bpp) {
    case 16:
      return rgb565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3) : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case 24:
    case 32:
      return (r << 16) | (g << 8) | b;
    default:
      break;
  }
  if (!colours || colours->empty()) return (r + g + b) >= 384 ? Mask() : 0;
  DWORD best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  int count = std::min<int>(static_cast<int>(colours->size()), 1 << bpp);
  for (int i = 0; i < count; ++i) {
    const RGBQUAD& q = (*colours)[i];
    int dr = q.rgbRed - r, dg = q.rgbGreen - g, db = q.rgbBlue - b;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<DWORD>(i);
      if (distance == 0) break;
    }
  }
  return best;
}

COLORREF Surface::ToColour(DWORD pixel) const {
  switch (bpp) {
    case 16:
      if (rgb565) return RGB(Expand5((pixel >> 11) & 31), Expand6((pixel >> 5) & 63), Expand5(pixel & 31));
      return RGB(Expand5((pixel >> 10) & 31), Expand5((pixel >> 5) & 31), Expand5(pixel & 31));
    case 24:
    case 32:
      return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    default:
      break;
  }
  if (!colours || pixel >= colours->size()) return (pixel & 1) ? RGB(255, 255, 255) : RGB(0, 0, 0);
  const RGBQUAD& q = (*colours)[pixel];
  return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

int RowBytes(int width, int bpp, int rowAlign) {
  int bits = rowAlign * 8;
  return static_cast<int>((static_cast<long long>(width) * bpp + bits - 1) / bits * rowAlign);
}

std::shared_ptr<Surface> MakeSurface(int width, int height, int bpp, bool rgb565, bool bottomUp, int rowAlign) {
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return nullptr;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
  long long bytes = static_cast<long long>(RowBytes(width, bpp, rowAlign)) * height;
  if (bytes > (256ll << 20)) return nullptr;  // more than any bitmap of the system needs
  auto s = std::make_shared<Surface>();
  s->width = width;
  s->height = height;
  s->bpp = bpp;
  s->rgb565 = rgb565 && bpp == 16;
  s->bottomUp = bottomUp;
  s->stride = RowBytes(width, bpp, rowAlign);
  s->storage.assign(static_cast<size_t>(bytes), 0);
  if (bpp == 1) s->colours = std::make_shared<ColourTable>(ColourTable{{0, 0, 0, 0}, {255, 255, 255, 0}});
  return s;
}

std::shared_ptr<ColourTable> SystemPalette() {
  GdiGuard guard(GdiLock());
  if (!Screen().palette) Screen().palette = DefaultSystemPalette();
  return Screen().palette;
}

int ScreenDepth() { return host::adapter::CurrentState().bitsPerPixel; }

std::shared_ptr<Surface> ScreenSurface() {
  GdiGuard guard(GdiLock());
  if (!Screen().surface) {
    host::adapter::State s = host::adapter::CurrentState();
    Screen().surface = MakeSurface(s.desktopWidth, s.desktopHeight, s.bitsPerPixel, true, false, 4);
    if (Screen().surface && s.bitsPerPixel == 8) Screen().surface->colours = SystemPalette();
  }
  return Screen().surface;
}

}  // namespace host::gdi
