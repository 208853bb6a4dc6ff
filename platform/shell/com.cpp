// COM basics: the published identifiers (the host is this system's uuid
// library), identifiers in text form and per-thread initialisation.
#include <initguid.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

DEFINE_GUID(GUID_NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
DEFINE_OLEGUID(IID_IUnknown, 0x00000000, 0, 0);
DEFINE_OLEGUID(IID_IClassFactory, 0x00000001, 0, 0);

namespace host::shell {
namespace {

constexpr int kGuidTextLength = 38;  // without the NUL

// Where each byte of a GUID's text goes, in reading order: Data1 (4 bytes, most
// significant first), Data2, Data3, then Data4's eight bytes as written.
struct HexField {
  int offset;  // in the text
  int digits;
};
constexpr HexField kFields[] = {{1, 8},  {10, 4}, {15, 4}, {20, 2}, {22, 2}, {25, 2},
                                {27, 2}, {29, 2}, {31, 2}, {33, 2}, {35, 2}};
constexpr int kDashes[] = {9, 14, 19, 24};

int HexValue(WCHAR c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ReadHex(LPCOLESTR text, const HexField& field, unsigned long* value) {
  *value = 0;
  for (int i = 0; i < field.digits; ++i) {
    int digit = HexValue(text[field.offset + i]);
    if (digit < 0) return false;
    *value = *value << 4 | static_cast<unsigned long>(digit);
  }
  return true;
}

size_t TextLength(LPCOLESTR text, size_t limit) {
  size_t n = 0;
  while (n <= limit && text[n]) ++n;
  return n;
}

bool ParseGuid(LPCOLESTR text, GUID* guid) {
  if (TextLength(text, kGuidTextLength) != kGuidTextLength) return false;
  if (text[0] != '{' || text[kGuidTextLength - 1] != '}') return false;
  for (int dash : kDashes)
    if (text[dash] != '-') return false;
  unsigned long values[11];
  for (int i = 0; i < 11; ++i)
    if (!ReadHex(text, kFields[i], &values[i])) return false;
  guid->Data1 = values[0];
  guid->Data2 = static_cast<unsigned short>(values[1]);
  guid->Data3 = static_cast<unsigned short>(values[2]);
  for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<unsigned char>(values[3 + i]);
  return true;
}

std::string Narrow(LPCOLESTR text) {
  std::string out;
  for (; *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
  return out;
}

// A ProgID names its class in HKEY_CLASSES_ROOT\<ProgID>\CLSID.
bool GuidOfProgId(LPCOLESTR progId, GUID* guid) {
  char value[64];
  LONG size = sizeof value;
  std::string key = Narrow(progId) + "\\CLSID";
  if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return false;
  WCHAR wide[64];
  int i = 0;
  for (; value[i] && i < 63; ++i) wide[i] = static_cast<unsigned char>(value[i]);
  wide[i] = 0;
  return ParseGuid(wide, guid);
}

thread_local int tInitialised = 0;

}  // namespace
}  // namespace host::shell

using namespace host::shell;

extern "C" {

int WINAPI StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
  if (!lpsz || cchMax <= kGuidTextLength) return 0;
  static const char kDigits[] = "0123456789ABCDEF";
  unsigned long values[11] = {rguid.Data1, rguid.Data2, rguid.Data3};
  for (int i = 0; i < 8; ++i) values[3 + i] = rguid.Data4[i];
  for (int i = 0; i < kGuidTextLength; ++i) lpsz[i] = '-';
  lpsz[0] = '{';
  lpsz[kGuidTextLength - 1] = '}';
  for (int f = 0; f < 11; ++f)
    for (int d = 0; d < kFields[f].digits; ++d)
      lpsz[kFields[f].offset + d] = kDigits[(values[f] >> (4 * (kFields[f].digits - 1 - d))) & 0xF];
  lpsz[kGuidTextLength] = 0;
  return kGuidTextLength + 1;
}

HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
  if (!pclsid) return E_INVALIDARG;
  *pclsid = GUID_NULL;
  if (!lpsz) return E_INVALIDARG;
  GUID parsed;
  bool ok = lpsz[0] == '{' ? ParseGuid(lpsz, &parsed) : GuidOfProgId(lpsz, &parsed);
  if (!ok) return CO_E_CLASSSTRING;
  *pclsid = parsed;
  return NOERROR;
}

HRESULT WINAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
  if (!lpclsid) return E_INVALIDARG;
  *lpclsid = GUID_NULL;
  if (!lpszProgID) return E_INVALIDARG;
  GUID parsed;
  if (!GuidOfProgId(lpszProgID, &parsed)) return CO_E_CLASSSTRING;
  *lpclsid = parsed;
  return NOERROR;
}

// The apartment is nominal: no marshalling happens in the station, but the
// answers follow Windows: S_FALSE when the thread was already initialised.
HRESULT WINAPI CoInitialize(LPVOID) { return tInitialised++ ? S_FALSE : S_OK; }

void WINAPI CoUninitialize(void) {
  if (tInitialised > 0) --tInitialised;
}

}  // extern "C"
