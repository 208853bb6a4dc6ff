// GDI's objects and a DC's drawing state. Surfaces hold pixels in the layout
// a program sees (DIB sections hand out their storage), so every drawing call
// reads and writes the same bytes GetDIBits and the DIB's pointer show.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gdi/dc.h"

namespace host::gdi {

// One lock for all GDI state: drawing calls are short and programs rarely draw from two threads at once.
std::recursive_mutex& GdiLock();
using GdiGuard = std::lock_guard<std::recursive_mutex>;

// ---- Regions: y-x banded rectangles, kept canonical so equal areas compare equal ----

struct Region {
  std::vector<RECT> rects;  // sorted by top then left; bands never overlap; adjacent equal bands merged

  static Region FromRect(const RECT& r);
  static Region Combine(const Region& a, const Region& b, int mode);  // RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF
  bool Empty() const { return rects.empty(); }
  RECT Box() const;
  int Kind() const;  // NULLREGION, SIMPLEREGION, COMPLEXREGION
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& r) const;
  void Offset(int dx, int dy);
  bool operator==(const Region& other) const;
};

// ---- Surfaces ----

using ColourTable = std::vector<RGBQUAD>;

// A pixel value is what the surface stores: a colour index at 1, 4 and 8 bpp, 5-5-5 or 5-6-5 at 16 bpp,
// 0x00RRGGBB at 24 and 32 bpp.
struct Surface {
  int width = 0, height = 0, bpp = 1;
  bool rgb565 = false;    // 16 bpp only
  int stride = 0;         // bytes per row
  bool bottomUp = false;  // row 0 is the last in memory (bottom-up DIBs)
  bool dib = false;       // a DIB's colours come from its table; a monochrome DDB takes the DC's colours
  std::vector<BYTE> storage;
  std::shared_ptr<ColourTable> colours;  // 1, 4 and 8 bpp; shared with the system palette for screen-compatible ones

  BYTE* Row(int y) { return storage.data() + static_cast<size_t>(bottomUp ? height - 1 - y : y) * stride; }
  const BYTE* Row(int y) const { return const_cast<Surface*>(this)->Row(y); }
  DWORD Get(int x, int y) const;
  void Put(int x, int y, DWORD pixel);
  void FillSpan(int y, int x0, int x1, DWORD pixel);  // [x0, x1), already clipped
  DWORD Mask() const { return bpp >= 32 ? 0x00FFFFFF : bpp == 24 ? 0x00FFFFFF : (1u << bpp) - 1; }
  DWORD FromColour(COLORREF colour) const;  // nearest; a mono surface takes white for light colours
  COLORREF ToColour(DWORD pixel) const;
  RECT Bounds() const { return {0, 0, width, height}; }
};

// rowAlign: 2 for device-dependent bitmaps (GetBitmapBits layout), 4 for DIBs. Null when too large.
std::shared_ptr<Surface> MakeSurface(int width, int height, int bpp, bool rgb565, bool bottomUp, int rowAlign);
int RowBytes(int width, int bpp, int rowAlign);
// The frame buffer of the adapter's desktop; replaced (cleared to black) when the display mode changes.
std::shared_ptr<Surface> ScreenSurface();
// The 8-bpp system palette (256 entries, the 20 static colours at 0-9 and 246-255).
std::shared_ptr<ColourTable> SystemPalette();
int ScreenDepth();

// ---- Objects ----

struct DrawObject : GdiObject {
  bool stock = false;
  std::atomic<int> selections{0};
  virtual DWORD Type() const = 0;
};

struct BitmapObject : DrawObject {
  std::shared_ptr<Surface> surface;
  bool dibSection = false;
  DWORD Type() const override { return OBJ_BITMAP; }
};

struct PenObject : DrawObject {
  LOGPEN pen{};
  DWORD Type() const override { return OBJ_PEN; }
};

