// Self-registration: the class under HKEY_CLASSES_ROOT and the Display
// control panel's property-sheet handler key; an earlier release's handler
// key is removed so the panel does not show two Colour pages.
#include <windows.h>

#include "clrcpl_module.h"

namespace {

constexpr char kClassName[] = "Orvane Color Control";
constexpr char kHandlersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\PropertySheetHandlers";
constexpr char kEarlierHandler[] = "Tintora Color Control";

HKEY CreateKey(HKEY parent, const char* name) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  char noClass[] = "";
  if (RegCreateKeyExA(parent, name, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
      ERROR_SUCCESS)
    return nullptr;
  return key;
}

bool SetText(HKEY key, const char* valueName, const char* text, DWORD bytes) {
  return RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
}

bool SetTextWithNul(HKEY key, const char* valueName, const char* text) {
  return SetText(key, valueName, text, static_cast<DWORD>(lstrlenA(text) + 1));
}

// The path goes in with its own length: the buffer's tail past the NUL is no part of it.
bool RegisterServerModule(HKEY classKey) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(clrcpl::ModuleInstance(), path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return false;
  HKEY server = CreateKey(classKey, "InProcServer32");
  if (!server) return false;
  bool written = SetText(server, nullptr, path, length + 1) && SetTextWithNul(server, "ThreadingModel", "Apartment");
  RegCloseKey(server);
  return written;
}

bool RegisterClassKey() {
  char name[64] = "CLSID\\";
  lstrcatA(name, clrcpl::kColourPageClassText);
  HKEY classKey = CreateKey(HKEY_CLASSES_ROOT, name);
  if (!classKey) return false;
  bool registered = SetTextWithNul(classKey, nullptr, kClassName) && RegisterServerModule(classKey);
  RegCloseKey(classKey);
  return registered;
}

void HandlerKeyName(const char* handler, char* name) {
  lstrcpyA(name, kHandlersKey);
  lstrcatA(name, "\\");
  lstrcatA(name, handler);
}

bool RegisterHandler() {
  char name[200];
  HandlerKeyName(kClassName, name);
  HKEY handler = CreateKey(HKEY_LOCAL_MACHINE, name);
  if (!handler) return false;
  bool written = SetTextWithNul(handler, nullptr, clrcpl::kColourPageClassText);
  RegCloseKey(handler);
  return written;
}

void RemoveEarlierHandler() {
  char name[200];
  HandlerKeyName(kEarlierHandler, name);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, name);
}

}  // namespace

STDAPI DllRegisterServer(void) {
  if (!RegisterClassKey()) return E_UNEXPECTED;
  bool handlerRegistered = RegisterHandler();
  RemoveEarlierHandler();
  return handlerRegistered ? S_OK : E_UNEXPECTED;
}

STDAPI DllUnregisterServer(void) { return E_UNEXPECTED; }
