// The universal thunk of Windows 95: UTRegister and UTUnRegister, with the
// 16:16 pointers the 16-bit side sees.
//
// The 16-bit library lives, as in Windows 95, in one place for the whole
// machine: the registration holds the library itself (not through a process's
// module references), so it outlives the process that registered it and
// serves every process until UTUnRegister.
#include <dlfcn.h>
#include <host/thunk16.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "kernel/module_table.h"
#include "kernel/station_state.h"

namespace host::thunk16 {
namespace {

// ---- Selectors -------------------------------------------------------------

// LDT selectors with requested privilege 3, as Windows hands them to 16-bit
// code; the first indices are what Windows itself keeps.
constexpr DWORD kFirstSelectorIndex = 0x20;
constexpr DWORD kSelectorIndexLimit = 0x2000;
constexpr WORD kLdtUserBits = 7;
constexpr uintptr_t kPageMask = 0xFFF;
constexpr DWORD kSelectorLimit = 0x10000;

struct SelectorTable {
  std::mutex lock;
  std::map<uintptr_t, WORD> selectorOfPage;
  std::vector<uintptr_t> pageOfIndex;  // from kFirstSelectorIndex on
};

SelectorTable& Selectors() {
  static SelectorTable table;
  return table;
}

void ClearSelectors() {
  std::lock_guard lock(Selectors().lock);
  Selectors().selectorOfPage.clear();
  Selectors().pageOfIndex.clear();
}

// ---- Registrations ---------------------------------------------------------

typedef DWORD(WINAPI* UT32PROC)(LPVOID lpBuff, DWORD dwUserDefined, LPVOID* lpTranslationList);
typedef DWORD(WINAPI* UT32CBPROC)(LPVOID lpBuff, DWORD dwUserDefined);

struct Registration {
  bool used = false;
  HANDLE module32 = nullptr;
  void* library16 = nullptr;  // the registration's own hold on the 16-bit library
  UTPROC proc = nullptr;
  UT32CBPROC callback32 = nullptr;
};

// Each registration needs a thunk procedure of its own (Windows builds one);
// here a fixed set of procedures, one per slot.
constexpr int kSlots = 16;
std::array<Registration, kSlots> registrations;

DWORD CallThrough(int slot, LPVOID buffer, DWORD function, LPVOID* translationList);
DWORD CallBack(int slot, DWORD segBuffer, DWORD userDefined, DWORD segTranslationList);

template <int Slot>
DWORD WINAPI ThunkProcedure(LPVOID buffer, DWORD function, LPVOID* translationList) {
  return CallThrough(Slot, buffer, function, translationList);
}

template <int Slot>
DWORD WINAPI CallbackProcedure(DWORD segBuffer, DWORD userDefined, DWORD segTranslationList) {
  return CallBack(Slot, segBuffer, userDefined, segTranslationList);
}

template <int... Slots>
constexpr std::array<UT32PROC, kSlots> ThunkTable(std::integer_sequence<int, Slots...>) {
  return {&ThunkProcedure<Slots>...};
}

template <int... Slots>
constexpr std::array<UT16CBPROC, kSlots> CallbackTable(std::integer_sequence<int, Slots...>) {
  return {&CallbackProcedure<Slots>...};
}

constexpr auto kThunkProcedures = ThunkTable(std::make_integer_sequence<int, kSlots>());
constexpr auto kCallbackProcedures = CallbackTable(std::make_integer_sequence<int, kSlots>());

// GetProcAddress's FARPROC as the function it really is.
template <class Function>
Function ProcAs(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// Pointer fields named by a translation list may sit anywhere in a block,
// unaligned ones included.
void* ReadPointerField(const void* field) {
  void* value;
  std::memcpy(&value, field, sizeof value);
  return value;
}

void WritePointerField(void* field, const void* value) { std::memcpy(field, &value, sizeof value); }

struct SavedField {
  void* field;
  void* value;
};

void RestoreFields(const std::vector<SavedField>& saved) {
  for (auto it = saved.rbegin(); it != saved.rend(); ++it) WritePointerField(it->field, it->value);
}

// Flat → 16:16 in place for every field the list names; false when a selector ran out.
bool TranslateToSegmented(LPVOID* translationList, std::vector<SavedField>& saved) {
  for (LPVOID* entry = translationList; entry && *entry; ++entry) {
    void* field = *entry;
    void* flat = ReadPointerField(field);
    saved.push_back({field, flat});
    DWORD segmented = MapLS(flat);
    if (flat && !segmented) return false;
    WritePointerField(field, reinterpret_cast<void*>(segmented));
  }
  return true;
}

DWORD CallThrough(int slot, LPVOID buffer, DWORD function, LPVOID* translationList) {
  UTPROC proc;
  {
    std::lock_guard lock(kernel::KernelLock());
    proc = registrations[slot].used ? registrations[slot].proc : nullptr;
  }
  if (!proc) return 0;  // unregistered: nothing to call
  std::vector<SavedField> saved;
  DWORD segBuffer = MapLS(buffer);
  DWORD result = 0;
  if (TranslateToSegmented(translationList, saved) && (segBuffer || !buffer))
    result = proc(segBuffer, function);
  else
    OutputDebugStringA("UTRegister thunk: no selector left for a 16:16 pointer\n\r");
  // The caller gets its block back as it passed it.
  RestoreFields(saved);
  return result;
}

// 16:16 → flat for the callback: the list holds 16:16 addresses of fields that
// hold 16:16 pointers.
DWORD CallBack(int slot, DWORD segBuffer, DWORD userDefined, DWORD segTranslationList) {
  UT32CBPROC callback;
  {
    std::lock_guard lock(kernel::KernelLock());
    callback = registrations[slot].used ? registrations[slot].callback32 : nullptr;
  }
  if (!callback) return 0;
  std::vector<SavedField> saved;
  auto* list = static_cast<const DWORD*>(MapSL(segTranslationList));
  for (; list && *list; ++list) {
    void* field = MapSLFor(*list, sizeof(DWORD));
    if (!field) continue;
    DWORD segmented;
    std::memcpy(&segmented, field, sizeof segmented);
    saved.push_back({field, ReadPointerField(field)});
    WritePointerField(field, MapSL(segmented));
  }
  DWORD result = callback(MapSL(segBuffer), userDefined);
  RestoreFields(saved);
  return result;
}

Registration* FindRegistration(HANDLE module32) {
  for (auto& registration : registrations)
    if (registration.used && registration.module32 == module32) return &registration;
  return nullptr;
}

Registration* FreeRegistration() {
  for (auto& registration : registrations)
    if (!registration.used) return &registration;
  return nullptr;
}

void Release(Registration& registration) {
  void* library = registration.library16;
  registration = Registration{};
  ClearBlitCaptureSink();  // its code may live in the library about to go
  if (library) dlclose(library);
}

void ReleaseAll() {
  std::lock_guard lock(kernel::KernelLock());
  for (auto& registration : registrations)
    if (registration.used) Release(registration);
  ClearSelectors();
}

// Loads the 16-bit library and takes the registration's own hold on it; the
// loading process's reference is given back at once.
void* HoldLibrary(LPCSTR name, LPCSTR initName, LPCSTR procName, UTINITPROC& init, UTPROC& proc) {
  HMODULE module = LoadLibraryA(name);
  if (!module) return nullptr;
  proc = ProcAs<UTPROC>(GetProcAddress(module, procName));
  init = initName ? ProcAs<UTINITPROC>(GetProcAddress(module, initName)) : nullptr;
  void* library = nullptr;
  if (proc && (init || !initName))
    library = dlopen(kernel::ModuleFromHandle(module)->hostPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
  FreeLibrary(module);
  if (!library) SetLastError(ERROR_PROC_NOT_FOUND);
  return library;
}

// ---- Capture sink ----------------------------------------------------------

struct Capture {
  std::mutex lock;
  BlitCaptureSink sink;
};

Capture& TheCapture() {
  static Capture capture;
  return capture;
}

const bool kRegistered = [] {
  host::RegisterStationHook(5, ReleaseAll, ReleaseAll);
  return true;
}();

}  // namespace

DWORD MapLS(const void* flat) {
  if (!flat) return 0;
  auto address = reinterpret_cast<uintptr_t>(flat);
  uintptr_t page = address & ~kPageMask;
  auto& table = Selectors();
  std::lock_guard lock(table.lock);
  auto found = table.selectorOfPage.find(page);
  WORD selector;
  if (found != table.selectorOfPage.end()) {
    selector = found->second;
  } else {
    DWORD index = kFirstSelectorIndex + table.pageOfIndex.size();
    if (index >= kSelectorIndexLimit) return 0;
    selector = static_cast<WORD>(index << 3 | kLdtUserBits);
    table.pageOfIndex.push_back(page);
    table.selectorOfPage.emplace(page, selector);
  }
  return MAKELONG(address & kPageMask, selector);
}

void* MapSL(DWORD segmented) { return MapSLFor(segmented, 0); }

void* MapSLFor(DWORD segmented, DWORD bytes) {
  WORD selector = HIWORD(segmented);
  DWORD offset = LOWORD(segmented);
  if ((selector & kLdtUserBits) != kLdtUserBits || bytes > kSelectorLimit - offset) return nullptr;
  DWORD index = selector >> 3;
  auto& table = Selectors();
  std::lock_guard lock(table.lock);
  if (index < kFirstSelectorIndex || index - kFirstSelectorIndex >= table.pageOfIndex.size()) return nullptr;
  return reinterpret_cast<void*>(table.pageOfIndex[index - kFirstSelectorIndex] + offset);
}

bool HasRegistration(HANDLE module32) {
  std::lock_guard lock(kernel::KernelLock());
  return FindRegistration(module32) != nullptr;
}

void SetBlitCaptureSink(BlitCaptureSink sink) {
  std::lock_guard lock(TheCapture().lock);
  TheCapture().sink = std::move(sink);
}

void ClearBlitCaptureSink() { SetBlitCaptureSink(nullptr); }

bool BlitCaptureOn() {
  std::lock_guard lock(TheCapture().lock);
  return static_cast<bool>(TheCapture().sink);
}

bool DeliverBlitCapture(const std::vector<RECT>& visiblePieces) {
  BlitCaptureSink sink;
  {
    // Called outside the lock: the sink may end the capture itself.
    std::lock_guard lock(TheCapture().lock);
    sink = TheCapture().sink;
  }
  if (!sink) return false;
  sink(visiblePieces);
  return true;
}

}  // namespace host::thunk16

using namespace host::thunk16;

extern "C" {

BOOL WINAPI UTRegister(HANDLE hModule, LPSTR lpsz16BITDLL, LPSTR lpszInitName, LPSTR lpszProcName,
                       UT32PROC* ppfn32Thunk, FARPROC pfnUT32Callback, LPVOID lpBuff) {
  std::lock_guard lock(host::kernel::KernelLock());
  if (!host::kernel::ModuleFromHandle(static_cast<HMODULE>(hModule))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!lpsz16BITDLL || !lpszProcName || !ppfn32Thunk) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // One registration per module, as in Windows 95.
  if (FindRegistration(hModule)) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  Registration* registration = FreeRegistration();
  if (!registration) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  UTINITPROC init = nullptr;
  UTPROC proc = nullptr;
  void* library = HoldLibrary(lpsz16BITDLL, lpszInitName, lpszProcName, init, proc);
  if (!library) return FALSE;
  int slot = static_cast<int>(registration - registrations.data());
  *registration = {true, hModule, library, proc, ProcAs<UT32CBPROC>(pfnUT32Callback)};
  UT16CBPROC callback = pfnUT32Callback ? kCallbackProcedures[slot] : nullptr;
  if (init && !init(callback, MapLS(lpBuff))) {
    Release(*registration);
    SetLastError(ERROR_DLL_INIT_FAILED);
    return FALSE;
  }
  *ppfn32Thunk = kThunkProcedures[slot];
  return TRUE;
}

VOID WINAPI UTUnRegister(HANDLE hModule) {
  std::lock_guard lock(host::kernel::KernelLock());
  if (Registration* registration = FindRegistration(hModule)) Release(*registration);
}

}  // extern "C"
