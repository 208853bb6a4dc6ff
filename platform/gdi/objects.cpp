// Device contexts and their objects: creation, selection, deletion, stock
// objects, saved states, attributes, coordinate mapping and clipping.
#include "gdi/objects.h"

#include <host/station.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <utility>

namespace host::gdi {
namespace {

constexpr int kStockCount = 18;
constexpr int kStockBitmap = kStockCount;  // the 1 x 1 monochrome bitmap of a new memory DC

struct Stock {
  HGDIOBJ handles[kStockCount + 1] = {};
  std::set<HDC> createdDCs;  // CreateDCA's, which DeleteDC removes
};

Stock& S() {
  static Stock stock;
  return stock;
}

void ResetStock() { S() = Stock{}; }

const bool kRegistered = [] {
  RegisterStationHook(31, ResetStock, ResetStock);
  return true;
}();

std::shared_ptr<DrawObject> MakeStock(int index) {
  auto brush = [](UINT style, COLORREF colour) {
    auto b = std::make_shared<BrushObject>();
    b->brush = {style, colour, 0};
    return b;
  };
  auto pen = [](UINT style, COLORREF colour) {
    auto p = std::make_shared<PenObject>();
    p->pen = {style, {1, 0}, colour};
    return p;
  };
  auto font = [](LONG height, LONG weight, const char* face) {
    auto f = std::make_shared<FontObject>();
    f->height = height;
    f->weight = weight;
    f->face = face;
    return f;
  };
  switch (index) {
    case WHITE_BRUSH:
      return brush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH:
      return brush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH:
      return brush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH:
      return brush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH:
      return brush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH:
      return brush(BS_NULL, 0);
    case WHITE_PEN:
      return pen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN:
      return pen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN:
      return pen(PS_NULL, 0);
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
      return font(16, 400, "Fixedsys");
    case ANSI_VAR_FONT:
    case DEFAULT_GUI_FONT:
      return font(-11, 400, "MS Sans Serif");
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
      return font(16, 700, "System");
    case DEFAULT_PALETTE: {
      auto palette = std::make_shared<PaletteObject>();
      auto system = SystemPalette();
      for (int i = 0; i < 20; ++i) {
        const RGBQUAD& q = (*system)[i < 10 ? i : 236 + i];
        palette->entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
        palette->systemIndex.push_back(i < 10 ? i : 236 + i);
      }
      return palette;
    }
    case kStockBitmap: {
      auto bitmap = std::make_shared<BitmapObject>();
      bitmap->surface = MakeSurface(1, 1, 1, false, false, 2);
      return bitmap;
    }
    default:
      return nullptr;
  }
}

bool IsCreatedDC(HDC hdc) { return S().createdDCs.count(hdc) != 0; }

}  // namespace

HGDIOBJ StockObject(int index) {
  GdiGuard guard(GdiLock());
  if (index < 0 || index > kStockCount) return nullptr;
  if (!S().handles[index]) {
    auto object = MakeStock(index);
    if (!object) return nullptr;
    object->stock = true;
    S().handles[index] = AddObject(object);
  }
  return S().handles[index];
}

Selection::Selection(HGDIOBJ handle, std::shared_ptr<DrawObject> object) : handle_(handle), object_(std::move(object)) {
  if (object_) ++object_->selections;
}

Selection& Selection::operator=(const Selection& other) {
  if (this != &other) {
    Selection copy(other);
    std::swap(handle_, copy.handle_);
    std::swap(object_, copy.object_);
  }
  return *this;
}

Selection::~Selection() {
  if (object_) --object_->selections;
}

namespace {
Selection SelectStock(int index) {
  HGDIOBJ handle = StockObject(index);
  return Selection(handle, LookupAs<DrawObject>(handle));
}
}  // namespace

void InitState(DeviceContext& dc, bool resolveWindow) {
  auto state = std::make_shared<DcState>();
  DcAttributes& a = state->now;
  a.pen = SelectStock(BLACK_PEN);
  a.brush = SelectStock(WHITE_BRUSH);
  a.font = SelectStock(SYSTEM_FONT);
  a.palette = SelectStock(DEFAULT_PALETTE);
  if (dc.kind == DcKind::Memory) a.bitmap = SelectStock(kStockBitmap);
  dc.state = state;
  if (resolveWindow) ResolveWindowArea(dc);
}

DcRef LookupDcState(HDC hdc) {
  DcRef ref;
  ref.dc = LookupDC(hdc);
  if (!ref.dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ref;
  }
  if (!ref.dc->state)
    InitState(*ref.dc);
  else
    ResolveWindowArea(*ref.dc);  // follows the window when it moved or was covered since
  ref.state = ref.dc->state.get();
  return ref;
}

std::shared_ptr<Surface> DcRef::surface() const {
  if (dc->kind != DcKind::Memory) return ScreenSurface();
  auto* bitmap = state->now.bitmap.as<BitmapObject>();
  return bitmap ? bitmap->surface : nullptr;
}

Region EffectiveClip(const DcRef& dc) {
  auto surface = dc.surface();
  if (!surface) return Region{};
  Region r = Region::FromRect(surface->Bounds());
  if (dc.state->visible) r = Region::Combine(r, *dc.state->visible, RGN_AND);
  if (dc.a().clip) {
    Region clip = *dc.a().clip;
    clip.Offset(dc.state->origin.x, dc.state->origin.y);
    r = Region::Combine(r, clip, RGN_AND);
  }
  return r;
}

namespace {
LONG Scale(LONG v, LONG num, LONG den) {
  if (den == 0) return v;
  return static_cast<LONG>(std::lround(static_cast<double>(v) * num / den));
}
}  // namespace

POINT ToDevice(const DcAttributes& a, POINT p) {
  if (a.mapMode == MM_TEXT) return {p.x - a.windowOrg.x + a.viewportOrg.x, p.y - a.windowOrg.y + a.viewportOrg.y};
  return {Scale(p.x - a.windowOrg.x, a.viewportExt.cx, a.windowExt.cx) + a.viewportOrg.x,
          Scale(p.y - a.windowOrg.y, a.viewportExt.cy, a.windowExt.cy) + a.viewportOrg.y};
}

POINT ToLogical(const DcAttributes& a, POINT p) {
  if (a.mapMode == MM_TEXT) return {p.x - a.viewportOrg.x + a.windowOrg.x, p.y - a.viewportOrg.y + a.windowOrg.y};
  return {Scale(p.x - a.viewportOrg.x, a.windowExt.cx, a.viewportExt.cx) + a.windowOrg.x,
          Scale(p.y - a.viewportOrg.y, a.windowExt.cy, a.viewportExt.cy) + a.windowOrg.y};
}

POINT ToSurface(const DcRef& dc, int x, int y) {
  POINT p = ToDevice(dc.a(), {x, y});
  return {p.x + dc.state->origin.x, p.y + dc.state->origin.y};
}

RECT RectToSurface(const DcRef& dc, int left, int top, int right, int bottom) {
  POINT a = ToSurface(dc, left, top), b = ToSurface(dc, right, bottom);
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

DWORD ColourToPixel(const DcRef& dc, const Surface& surface, COLORREF colour) {
  if ((colour >> 24) == 0x01) {
    auto* palette = dc.a().palette.as<PaletteObject>();
    size_t index = colour & 0xFFFF;
    if (!palette || palette->entries.empty()) return surface.FromColour(0);
    if (index >= palette->entries.size()) index = 0;
    if (surface.bpp == 8 && surface.colours == SystemPalette() && index < palette->systemIndex.size())
      return static_cast<DWORD>(palette->systemIndex[index]);
    const PALETTEENTRY& e = palette->entries[index];
    return surface.FromColour(RGB(e.peRed, e.peGreen, e.peBlue));
  }
  return surface.FromColour(colour & 0x00FFFFFF);
}

}  // namespace host::gdi

using namespace host::gdi;

namespace {

// Runs `f` on the DC's attributes under the GDI lock; `fail` for a bad handle.
template <class R, class F>
R WithDc(HDC hdc, R fail, F f) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  if (!dc) return fail;
  return f(dc);
}

HDC MakeDC(DcKind kind) {
  auto context = std::make_shared<DeviceContext>();
  context->kind = kind;
  context->window = kind == DcKind::Memory ? nullptr : GetDesktopWindow();
  InitState(*context);
  return static_cast<HDC>(AddObject(context));
}

void FixIsotropic(DcAttributes& a) {
  if (a.mapMode != MM_ISOTROPIC || a.windowExt.cx == 0 || a.windowExt.cy == 0) return;
  double sx = std::fabs(static_cast<double>(a.viewportExt.cx) / a.windowExt.cx);
  double sy = std::fabs(static_cast<double>(a.viewportExt.cy) / a.windowExt.cy);
  auto sign = [](LONG v) { return v < 0 ? -1 : 1; };
  if (sx < sy)
    a.viewportExt.cy = sign(a.viewportExt.cy) * static_cast<LONG>(std::lround(sx * std::abs(a.windowExt.cy)));
  else if (sy < sx)
    a.viewportExt.cx = sign(a.viewportExt.cx) * static_cast<LONG>(std::lround(sy * std::abs(a.windowExt.cx)));
}

// The area a DC can reach, in its device coordinates: the start for IntersectClipRect and ExcludeClipRect.
Region DeviceArea(const DcRef& dc) {
  if (dc.a().clip) return *dc.a().clip;
  Region all = EffectiveClip(dc);
  all.Offset(-dc.state->origin.x, -dc.state->origin.y);
  return all;
}

RECT DeviceRect(const DcAttributes& a, int left, int top, int right, int bottom) {
  POINT p = ToDevice(a, {left, top}), q = ToDevice(a, {right, bottom});
  return {std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
}

int ClipKind(const DcRef& dc) { return EffectiveClip(dc).Kind(); }

int SelectClip(const DcRef& dc, HRGN hrgn) {
  if (!hrgn) {
    dc.a().clip.reset();
    return ClipKind(dc);
  }
  auto region = LookupAs<RegionObject>(hrgn);
  if (!region) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  dc.a().clip = region->region;
  return ClipKind(dc);
}

}  // namespace

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  GdiGuard guard(GdiLock());
  if (hdc && !LookupDC(hdc)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return MakeDC(DcKind::Memory);
}

HDC WINAPI CreateDCA(LPCSTR pwszDriver, LPCSTR pwszDevice, LPCSTR, const DEVMODEA*) {
  GdiGuard guard(GdiLock());
  const char* name = pwszDriver ? pwszDriver : pwszDevice;
  if (!name || (strcasecmp(name, "DISPLAY") != 0 && strcasecmp(name, "\\\\.\\DISPLAY1") != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HDC dc = MakeDC(DcKind::Screen);
  S().createdDCs.insert(dc);
  return dc;
}

BOOL WINAPI DeleteDC(HDC hdc) {
  GdiGuard guard(GdiLock());
  auto dc = LookupDC(hdc);
  if (!dc || (dc->kind != DcKind::Memory && !IsCreatedDC(hdc))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  S().createdDCs.erase(hdc);
  return RemoveObject(hdc) ? TRUE : FALSE;
}

int WINAPI SaveDC(HDC hdc) {
  return WithDc(hdc, 0, [](DcRef& dc) {
    dc.state->saved.push_back(dc.a());
    return static_cast<int>(dc.state->saved.size());
  });
}

BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC) {
  return WithDc(hdc, FALSE, [nSavedDC](DcRef& dc) -> BOOL {
    int count = static_cast<int>(dc.state->saved.size());
    int level = nSavedDC < 0 ? count + nSavedDC + 1 : nSavedDC;
    if (level < 1 || level > count) return FALSE;
    dc.a() = dc.state->saved[level - 1];
    dc.state->saved.resize(level - 1);
    return TRUE;
  });
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  auto object = LookupAs<DrawObject>(h);
  if (!dc || !object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DcAttributes& a = dc.a();
  auto swap = [&](Selection& slot) {
    HGDIOBJ previous = slot.handle();
    slot = Selection(h, object);
    return previous;
  };
  switch (object->Type()) {
    case OBJ_PEN:
      return swap(a.pen);
    case OBJ_BRUSH:
      return swap(a.brush);
    case OBJ_FONT:
      return swap(a.font);
    case OBJ_BITMAP:
      // A bitmap lives in one memory DC at a time.
      if (dc.dc->kind != DcKind::Memory || (!object->stock && object->selections > 0 && a.bitmap.handle() != h))
        return nullptr;
      return swap(a.bitmap);
    case OBJ_REGION:
      return reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(SelectClip(dc, static_cast<HRGN>(h))));
    default:
      return nullptr;  // palettes go through SelectPalette
  }
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  GdiGuard guard(GdiLock());
  auto object = LookupAs<DrawObject>(ho);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock) return TRUE;
  if (object->selections > 0) return FALSE;
  return RemoveObject(ho) ? TRUE : FALSE;
}

HGDIOBJ WINAPI GetStockObject(int i) { return i == kStockBitmap ? nullptr : StockObject(i); }

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  return WithDc(hdc, HGDIOBJ{}, [type](DcRef& dc) -> HGDIOBJ {
    switch (type) {
      case OBJ_PEN:
        return dc.a().pen.handle();
      case OBJ_BRUSH:
        return dc.a().brush.handle();
      case OBJ_FONT:
        return dc.a().font.handle();
      case OBJ_PAL:
        return dc.a().palette.handle();
      case OBJ_BITMAP:
        return dc.a().bitmap.handle();
      default:
        return nullptr;
    }
  });
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  GdiGuard guard(GdiLock());
  if (auto dc = LookupDC(static_cast<HDC>(h))) return dc->kind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
  auto object = LookupAs<DrawObject>(h);
  return object ? object->Type() : 0;
}

int WINAPI GetObjectA(HGDIOBJ h, int c, LPVOID pv) {
  GdiGuard guard(GdiLock());
  auto object = LookupAs<DrawObject>(h);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  auto give = [&](const void* data, int size) {
    if (!pv) return size;
    int n = std::min(c, size);
    if (n <= 0) return 0;
    std::memcpy(pv, data, n);
    return n;
  };
  if (auto* bitmap = dynamic_cast<BitmapObject*>(object.get())) {
    const Surface& s = *bitmap->surface;
    BITMAP bm{0,
              s.width,
              s.height,
              RowBytes(s.width, s.bpp, 2),
              1,
              static_cast<WORD>(s.bpp),
              bitmap->dibSection ? const_cast<BYTE*>(s.storage.data()) : nullptr};
    if (bitmap->dibSection) bm.bmWidthBytes = s.stride;
    return give(&bm, sizeof bm);
  }
  if (auto* pen = dynamic_cast<PenObject*>(object.get())) return give(&pen->pen, sizeof pen->pen);
  if (auto* brush = dynamic_cast<BrushObject*>(object.get())) return give(&brush->brush, sizeof brush->brush);
  if (auto* font = dynamic_cast<FontObject*>(object.get())) {
    LOGFONTA lf{};
    lf.lfHeight = font->height;
    lf.lfWidth = font->width;
    lf.lfWeight = font->weight;
    lf.lfItalic = font->italic;
    lf.lfUnderline = font->underline;
    lf.lfStrikeOut = font->strikeOut;
    std::memcpy(lf.lfFaceName, font->face.data(), std::min<size_t>(font->face.size(), LF_FACESIZE - 1));
    return give(&lf, sizeof lf);
  }
  if (auto* palette = dynamic_cast<PaletteObject*>(object.get())) {
    WORD count = static_cast<WORD>(palette->entries.size());
    return give(&count, sizeof count);
  }
  return 0;
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
  if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto pen = std::make_shared<PenObject>();
  // Styled pens are cosmetic: one pixel wide whatever was asked.
  int width = std::max(cWidth, 1);
  if (iStyle >= PS_DASH && iStyle <= PS_DASHDOTDOT) width = 1;
  pen->pen = {static_cast<UINT>(iStyle), {width, 0}, color};
  return static_cast<HPEN>(AddObject(pen));
}

HPEN WINAPI CreatePenIndirect(const LOGPEN* plpen) {
  if (!plpen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(static_cast<int>(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  auto brush = std::make_shared<BrushObject>();
  brush->brush = {BS_SOLID, color, 0};
  return static_cast<HBRUSH>(AddObject(brush));
}

HBRUSH WINAPI CreateHatchBrush(int iHatch, COLORREF color) {
  if (iHatch < HS_HORIZONTAL || iHatch > HS_DIAGCROSS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto brush = std::make_shared<BrushObject>();
  brush->brush = {BS_HATCHED, color, static_cast<ULONG_PTR>(iHatch)};
  return static_cast<HBRUSH>(AddObject(brush));
}

HBRUSH WINAPI CreatePatternBrush(HBITMAP hbm) {
  GdiGuard guard(GdiLock());
  auto bitmap = LookupAs<BitmapObject>(hbm);
  if (!bitmap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto brush = std::make_shared<BrushObject>();
  brush->brush = {BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(hbm)};
  brush->pattern = std::make_shared<Surface>(*bitmap->surface);  // the brush keeps its own copy
  return static_cast<HBRUSH>(AddObject(brush));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* plbrush) {
  if (!plbrush) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (plbrush->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(plbrush->lbColor);
    case BS_HATCHED:
      return CreateHatchBrush(static_cast<int>(plbrush->lbHatch), plbrush->lbColor);
    case BS_PATTERN:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(plbrush->lbHatch));
    case BS_NULL:
      return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

// ---- Attributes ----

#define GDI_ATTRIBUTE(Type, Name, field, valid)                                                    \
  Type WINAPI Set##Name(HDC hdc, Type value) {                                                     \
    return WithDc(hdc, Type{}, [value](DcRef& dc) -> Type {                                        \
      if (!(valid)) return Type{};                                                                 \
      Type previous = static_cast<Type>(dc.a().field);                                             \
      dc.a().field = value;                                                                        \
      return previous;                                                                             \
    });                                                                                            \
  }                                                                                                \
  Type WINAPI Get##Name(HDC hdc) {                                                                 \
    return WithDc(hdc, Type{}, [](DcRef& dc) -> Type { return static_cast<Type>(dc.a().field); }); \
  }

GDI_ATTRIBUTE(int, ROP2, rop2, value >= R2_BLACK && value <= R2_WHITE)
GDI_ATTRIBUTE(int, BkMode, bkMode, value == TRANSPARENT || value == OPAQUE)
GDI_ATTRIBUTE(int, StretchBltMode, stretchMode, value >= BLACKONWHITE && value <= HALFTONE)
GDI_ATTRIBUTE(int, PolyFillMode, polyFillMode, value == ALTERNATE || value == WINDING)
GDI_ATTRIBUTE(UINT, TextAlign, textAlign, true)
#undef GDI_ATTRIBUTE

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  return WithDc(hdc, COLORREF{CLR_INVALID}, [color](DcRef& dc) { return std::exchange(dc.a().bkColor, color); });
}
COLORREF WINAPI GetBkColor(HDC hdc) {
  return WithDc(hdc, COLORREF{CLR_INVALID}, [](DcRef& dc) { return dc.a().bkColor; });
}
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  return WithDc(hdc, COLORREF{CLR_INVALID}, [color](DcRef& dc) { return std::exchange(dc.a().textColor, color); });
}
COLORREF WINAPI GetTextColor(HDC hdc) {
  return WithDc(hdc, COLORREF{CLR_INVALID}, [](DcRef& dc) { return dc.a().textColor; });
}

// ---- Mapping ----

int WINAPI SetMapMode(HDC hdc, int iMode) {
  return WithDc(hdc, 0, [iMode](DcRef& dc) {
    if (iMode != MM_TEXT && iMode != MM_ISOTROPIC && iMode != MM_ANISOTROPIC) return 0;
    DcAttributes& a = dc.a();
    int previous = a.mapMode;
    a.mapMode = iMode;
    if (iMode == MM_TEXT) a.windowExt = a.viewportExt = {1, 1};
    FixIsotropic(a);
    return previous;
  });
}

int WINAPI GetMapMode(HDC hdc) {
  return WithDc(hdc, 0, [](DcRef& dc) { return dc.a().mapMode; });
}

}  // extern "C"

namespace {
BOOL SetExtent(HDC hdc, int x, int y, LPSIZE old, bool window) {
  return WithDc(hdc, FALSE, [=](DcRef& dc) -> BOOL {
    DcAttributes& a = dc.a();
    SIZE& ext = window ? a.windowExt : a.viewportExt;
    if (old) *old = ext;
    if (a.mapMode != MM_ISOTROPIC && a.mapMode != MM_ANISOTROPIC) return TRUE;  // fixed in the other modes
    if (x == 0 || y == 0) return FALSE;
    ext = {x, y};
    FixIsotropic(a);
    return TRUE;
  });
}
BOOL SetOrigin(HDC hdc, int x, int y, LPPOINT old, bool window) {
  return WithDc(hdc, FALSE, [=](DcRef& dc) -> BOOL {
    POINT& org = window ? dc.a().windowOrg : dc.a().viewportOrg;
    if (old) *old = org;
    org = {x, y};
    return TRUE;
  });
}
template <class T>
BOOL GetField(HDC hdc, T* out, T DcAttributes::*field) {
  if (!out) return FALSE;
  return WithDc(hdc, FALSE, [=](DcRef& dc) -> BOOL {
    *out = dc.a().*field;
    return TRUE;
  });
}
}  // namespace

extern "C" {

BOOL WINAPI SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz) { return SetExtent(hdc, x, y, lpsz, true); }
BOOL WINAPI SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz) { return SetExtent(hdc, x, y, lpsz, false); }
BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetOrigin(hdc, x, y, lppt, true); }
BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return SetOrigin(hdc, x, y, lppt, false); }
BOOL WINAPI GetWindowExtEx(HDC hdc, LPSIZE lpsize) { return GetField(hdc, lpsize, &DcAttributes::windowExt); }
BOOL WINAPI GetViewportExtEx(HDC hdc, LPSIZE lpsize) { return GetField(hdc, lpsize, &DcAttributes::viewportExt); }
BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT lppoint) { return GetField(hdc, lppoint, &DcAttributes::windowOrg); }
BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT lppoint) { return GetField(hdc, lppoint, &DcAttributes::viewportOrg); }
BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT lppt) { return GetField(hdc, lppt, &DcAttributes::brushOrg); }
BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT lppt) { return GetField(hdc, lppt, &DcAttributes::position); }

BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return WithDc(hdc, FALSE, [=](DcRef& dc) -> BOOL {
    if (lppt) *lppt = dc.a().brushOrg;
    dc.a().brushOrg = {x, y};
    return TRUE;
  });
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT lppt, int c) {
  if (!lppt || c < 0) return FALSE;
  return WithDc(hdc, FALSE, [=](DcRef& dc) -> BOOL {
    for (int i = 0; i < c; ++i) lppt[i] = ToDevice(dc.a(), lppt[i]);
    return TRUE;
  });
}

BOOL WINAPI DPtoLP(HDC hdc, LPPOINT lppt, int c) {
  if (!lppt || c < 0) return FALSE;
  return WithDc(hdc, FALSE, [=](DcRef& dc) -> BOOL {
    for (int i = 0; i < c; ++i) lppt[i] = ToLogical(dc.a(), lppt[i]);
    return TRUE;
  });
}

// ---- Clipping ----

int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn) {
  return WithDc(hdc, ERROR, [hrgn](DcRef& dc) { return SelectClip(dc, hrgn); });
}

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return WithDc(hdc, ERROR, [=](DcRef& dc) {
    Region cut = Region::FromRect(DeviceRect(dc.a(), left, top, right, bottom));
    dc.a().clip = Region::Combine(DeviceArea(dc), cut, RGN_AND);
    return ClipKind(dc);
  });
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return WithDc(hdc, ERROR, [=](DcRef& dc) {
    Region cut = Region::FromRect(DeviceRect(dc.a(), left, top, right, bottom));
    dc.a().clip = Region::Combine(DeviceArea(dc), cut, RGN_DIFF);
    return ClipKind(dc);
  });
}

int WINAPI GetClipBox(HDC hdc, LPRECT lprect) {
  if (!lprect) return ERROR;
  return WithDc(hdc, ERROR, [=](DcRef& dc) {
    Region clip = EffectiveClip(dc);
    RECT box = clip.Box();
    POINT a = ToLogical(dc.a(), {box.left - dc.state->origin.x, box.top - dc.state->origin.y});
    POINT b = ToLogical(dc.a(), {box.right - dc.state->origin.x, box.bottom - dc.state->origin.y});
    *lprect = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    return clip.Kind();
  });
}

int WINAPI GetClipRgn(HDC hdc, HRGN hrgn) {
  return WithDc(hdc, -1, [=](DcRef& dc) {
    auto region = LookupAs<RegionObject>(hrgn);
    if (!region) return -1;
    if (!dc.a().clip) return 0;
    region->region = *dc.a().clip;
    return 1;
  });
}

}  // extern "C"
