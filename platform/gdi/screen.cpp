// The screen device: the display driver's escapes, device capabilities and the gamma ramp. The
// adapter (host/adapter.h) is the hardware behind them.
#include <host/adapter.h>

#include "gdi/dc.h"

namespace {

using host::gdi::DcKind;
using host::gdi::DeviceContext;

std::shared_ptr<DeviceContext> ScreenDC(HDC dc) {
  auto context = host::gdi::LookupDC(dc);
  if (!context || !context->OnScreen()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return context;
}

// What the adapter's RAMDAC resolves per colour gun at each depth.
int ColourResolution(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8:
      return 18;
    case 16:
      return 16;
    default:
      return 24;
  }
}

int ScreenCaps(int index) {
  host::adapter::State s = host::adapter::CurrentState();
  bool palette = s.bitsPerPixel == 8;
  switch (index) {
    case DRIVERVERSION:
      return 0x400;
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZSIZE:
      return s.desktopWidth * 254 / (s.fontDpi * 10);
    case VERTSIZE:
      return s.desktopHeight * 254 / (s.fontDpi * 10);
    case HORZRES:
      return s.desktopWidth;
    case VERTRES:
      return s.desktopHeight;
    case BITSPIXEL:
      return s.bitsPerPixel;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return palette ? 20 : -1;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | RC_DI_BITMAP | RC_DIBTODEV | RC_BIGFONT | RC_STRETCHBLT |
             RC_FLOODFILL | RC_STRETCHDIB | (palette ? RC_PALETTE : 0);
    case ASPECTX:
    case ASPECTY:
      return 36;
    case ASPECTXY:
      return 51;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return s.fontDpi;
    case SIZEPALETTE:
      return palette ? 256 : 0;
    case NUMRESERVED:
      return palette ? 20 : 0;
    case COLORRES:
      return ColourResolution(s.bitsPerPixel);
    default:
      return 0;
  }
}

}  // namespace

extern "C" {

int WINAPI ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData) {
  if (!ScreenDC(hdc)) return 0;
  return host::adapter::DeviceEscape(hdc, iEscape, cjInput, lpInData, cjOutput, lpOutData);
}

// A memory DC answers for the device it is compatible with, which is always the screen here (as
// CreateCompatibleDC(NULL) on Windows): the screen's resolution, depth and dpi, whatever bitmap it holds.
int WINAPI GetDeviceCaps(HDC hdc, int index) {
  if (!host::gdi::LookupDC(hdc)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return ScreenCaps(index);
}

BOOL WINAPI GetDeviceGammaRamp(HDC hdc, LPVOID lpRamp) {
  if (!ScreenDC(hdc) || !lpRamp) return FALSE;
  return host::adapter::DeviceGetGammaRamp(static_cast<WORD*>(lpRamp)) ? TRUE : FALSE;
}

BOOL WINAPI SetDeviceGammaRamp(HDC hdc, LPVOID lpRamp) {
  if (!ScreenDC(hdc) || !lpRamp) return FALSE;
  return host::adapter::DeviceSetGammaRamp(static_cast<const WORD*>(lpRamp)) ? TRUE : FALSE;
}

}  // extern "C"
