// Window DCs: the screen seen through a window, for the window manager.
#include "gdi/window_dc.h"

#include <host/station.h>

#include <atomic>
#include <map>

#include "gdi/objects.h"

namespace host::gdi {
namespace {

struct WindowDcs {
  WindowAreaResolver resolver;
  std::map<int, HGDIOBJ> sysBrushes;
};

std::atomic<unsigned> areaGeneration{1};

WindowDcs& W() {
  static WindowDcs state;
  return state;
}

void Reset() {
  GdiGuard guard(GdiLock());
  W().sysBrushes.clear();  // the handle table is emptied at boot and shutdown
}

const bool kRegistered = [] {
  RegisterStationHook(31, Reset, Reset);
  return true;
}();

Region RegionOf(const std::vector<RECT>& rects) {
  Region region;
  for (const RECT& r : rects) region = Region::Combine(region, Region::FromRect(r), RGN_OR);
  return region;
}

void ApplyArea(DeviceContext& dc, POINT origin, const std::vector<RECT>& visible) {
  dc.state->origin = origin;
  Region region = RegionOf(visible);
  if (dc.hasPaintRect) {
    RECT paint = dc.paintRect;
    OffsetRect(&paint, origin.x, origin.y);
    region = Region::Combine(region, Region::FromRect(paint), RGN_AND);
  }
  dc.state->visible = region;
}

}  // namespace

HDC CreateWindowDC(HWND hwnd, POINT origin, const std::vector<RECT>& visible, bool wholeWindow) {
  GdiGuard guard(GdiLock());
  auto context = std::make_shared<DeviceContext>();
  context->kind = DcKind::Window;
  context->window = hwnd;
  context->wholeWindow = wholeWindow;
  InitState(*context, false);
  ApplyArea(*context, origin, visible);
  return static_cast<HDC>(AddObject(context));
}

bool UpdateWindowDC(HDC dc, POINT origin, const std::vector<RECT>& visible) {
  GdiGuard guard(GdiLock());
  DcRef ref = LookupDcState(dc);
  if (!ref || ref.dc->kind != DcKind::Window) return false;
  ApplyArea(*ref.dc, origin, visible);
  ref.dc->areaGeneration = areaGeneration.load();
  return true;
}

bool SetWindowDCPaintRect(HDC dc, const RECT* paint) {
  GdiGuard guard(GdiLock());
  DcRef ref = LookupDcState(dc);
  if (!ref || ref.dc->kind != DcKind::Window) return false;
  ref.dc->hasPaintRect = paint != nullptr;
  if (paint) ref.dc->paintRect = *paint;
  ref.dc->areaGeneration = 0;  // the clip is taken again at the next drawing call
  return true;
}

bool DeleteWindowDC(HDC dc) {
  auto context = LookupDC(dc);
  if (!context || context->kind == DcKind::Memory) return false;
  return RemoveObject(dc);
}

HDC CreateScreenDC() {
  auto context = std::make_shared<DeviceContext>();
  context->kind = DcKind::Screen;
  context->window = GetDesktopWindow();
  return static_cast<HDC>(AddObject(context));
}

bool DescribeDisplayDC(HDC dc, bool* screen, HWND* window) {
  auto context = LookupDC(dc);
  if (!context || context->kind == DcKind::Memory) return false;
  if (screen) *screen = context->kind == DcKind::Screen;
  if (window) *window = context->window;
  return true;
}

void WindowAreasChanged() { ++areaGeneration; }

void SetWindowAreaResolver(WindowAreaResolver resolver) {
  GdiGuard guard(GdiLock());
  W().resolver = std::move(resolver);
}

// Called under the GDI lock whenever a window DC is about to be used.
void ResolveWindowArea(DeviceContext& dc) {
  if (dc.kind != DcKind::Window || !W().resolver || !dc.state) return;
  unsigned generation = areaGeneration.load();
  if (dc.areaGeneration == generation) return;
  POINT origin{};
  std::vector<RECT> visible;
  if (!W().resolver(dc.window, dc.wholeWindow, &origin, &visible)) return;
  dc.areaGeneration = generation;
  ApplyArea(dc, origin, visible);
}

HBRUSH SysColorBrush(int index) {
  GdiGuard guard(GdiLock());
  if (index < 0 || index > COLOR_INFOBK) return nullptr;
  COLORREF colour = GetSysColor(index);
  auto found = W().sysBrushes.find(index);
  if (found != W().sysBrushes.end()) {
    if (auto brush = LookupAs<BrushObject>(found->second)) {
      brush->brush.lbColor = colour;
      return static_cast<HBRUSH>(found->second);
    }
  }
  auto brush = std::make_shared<BrushObject>();
  brush->brush = {BS_SOLID, colour, 0};
  brush->stock = true;
  HGDIOBJ handle = AddObject(brush);
  W().sysBrushes[index] = handle;
  return static_cast<HBRUSH>(handle);
}

}  // namespace host::gdi
