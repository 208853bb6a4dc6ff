// The resource API: each module's resources are the table the resource
// compiler put into it (kernel/resource_table.h). An HRSRC is the address of
// the table entry; LoadResource's HGLOBAL is the data itself, so
// LockResource, as on Win32, only hands it back.
#include "kernel/resources.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "kernel/module_table.h"
#include "kernel/resource_table.h"
#include "kernel/station_state.h"

// The host's own table (platform/user/system_resources), under a name no module uses.
extern "C" const OvxResourceTable ovx_system_resources;

namespace host::kernel {
namespace {

const OvxResourceTable* TableOf(Module* module) {
  auto* table = module == SystemModule()
                    ? &ovx_system_resources
                    : static_cast<const OvxResourceTable*>(ModuleSymbol(module, OVX_MODULE_RESOURCES_SYMBOL));
  if (!table || table->magic != OVX_RESOURCE_MAGIC || table->version != OVX_RESOURCE_VERSION) return nullptr;
  return table;
}

// NULL means the program of the calling process; the boot process has none,
// so it sees the system module's resources.
Module* ResourceModule(HMODULE handle) {
  if (handle) return ModuleFromHandle(handle);
  Process& process = CurrentProcess();
  return process.exe ? process.exe : SystemModule();
}

// A type or name as Win32 passes it: MAKEINTRESOURCE(n), "#n", or a name.
struct Key {
  bool ordinal;
  WORD id;
  const char* name;
};

Key KeyOf(LPCSTR value) {
  if (IS_INTRESOURCE(value)) return {true, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value)), nullptr};
  if (value[0] == '#') {
    char* end = nullptr;
    unsigned long id = std::strtoul(value + 1, &end, 10);
    if (end != value + 1 && *end == '\0' && id <= 0xFFFF) return {true, static_cast<WORD>(id), nullptr};
  }
  return {false, 0, value};
}

bool Matches(const Key& key, const char* entryName, WORD entryId) {
  if (key.ordinal) return !entryName && entryId == key.id;
  return entryName && strcasecmp(entryName, key.name) == 0;
}

constexpr WORD kStationLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Win32's preference when no language is asked for: neutral, the station's
// language, its primary language, then whatever there is.
int LanguageRank(WORD language) {
  if (language == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) return 0;
  if (language == kStationLanguage) return 1;
  if (PRIMARYLANGID(language) == PRIMARYLANGID(kStationLanguage)) return 2;
  return 3;
}

const OvxResourceEntry* Find(HMODULE handle, LPCSTR type, LPCSTR name, const WORD* language) {
  Module* module = ResourceModule(handle);
  if (!module) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const OvxResourceTable* table = TableOf(module);
  if (!table) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  Key typeKey = KeyOf(type), nameKey = KeyOf(name);
  bool typeSeen = false, nameSeen = false;
  const OvxResourceEntry* best = nullptr;
  for (DWORD i = 0; i < table->count; ++i) {
    const OvxResourceEntry& entry = table->entries[i];
    if (!Matches(typeKey, entry.typeName, entry.typeId)) continue;
    typeSeen = true;
    if (!Matches(nameKey, entry.name, entry.nameId)) continue;
    nameSeen = true;
    if (language) {
      bool primaryOnly = SUBLANGID(*language) == SUBLANG_NEUTRAL && PRIMARYLANGID(*language) != LANG_NEUTRAL;
      bool fits =
          entry.language == *language || (primaryOnly && PRIMARYLANGID(entry.language) == PRIMARYLANGID(*language));
      if (fits && (!best || entry.language == *language)) best = &entry;
    } else if (!best || LanguageRank(entry.language) < LanguageRank(best->language)) {
      best = &entry;
    }
  }
  if (!best)
    SetLastError(!typeSeen   ? ERROR_RESOURCE_TYPE_NOT_FOUND
                 : !nameSeen ? ERROR_RESOURCE_NAME_NOT_FOUND
                             : ERROR_RESOURCE_LANG_NOT_FOUND);
  return best;
}

bool InTable(Module* module, const OvxResourceEntry* entry) {
  const OvxResourceTable* table = module ? TableOf(module) : nullptr;
  return table && entry >= table->entries && entry < table->entries + table->count;
}

// The entry an HRSRC stands for, if it is one of the module's (for NULL:
// of any module the process uses, as programs pass NULL for their own).
const OvxResourceEntry* EntryOf(HMODULE handle, HRSRC resource) {
  auto* entry = reinterpret_cast<const OvxResourceEntry*>(resource);
  if (!entry) return nullptr;
  if (handle) return InTable(ModuleFromHandle(handle), entry) ? entry : nullptr;
  Process& process = CurrentProcess();
  if (InTable(ResourceModule(nullptr), entry) || InTable(SystemModule(), entry)) return entry;
  for (auto& [module, count] : process.moduleReferences)
    if (InTable(module, entry)) return entry;
  return nullptr;
}

// Characters 0x80..0x9F of Windows-1252; the rest of the first 256 are Latin-1.
constexpr WCHAR kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char NarrowChar(WCHAR c) {
  if (c < 0x80 || (c >= 0xA0 && c < 0x100)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
  if (c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] == 0) return static_cast<char>(c);
  return '?';
}

WORD ReadWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

}  // namespace

