// DESK.CPL's pages, dialogs and helpers. Plain Win32: each page keeps its
// state in DWLP_USER, each dialog in one procedure of its own file.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

extern HINSTANCE g_hinstDesk;

// The sheet: the built-in pages around every registered handler's pages.
INT_PTR RunDisplayProperties(HWND hwndOwner);

// Handlers from the Display key's PropertySheetHandlers (handlers.cpp).
#define MAX_HANDLER_MODULES 16
#define MAX_HANDLER_PAGES 32
typedef struct tagHANDLER_PAGES {
  HPROPSHEETPAGE pages[MAX_HANDLER_PAGES];
  UINT count;
  HMODULE modules[MAX_HANDLER_MODULES];
  UINT moduleCount;
} HANDLER_PAGES;
void CollectHandlerPages(HANDLER_PAGES* collected);
void ReleaseHandlerModules(HANDLER_PAGES* collected);

// Page procedures.
INT_PTR CALLBACK BackgroundPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScreenSaverPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AppearancePageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SettingsPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Dialogs opened from the Settings page.
INT_PTR RunDisplayTypeDialog(HWND hwndOwner);
INT_PTR RunSelectDeviceDialog(HWND hwndOwner);

// The monitor's registry keys (monitor_registry.cpp).
typedef struct tagMONITOR_MODEL {
  LPCSTR manufacturer;
  LPCSTR model;
  int maxWidth;
  int maxHeight;
  BOOL dpms;
} MONITOR_MODEL;
BOOL GetMonitorDescription(LPSTR buffer, DWORD size);
BOOL WriteMonitorType(const MONITOR_MODEL* model);

// Small helpers shared by the pages (desk_util.cpp).
BOOL WriteRegistryText(HKEY root, LPCSTR keyPath, LPCSTR name, LPCSTR text);
BOOL ReadRegistryText(HKEY root, LPCSTR keyPath, LPCSTR name, LPSTR buffer, DWORD size);
void MarkPageChanged(HWND hwndPage);
// The adapter's name as the display class key records it, else "(Unknown adapter)".
void GetAdapterDescription(LPSTR buffer, DWORD size);
