// ChangeDisplaySettingsA: Windows' side of a mode change. The adapter decides
// whether it can show the mode; Windows keeps the mode in the registry
// (HKEY_CURRENT_CONFIG "Display\Settings" "Resolution" and "BitsPerPixel")
// when asked to, and a station boots in the mode kept there.
#include <host/adapter.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kKnownFlags =
    CDS_UPDATEREGISTRY | CDS_TEST | CDS_FULLSCREEN | CDS_GLOBAL | CDS_SET_PRIMARY | CDS_RESET | CDS_NORESET;
// The oldest record that carries the display fields (before the ICM fields).
constexpr WORD kSmallestDevMode = offsetof(DEVMODEA, dmICMMethod);

constexpr const char* kSettingsKey = "Display\\Settings";

bool ReadText(HKEY key, const char* name, char* text, DWORD size) {
  DWORD type = 0, length = size - 1;
  std::memset(text, 0, size);
  return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &length) == ERROR_SUCCESS &&
         type == REG_SZ;
}

// The mode Windows keeps in the registry; the current one where it keeps none.
void RegistryMode(int& width, int& height, int& bpp) {
  host::adapter::State s = host::adapter::CurrentState();
  width = s.desktopWidth;
  height = s.desktopHeight;
  bpp = s.bitsPerPixel;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_CONFIG, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  char text[64];
  int a = 0, b = 0;
  if (ReadText(key, "Resolution", text, sizeof(text)) && std::sscanf(text, "%d,%d", &a, &b) == 2) {
    width = a;
    height = b;
  }
  if (ReadText(key, "BitsPerPixel", text, sizeof(text)) && std::sscanf(text, "%d", &a) == 1) bpp = a;
  RegCloseKey(key);
}

bool WriteText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), std::strlen(text) + 1) ==
         ERROR_SUCCESS;
}

bool StoreRegistryMode(int width, int height, int bpp) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_CONFIG, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  char resolution[32], depth[16];
  std::snprintf(resolution, sizeof(resolution), "%d,%d", width, height);
  std::snprintf(depth, sizeof(depth), "%d", bpp);
  bool stored = WriteText(key, "Resolution", resolution) && WriteText(key, "BitsPerPixel", depth);
  RegCloseKey(key);
  return stored;
}

}  // namespace

extern "C" LONG WINAPI ChangeDisplaySettingsA(LPDEVMODEA lpDevMode, DWORD dwFlags) {
  if (dwFlags & ~kKnownFlags) return DISP_CHANGE_BADFLAGS;
  int width = 0, height = 0, bpp = 0;
  if (!lpDevMode) {
    RegistryMode(width, height, bpp);  // back to the mode the registry keeps
  } else {
    if (lpDevMode->dmSize < kSmallestDevMode) return DISP_CHANGE_BADMODE;
    host::adapter::State s = host::adapter::CurrentState();
    width = lpDevMode->dmFields & DM_PELSWIDTH ? static_cast<int>(lpDevMode->dmPelsWidth) : s.desktopWidth;
    height = lpDevMode->dmFields & DM_PELSHEIGHT ? static_cast<int>(lpDevMode->dmPelsHeight) : s.desktopHeight;
    bpp = lpDevMode->dmFields & DM_BITSPERPEL ? static_cast<int>(lpDevMode->dmBitsPerPel) : s.bitsPerPixel;
  }
  bool test = (dwFlags & CDS_TEST) != 0;
  LONG result = host::adapter::DeviceChangeMode(width, height, bpp, test);
  if (test || result < 0) return result;
  if (lpDevMode && (dwFlags & CDS_UPDATEREGISTRY) && !StoreRegistryMode(width, height, bpp))
    return DISP_CHANGE_NOTUPDATED;
  return result;
}
