// Class identifiers of FAKESRV.DLL, shared by the module and its tests.
#pragma once

#include <guiddef.h>

// Served: its objects speak IShellExtInit and IShellPropSheetExt.
DEFINE_GUID(CLSID_FakeServer, 0x5A1E0001, 0x1234, 0x11D0, 0x80, 0x11, 0x00, 0xA0, 0x24, 0x5E, 0x77, 0x01);
// Registered for the module too, but its DllGetClassObject does not serve it.
DEFINE_GUID(CLSID_FakeUnserved, 0x5A1E0002, 0x1234, 0x11D0, 0x80, 0x11, 0x00, 0xA0, 0x24, 0x5E, 0x77, 0x02);