struct BrushObject : DrawObject {
  LOGBRUSH brush{};
  std::shared_ptr<Surface> pattern;  // BS_PATTERN: a copy of the bitmap
  DWORD Type() const override { return OBJ_BRUSH; }
};

struct RegionObject : DrawObject {
  Region region;
  DWORD Type() const override { return OBJ_REGION; }
};

struct PaletteObject : DrawObject {
  std::vector<PALETTEENTRY> entries;
  std::vector<int> systemIndex;  // after realisation: the system palette index of each entry
  DWORD Type() const override { return OBJ_PAL; }
};

struct FontObject : DrawObject {
  LONG height = 0, width = 0, weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  std::string face;
  DWORD Type() const override { return OBJ_FONT; }
};

template <class T>
std::shared_ptr<T> LookupAs(HGDIOBJ handle) {
  return std::dynamic_pointer_cast<T>(LookupObject(handle));
}
HGDIOBJ StockObject(int index);

// An object selected into a DC; counts its selections so DeleteObject can refuse a selected one.
class Selection {
 public:
  Selection() = default;
  Selection(HGDIOBJ handle, std::shared_ptr<DrawObject> object);
  Selection(const Selection& other) : Selection(other.handle_, other.object_) {}
  Selection& operator=(const Selection& other);
  ~Selection();
  HGDIOBJ handle() const { return handle_; }
  template <class T>
  T* as() const {
    return dynamic_cast<T*>(object_.get());
  }

 private:
  HGDIOBJ handle_ = nullptr;
  std::shared_ptr<DrawObject> object_;
};

// ---- DC state ----

struct DcAttributes {
  Selection bitmap, pen, brush, font, palette;
  int rop2 = R2_COPYPEN, bkMode = OPAQUE, stretchMode = BLACKONWHITE, polyFillMode = ALTERNATE, mapMode = MM_TEXT;
  COLORREF bkColor = RGB(255, 255, 255), textColor = RGB(0, 0, 0);
  UINT textAlign = TA_LEFT | TA_TOP;
  bool paletteBackground = false;  // SelectPalette's bForceBackground
  POINT windowOrg{}, viewportOrg{}, brushOrg{}, position{};
  SIZE windowExt{1, 1}, viewportExt{1, 1};
  std::optional<Region> clip;  // device coordinates of the DC (before the origin)
};

struct DcState {
  DcAttributes now;
  std::vector<DcAttributes> saved;
  POINT origin{};                 // where the DC's device (0, 0) lies on the surface (window DCs)
  std::optional<Region> visible;  // surface coordinates; none: the whole surface
};

// The DC and its state (made on first use); null with ERROR_INVALID_HANDLE for a bad handle.
struct DcRef {
  std::shared_ptr<DeviceContext> dc;
  DcState* state = nullptr;
  explicit operator bool() const { return state != nullptr; }
  DcAttributes& a() const { return state->now; }
  std::shared_ptr<Surface> surface() const;
};
DcRef LookupDcState(HDC hdc);
void InitState(DeviceContext& dc, bool resolveWindow = true);
void ResolveWindowArea(DeviceContext& dc);  // window_dc.cpp

// Where drawing may reach on the DC's surface: bounds, visible region and clip region.
Region EffectiveClip(const DcRef& dc);
// Logical to device coordinates (device coordinates of the DC, before the origin).
POINT ToDevice(const DcAttributes& a, POINT p);
POINT ToLogical(const DcAttributes& a, POINT p);
// Logical to surface coordinates.
POINT ToSurface(const DcRef& dc, int x, int y);
// A logical rectangle as a normalised surface rectangle.
RECT RectToSurface(const DcRef& dc, int left, int top, int right, int bottom);

// A colour (RGB, PALETTEINDEX or PALETTERGB) as a pixel of the DC's surface.
DWORD ColourToPixel(const DcRef& dc, const Surface& surface, COLORREF colour);

}  // namespace host::gdi
