// Window DCs: the screen seen through a window, for the window manager.
#include "gdi/window_dc.h"

#include <host/station.h>

#include <map>

#include "gdi/objects.h"

namespace host::gdi {
namespace {

struct WindowDcs {
  WindowAreaResolver resolver;
  std::map<int, HGDIOBJ> sysBrushes;
};

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

}  // namespace

HDC CreateWindowDC(HWND hwnd, POINT origin, const std::vector<RECT>& visible) {
  GdiGuard guard(GdiLock());
  auto context = std::make_shared<DeviceContext>();
  context->kind = DcKind::Window;
  context->window = hwnd;
  InitState(*context, false);
  context->state->origin = origin;
  context->state->visible = RegionOf(visible);
  return static_cast<HDC>(AddObject(context));
}

bool UpdateWindowDC(HDC dc, POINT origin, const std::vector<RECT>& visible) {
  GdiGuard guard(GdiLock());
  DcRef ref = LookupDcState(dc);
  if (!ref || ref.dc->kind != DcKind::Window) return false;
  ref.state->origin = origin;
  ref.state->visible = RegionOf(visible);
  return true;
}

bool DeleteWindowDC(HDC dc) {
  GdiGuard guard(GdiLock());
  auto context = LookupDC(dc);
  if (!context || context->kind != DcKind::Window) return false;
  return RemoveObject(dc);
}

void SetWindowAreaResolver(WindowAreaResolver resolver) {
  GdiGuard guard(GdiLock());
  W().resolver = std::move(resolver);
}

// Called when a window DC made elsewhere first draws.
void ResolveWindowArea(DeviceContext& dc) {
  if (dc.kind != DcKind::Window || !W().resolver || !dc.state) return;
  POINT origin{};
  std::vector<RECT> visible;
  if (!W().resolver(dc.window, &origin, &visible)) return;
  dc.state->origin = origin;
  dc.state->visible = RegionOf(visible);
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