std::string NarrowResourceText(const WCHAR* text, size_t length) {
  std::string narrow(length, '\0');
  for (size_t i = 0; i < length; ++i) narrow[i] = NarrowChar(text[i]);
  return narrow;
}

ResourceBytes FindResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
  std::lock_guard lock(KernelLock());
  const OvxResourceEntry* entry = Find(module, type, name, nullptr);
  if (!entry) return {};
  return {entry->data, entry->size};
}

ResourceBytes FindIconImage(HMODULE module, LPCSTR name, bool cursor, int cx, int cy) {
  ResourceBytes group = FindResourceBytes(module, name, cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON);
  if (!group) return {};
  int id = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data), !cursor, cx, cy, 0);
  if (id == 0) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return {};
  }
  return FindResourceBytes(module, MAKEINTRESOURCE(id), cursor ? RT_CURSOR : RT_ICON);
}

std::optional<std::vector<AcceleratorEntry>> FindAcceleratorTable(HMODULE module, LPCSTR name) {
  ResourceBytes table = FindResourceBytes(module, name, RT_ACCELERATOR);
  if (!table) return std::nullopt;
  // ACCELTABLEENTRY: WORD flags (0x80 marks the last), WORD key, WORD command, WORD padding.
  std::vector<AcceleratorEntry> entries;
  for (DWORD at = 0; at + 8 <= table.size; at += 8) {
    WORD flags = ReadWord(table.data + at);
    entries.push_back({static_cast<BYTE>(flags & 0x7F), ReadWord(table.data + at + 2), ReadWord(table.data + at + 4)});
    if (flags & 0x80) break;
  }
  return entries;
}

}  // namespace host::kernel

using namespace host::kernel;

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  std::lock_guard lock(KernelLock());
  return reinterpret_cast<HRSRC>(const_cast<OvxResourceEntry*>(Find(hModule, lpType, lpName, nullptr)));
}

HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
  std::lock_guard lock(KernelLock());
  const WORD* language = wLanguage == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL) ? nullptr : &wLanguage;
  return reinterpret_cast<HRSRC>(const_cast<OvxResourceEntry*>(Find(hModule, lpType, lpName, language)));
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  std::lock_guard lock(KernelLock());
  const OvxResourceEntry* entry = EntryOf(hModule, hResInfo);
  if (!entry) {
    SetLastError(ERROR_INVALID_HANDLE);
    return NULL;
  }
  return const_cast<BYTE*>(entry->data);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  std::lock_guard lock(KernelLock());
  const OvxResourceEntry* entry = EntryOf(hModule, hResInfo);
  if (!entry) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return entry->size;
}

// Resources live as long as their module; there is nothing to free.
BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  lpBuffer[0] = '\0';
  // Strings come in blocks of 16 counted WCHAR strings; block n + 1 holds ids 16n .. 16n + 15.
  ResourceBytes block = FindResourceBytes(hInstance, MAKEINTRESOURCE((uID >> 4) + 1), RT_STRING);
  if (!block) return 0;
  DWORD at = 0;
  for (UINT index = 0; index < (uID & 15); ++index) {
    if (at + 2 > block.size) return 0;
    at += 2 + 2 * ReadWord(block.data + at);
  }
  if (at + 2 > block.size) return 0;
  DWORD length = ReadWord(block.data + at);
  if (at + 2 + 2 * length > block.size) return 0;  // a damaged block yields no text
  if (length == 0) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  DWORD copied = std::min<DWORD>(length, static_cast<DWORD>(cchBufferMax - 1));
  const BYTE* text = block.data + at + 2;
  for (DWORD i = 0; i < copied; ++i) lpBuffer[i] = NarrowChar(ReadWord(text + 2 * i));
  lpBuffer[copied] = '\0';
  return static_cast<int>(copied);
}

int WINAPI LookupIconIdFromDirectory(PBYTE presbits, BOOL fIcon) {
  return LookupIconIdFromDirectoryEx(presbits, fIcon, 0, 0, 0);
}

// The group's entry closest in size to the request (0 = 32 × 32), the one
// with more colours among equals.
int WINAPI LookupIconIdFromDirectoryEx(PBYTE presbits, BOOL fIcon, int cxDesired, int cyDesired, UINT) {
  if (!presbits || ReadWord(presbits) != 0 || ReadWord(presbits + 2) != (fIcon ? 1 : 2)) return 0;
  int cx = cxDesired ? cxDesired : 32, cy = cyDesired ? cyDesired : 32;
  WORD count = ReadWord(presbits + 4);
  int bestId = 0;
  long bestDistance = 0;
  WORD bestBits = 0;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* e = presbits + 6 + 14 * i;
    int width, height;
    WORD bits;
    if (fIcon) {
      width = e[0] ? e[0] : 256;
      height = e[1] ? e[1] : 256;
      bits = ReadWord(e + 6);
    } else {
      width = ReadWord(e);
      height = ReadWord(e + 2) / 2;
      bits = ReadWord(e + 6);
    }
    long distance = std::labs(width - cx) + std::labs(height - cy);
    if (!bestId || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
      bestId = ReadWord(e + 12);
      bestDistance = distance;
      bestBits = bits;
    }
  }
  return bestId;
}

}  // extern "C"
