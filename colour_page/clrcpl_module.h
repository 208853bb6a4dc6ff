// CLRCPL.DLL's module-wide state: the live-object count DllCanUnloadNow
// answers from, the module's own instance and help file, and the resource
// module M_COLOR.DLL, loaded once and kept.
#pragma once

#include <windows.h>

namespace clrcpl {

// {E1E066B5-8E0E-11CF-97F3-00608CC03883}
extern const CLSID kColourPageClass;
// The class identifier as the registry holds it.
inline constexpr char kColourPageClassText[] = "{E1E066B5-8E0E-11cf-97F3-00608CC03883}";

// Factories, extensions and pages alive.
void ObjectCreated();
void ObjectDestroyed();
LONG LiveObjects();

HINSTANCE ModuleInstance();
// The module's path with ".HLP" for its extension; "" when unknown.
const char* HelpFile();
// Sets both from the module's instance (process attach).
void InitModule(HINSTANCE instance);
// Process detach: the resource module's handle is no longer ours to use.
void ForgetResourceModule();

// M_COLOR.DLL, loaded on first use and kept; NULL when it does not load.
HMODULE ResourceModule();

// Counts one live object for as long as it exists.
class LiveObject {
 public:
  LiveObject() { ObjectCreated(); }
  ~LiveObject() { ObjectDestroyed(); }
  LiveObject(const LiveObject&) = delete;
  LiveObject& operator=(const LiveObject&) = delete;
};

}  // namespace clrcpl
