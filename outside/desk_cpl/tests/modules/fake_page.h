// FAKEPAGE.DLL: a property-sheet handler for the Display control panel's
// tests. Every call goes to the debug output as "FAKEPAGE <tag> ...".
#pragma once

#include <guiddef.h>
#include <windows.h>

// Adds the page "Fake A" (tag A) or "Fake B" (tag B).
DEFINE_GUID(CLSID_FakePageA, 0x7C3D1A01, 0x5E2F, 0x11D0, 0x9B, 0x41, 0x00, 0xA0, 0x24, 0x6C, 0x31, 0x01);
DEFINE_GUID(CLSID_FakePageB, 0x7C3D1A02, 0x5E2F, 0x11D0, 0x9B, 0x41, 0x00, 0xA0, 0x24, 0x6C, 0x31, 0x02);

// Sent to a fake page: its next PSN_APPLY answers PSNRET_INVALID_NOCHANGEPAGE.
#define FAKEPAGE_REFUSE_NEXT_APPLY (WM_APP + 1)

#define IDD_FAKE_PAGE 100
#define IDC_FAKE_TEXT 101
