// GDI's objects: one handle table for device contexts (and, as GDI grows,
// bitmaps, pens, brushes, regions, palettes). An HDC names a DeviceContext that
// knows what it draws on.
#pragma once

#include <windows.h>

#include <memory>

namespace host::gdi {

struct GdiObject {
  virtual ~GdiObject() = default;
};

struct DcState;  // drawing state (gdi/objects.h), made when the DC first draws

enum class DcKind {
  Screen,  // GetDC(NULL) / GetDC(desktop window): the whole screen
  Window,  // GetDC(window): the screen, seen through a window
  Memory,  // CreateCompatibleDC: a bitmap, not the screen
};

struct DeviceContext : GdiObject {
  DcKind kind = DcKind::Screen;
  HWND window = nullptr;  // the window it was taken for (Screen: the desktop window)
  // Window DCs: the whole window (GetWindowDC) or its client area; BeginPaint's rectangle (client
  // coordinates) when the DC paints; the window-area generation its origin and clip were taken at.
  bool wholeWindow = false;
  bool hasPaintRect = false;
  RECT paintRect{};
  unsigned areaGeneration = 0;
  // Whether requests reach the display device (escapes, gamma, capabilities).
  bool OnScreen() const { return kind != DcKind::Memory; }
  std::shared_ptr<DcState> state;
};

// Handles are never reused within a station, so a stale one is refused.
HGDIOBJ AddObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle);
template <class T>
std::shared_ptr<T> LookupObjectAs(HGDIOBJ handle) {
  return std::dynamic_pointer_cast<T>(LookupObject(handle));
}
bool RemoveObject(HGDIOBJ handle);

inline std::shared_ptr<DeviceContext> LookupDC(HDC dc) {
  return LookupObjectAs<DeviceContext>(reinterpret_cast<HGDIOBJ>(dc));
}

}  // namespace host::gdi
