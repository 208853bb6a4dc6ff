// The station's virtual OVX adapter: its control API (tests, stand-ins and the
// `ovx` command) and the device side that the host's GDI and USER call.
// Deliverables never include this header; they reach the adapter through
// ExtEscape, GetDeviceCaps, the gamma ramp calls and ChangeDisplaySettingsA.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace host::adapter {

inline constexpr int kDriverEscape = 0x8008;
// QUERYESCSUPPORT answer for the driver escape: the family's signature.
inline constexpr DWORD kEscapeSignature = 0xC4D8;

struct Board {
  DWORD flags = 1;  // bit 0: the active board
  WORD deviceId = 0x51A;
  WORD boardId = 0x0301;
  WORD maxPixelClockMHz = 220;
  std::string name = "Orvane OVX 4000";  // 32 bytes in the answer; longer names are cut, unterminated
};

// The hardware and the mode it boots in.
struct Config {
  // Mode
  int displayWidth = 1024, displayHeight = 768;
  int desktopWidth = 1024, desktopHeight = 768;  // never smaller than the display
  int bitsPerPixel = 8;                          // 8, 16, 24 or 32
  int offscreenUsage = 0;                        // 0 none, 1 "2D", 2 "Z", 3 "3D"
  int zoom = 1;                                  // 1, 2 or 4
  int fontDpi = 96;
  int originX = 0, originY = 0;
  // Hardware and driver
  DWORD videoMemory = 4 * 1024 * 1024;
  bool onTheFlyDepth = true;
  DWORD version = 0x30009;
  std::vector<Board> boards = {Board{}};
  DWORD timingSource = 1;        // 0 mode file, 1 built-in timings, 2 test timings
  std::string monitorDeviceKey;  // under HKEY_LOCAL_MACHINE; empty: none
  bool monitorAnswersDdc = false;
  bool modeSuitsPnpMonitor = true;
};

// ---- Configuration ----

// Replaces the adapter's configuration and mode at once (origin clamped).
// false and the reason when the configuration is inconsistent; nothing changes then.
bool Configure(const Config& config, std::string* error = nullptr);
Config CurrentConfig();  // the hardware as configured, the mode as it is now

// Named configurations for `ovx station init --adapter NAME`.
std::vector<std::string> PresetNames();
std::optional<Config> Preset(const std::string& name);

// An adapter file: "key = value" lines, '#' comments, a "[board]" line before
// each board's keys. Unknown keys and bad values are errors naming the line.
bool ReadConfigFile(const std::string& hostPath, Config& config, std::string* error);
bool WriteConfigFile(const std::string& hostPath, const Config& config);
// <station root>/adapter.ini: read at every boot when present (a damaged file
// is reported on stderr, left as it is, and the defaults are used).
std::string StationConfigPath();
// A preset name or an adapter file: applied to the running station and kept
// as its adapter.ini, so later boots of the station have the same adapter.
bool UseConfig(const std::string& presetOrFile, std::string* error);

// ---- State ----

struct State {
  int displayWidth, displayHeight, desktopWidth, desktopHeight;
  int bitsPerPixel, offscreenUsage, zoom, fontDpi;
  int originX, originY;
  int visibleWidth, visibleHeight;  // display size / zoom
  DWORD timingSource;
  DWORD timing[15];     // the timing state (word 0 = 0: none)
  int modeChangeDepth;  // open 0xC4D8ACCE brackets
  int restartRequests;  // 0xC4D8ACEA count
};
State CurrentState();

// Zoom as the feature control library sets it: 1, 2 or 4 (others refused);
// the origin is clamped. A change is a change notification.
bool SetZoom(int zoom);
// Moves the visible origin (clamped); a move is a pan notification.
void SetOrigin(int x, int y);
// The cursor moved to (x, y) in desktop coordinates: when it left the visible
// part the origin moves by the least amount that brings it back.
void OnCursorMoved(int x, int y);

// ---- Notifications ----

enum class Event { ModeChanged, Panned };
using Listener = std::function<void(Event)>;
// Called after the change, outside the adapter's lock, on the changing thread.
int AddListener(Listener listener);
void RemoveListener(int id);

// ---- Fault switches (cleared at boot and by ClearFaults) ----

struct Faults {
  bool escapeFails = false;      // every 0x8008 request fails, output untouched
  DWORD probeHighHalf = 0;       // high 16 bits of the QUERYESCSUPPORT answer
  bool noEscape = false;         // QUERYESCSUPPORT answers 0 for 0x8008
  std::optional<DWORD> version;  // 0xC4D8AA00 answers this
  bool noBoards = false;         // 0xC4D8ACDF answers 0
  int refreshCount = -1;         // >= 0: 0xC4D8ACE0 claims this count (rates stop at the buffer)
  bool modeSetFails = false;     // ChangeDisplaySettingsA: DISP_CHANGE_FAILED
  bool getDCFails = false;       // GetDC answers NULL
};
void SetFaults(const Faults& faults);
Faults CurrentFaults();
void ClearFaults();

// ---- Device log: DCs and escapes, in order ----

struct LogEntry {
  enum Kind { GetDC, ReleaseDC, Escape } kind;
  HDC dc;
  HWND window;  // GetDC / ReleaseDC argument
  int escape;   // ExtEscape number
  DWORD code;   // first input word of 0x8008 (or the queried escape), 0 when none
  std::vector<BYTE> input;
  int inputSize, outputSize;
  int result;  // ExtEscape / ReleaseDC result; GetDC: 1 when a DC was given
};
std::vector<LogEntry> DeviceLog();
std::vector<LogEntry> EscapeLog();  // the Escape entries only
void ClearDeviceLog();
// GetDC successes minus ReleaseDC successes since boot.
int OpenScreenDCs();

// ---- Gamma ----

enum class GammaMode { Full, EightBit, Refuses };
void SetGammaMode(GammaMode mode);
// The stored ramp (what the hardware holds); 768 entries red, green, blue.
std::vector<WORD> GammaRamp();

// ---- Device side: called by the host's GDI and USER only ----

// An escape on a screen DC; writes at most outSize bytes.
int DeviceEscape(HDC dc, int escape, int inSize, const void* in, int outSize, void* out);
void NoteGetDC(HWND window, HDC dc);
void NoteReleaseDC(HWND window, HDC dc, int result);
bool DeviceGetGammaRamp(WORD* ramp);
bool DeviceSetGammaRamp(const WORD* ramp);
bool GetDCFaultActive();
// A mode change of ChangeDisplaySettingsA: desktop size and depth.
// `test` only checks; the answer is a DISP_CHANGE_* code.
LONG DeviceChangeMode(int desktopWidth, int desktopHeight, int bitsPerPixel, bool test);

}  // namespace host::adapter
