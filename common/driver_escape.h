// The display driver's private escape family, as the utilities use it: the
// channel (escape 0x8008 on a device context of the desktop window), the
// probe, the version gate and one typed request per sub-function.
//
// Every request takes a device context of the desktop window just before the
// call and releases it right after. Every output buffer is zeroed before the
// call, so a driver that fails or answers short leaves zeros, never stale
// memory; texts are always terminated; counts are clamped to their buffers.
// Each request can report whether the driver answered (ExtEscape above 0);
// callers that need not know pass nothing.
#pragma once

#include <windows.h>

namespace driver {

inline constexpr int kEscape = 0x8008;
inline constexpr WORD kEscapeSignature = 0xC4D8;  // low half of the QUERYESCSUPPORT answer
inline constexpr DWORD kGateVersion = 0x30008;

enum SubFunction : DWORD {
  kVersion = 0xC4D8AA00,
  kOnTheFlyDepth = 0xC4D8ACD6,
  kDisplayState = 0xC4D8ACED,
  kVisibleOrigin = 0xC4D8ACEF,
  kModeSettable = 0xC4D8ACEE,
  kModeChangeBracket = 0xC4D8ACCE,
  kDepthOnTheFly = 0xC4D8ACD7,
  kDisplayResolution = 0xC4D8ACDE,
  kRestart = 0xC4D8ACEA,
  kRefreshRates = 0xC4D8ACE0,
  kBuiltInTiming = 0xC4D8ACD8,
  kTimingState = 0xC4D8ACE1,
  kProgramTiming = 0xC4D8ACE3,
  kTimingSource = 0xC4D8ACE7,
  kBoardCount = 0xC4D8ACDF,
  kBoardDescription = 0xC4D8ACE2,
  kMonitorDeviceKey = 0xC4D8ACDC,
  kMonitorDdc = 0xC4D8ACD0,
  kModeSuitsPnp = 0xC4D8ACC1,
};

// Off-screen usage of the display state and of mode queries.
enum OffscreenUsage : LONG { kOffscreenNone = 0, kOffscreen2D = 1, kOffscreenZ = 2, kOffscreen3D = 3 };

// Where the driver takes its timings from (0xC4D8ACE7).
enum TimingSource : DWORD { kSourceModeFile = 0, kSourceBuiltIn = 1, kSourceTest = 2 };

// The display state record (36 bytes). The zoom is never 0: a driver that
// answers 0 (or does not answer) is read as zoom 1.
struct DisplayState {
  LONG displayWidth, displayHeight;  // pixels scanned, before zoom
  LONG desktopWidth, desktopHeight;
  LONG bitsPerPixel;
  LONG offscreenUsage;
  LONG zoom;  // 1, 2 or 4
  LONG unused;
  LONG fontDpi;  // 96 small fonts, 120 large
  LONG VisibleWidth() const { return displayWidth / zoom; }
  LONG VisibleHeight() const { return displayHeight / zoom; }
  // Panning is possible unless zoom is 1 and the display shows the whole desktop.
  bool CanPan() const { return !(zoom == 1 && displayWidth == desktopWidth && displayHeight == desktopHeight); }
};

struct VisibleOrigin {
  LONG x, y;
};

// The fifteen-field timing block (60 bytes) of 0xC4D8ACD8, 0xC4D8ACE1 and 0xC4D8ACE3.
struct TimingBlock {
  LONG pixelClock;  // kHz
  LONG hDisp, hFrontPorch, hSync, hBackPorch, hOverscan;
  LONG vDisp, vFrontPorch, vSync, vBackPorch, vOverscan;
  LONG overscanEnable, interlaceEnable;
  LONG hSyncPolarity, vSyncPolarity;
};
inline constexpr int kTimingBlockBytes = 60;
static_assert(sizeof(TimingBlock) == kTimingBlockBytes, "fifteen 32-bit fields");
bool operator==(const TimingBlock& a, const TimingBlock& b);

// A board description (0xC4D8ACE2), decoded from its 112 bytes.
struct BoardDescription {
  DWORD flags;            // bit 0: the active board
  WORD deviceId;          // low 16 bits of the word at 4
  WORD boardId;           // low 16 bits of the word at 8
  WORD maxPixelClockMHz;  // high 16 bits of the word at 16
  char name[32];          // bytes 80 to 111, always terminated
  bool IsActive() const { return (flags & 1) != 0; }
};

// Built-in refresh rates of a mode (0xC4D8ACE0): count never above 32.
inline constexpr int kMaxRefreshRates = 32;
struct RefreshRates {
  int count;
  DWORD rates[kMaxRefreshRates];
};

// A mode to ask about (0xC4D8ACEE).
struct ModeQuery {
  LONG displayWidth, displayHeight;
  LONG desktopWidth, desktopHeight;
  LONG bitsPerPixel;
  LONG offscreenUsage;
  LONG zoom;
  LONG lastWord;  // 1 from the Monitor page, 0 from the tray switcher
};

inline constexpr int kDeviceKeyBytes = 1024;

// ---- Channel ----

// QUERYESCSUPPORT for 0x8008 on the desktop window's DC; the raw answer
// (0 when no DC could be had).
int QueryEscapeSupport();
// Whether the low 16 bits of a QUERYESCSUPPORT answer carry the signature.
bool IsEscapeSignature(int answer);
// The probe: the escape family exists.
bool ProbeEscape();

// One escape 0x8008 on its own desktop DC. The output is zeroed first; the
// result is ExtEscape's (0 when no DC could be had).
int Request(const void* input, int inputSize, void* output, int outputSize);

// ---- Version gate ----

enum class GateResult {
  NoEscape,  // the probe failed
  TooOld,    // version below 0x30008
  Passed,
};
struct DriverGate {
  GateResult result;
  DWORD version;       // 0 when the probe failed
  bool onTheFlyDepth;  // asked only above 0x30008
};
// The probe, the version and, above 0x30008, the on-the-fly depth flag, on
// one desktop DC released before returning.
DriverGate CheckDriverGate();
// The comparison alone (unsigned): exactly 0x30008 passes.
inline bool VersionPasses(DWORD version) { return version >= kGateVersion; }
inline bool VersionAsksDepth(DWORD version) { return version > kGateVersion; }

// ---- Typed requests ----

DWORD ReadVersion(bool* answered = nullptr);
bool ReadOnTheFlyDepth(bool* answered = nullptr);
DisplayState ReadDisplayState(bool* answered = nullptr);
VisibleOrigin ReadVisibleOrigin(bool* answered = nullptr);
bool CanSetMode(const ModeQuery& mode, bool* answered = nullptr);
// 0xC4D8ACCE with 0xFFFFFFFF before a change of the desktop mode, 0 after.
void BeginModeChange(bool* answered = nullptr);
void EndModeChange(bool* answered = nullptr);
// 0xC4D8ACD7: "%dx%dx%d" of desktop width, height and depth, in 32 bytes.
void SwitchDepthOnTheFly(LONG desktopWidth, LONG desktopHeight, LONG bitsPerPixel, bool* answered = nullptr);
// 0xC4D8ACDE: a new display size inside the unchanged desktop.
void SetDisplayResolution(LONG width, LONG height, bool* answered = nullptr);
void RequestRestart(bool* answered = nullptr);
// Zoom 0 is sent as given: callers pass their zoom "or 1".
RefreshRates ReadRefreshRates(LONG width, LONG height, LONG bitsPerPixel, LONG zoom, bool* answered = nullptr);
TimingBlock ReadBuiltInTiming(LONG width, LONG height, LONG bitsPerPixel, LONG zoom, LONG refresh,
                              bool* answered = nullptr);
// Pixel clock 0: the driver holds no timing.
TimingBlock ReadTimingState(bool* answered = nullptr);
DWORD ProgramTiming(const TimingBlock& timing, bool* answered = nullptr);
DWORD SetTimingSource(TimingSource source, bool* answered = nullptr);
DWORD ReadBoardCount(bool* answered = nullptr);
BoardDescription ReadBoard(DWORD index, bool* answered = nullptr);
// The monitor's device key under HKEY_LOCAL_MACHINE, "" when none; always terminated.
void ReadMonitorDeviceKey(char (&key)[kDeviceKeyBytes], bool* answered = nullptr);
bool ReadMonitorAnswersDdc(bool* answered = nullptr);
bool ReadModeSuitsPnpMonitor(bool* answered = nullptr);

// The "%dx%dx%d" text of 0xC4D8ACD7, cut to its 32 bytes and terminated.
void FormatModeText(LONG width, LONG height, LONG bitsPerPixel, char (&text)[32]);

}  // namespace driver
