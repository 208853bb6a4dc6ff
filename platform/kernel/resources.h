// Finding resources for the parts of USER and GDI that turn them into
// objects: LoadMenuA, LoadAcceleratorsA, LoadBitmapA, LoadIconA, LoadCursorA
// and LoadImageA look the data up here and build their HMENU, HACCEL,
// HBITMAP and HICON from it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace host::kernel {

// A resource's bytes as LockResource returns them.
struct ResourceBytes {
  const BYTE* data = nullptr;
  DWORD size = 0;
  explicit operator bool() const { return data != nullptr; }
};

// FindResourceA + LoadResource + LockResource + SizeofResource in one step;
// empty with the last error set when there is no such resource. A NULL
// module means the calling process's program.
ResourceBytes FindResourceBytes(HMODULE module, LPCSTR name, LPCSTR type);

// LoadIconA / LoadCursorA: the RT_ICON (RT_CURSOR) image that the group
// resource `name` offers closest to cx × cy (0 = the standard 32 × 32), ready
// for CreateIconFromResourceEx: a cursor's data starts with its hot spot.
ResourceBytes FindIconImage(HMODULE module, LPCSTR name, bool cursor, int cx, int cy);

// LoadAcceleratorsA: the RT_ACCELERATOR table, as CreateAcceleratorTableA
// takes it (ACCEL's fields).
struct AcceleratorEntry {
  BYTE flags;  // FVIRTKEY, FNOINVERT, FSHIFT, FCONTROL, FALT
  WORD key;
  WORD command;
};
std::optional<std::vector<AcceleratorEntry>> FindAcceleratorTable(HMODULE module, LPCSTR name);

// Windows-1252 text, as the resource scripts are written, from and to UTF-16.
std::string NarrowResourceText(const WCHAR* text, size_t length);

}  // namespace host::kernel
