#include "driver_escape.h"

#include <stdio.h>
#include <string.h>

namespace driver {
namespace {

// Buffers are built and read word by word, little-endian, as the driver lays them out.
void PutWord(BYTE* bytes, int offset, DWORD value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
}

DWORD GetWord(const BYTE* bytes, int offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<DWORD>(bytes[offset + 3]) << 24;
}

// An input of the code followed by up to eight parameter words.
struct Input {
  BYTE bytes[64];
  int size;
};

Input MakeInput(DWORD code, const DWORD* params = nullptr, int count = 0) {
  Input input{};
  PutWord(input.bytes, 0, code);
  for (int i = 0; i < count; ++i) PutWord(input.bytes, 4 + 4 * i, params[i]);
  input.size = 4 + 4 * count;
  return input;
}

class DesktopDC {
 public:
  DesktopDC() : window_(GetDesktopWindow()), dc_(GetDC(window_)) {}
  ~DesktopDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  DesktopDC(const DesktopDC&) = delete;
  DesktopDC& operator=(const DesktopDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

int EscapeOn(HDC dc, const void* input, int inputSize, void* output, int outputSize) {
  if (output && outputSize > 0) memset(output, 0, outputSize);
  if (!dc) return 0;
  return ExtEscape(dc, kEscape, inputSize, static_cast<LPCSTR>(input), outputSize, static_cast<LPSTR>(output));
}

int QueryEscapeSupportOn(HDC dc) {
  if (!dc) return 0;
  BYTE query[4];
  PutWord(query, 0, kEscape);
  return ExtEscape(dc, QUERYESCSUPPORT, sizeof(query), reinterpret_cast<LPCSTR>(query), 0, nullptr);
}

void Report(bool* answered, int result) {
  if (answered) *answered = result > 0;
}

// A request with a one-word answer.
DWORD AskWord(const Input& input, bool* answered) {
  BYTE out[4];
  Report(answered, Request(input.bytes, input.size, out, sizeof(out)));
  return GetWord(out, 0);
}

// A request whose answer callers do not read (still given its tabled room).
void Send(const Input& input, int outputSize, bool* answered) {
  BYTE out[4];
  Report(answered, Request(input.bytes, input.size, outputSize ? out : nullptr, outputSize));
}

TimingBlock DecodeTiming(const BYTE* bytes) {
  LONG words[15];
  for (int i = 0; i < 15; ++i) words[i] = static_cast<LONG>(GetWord(bytes, 4 * i));
  return TimingBlock{words[0], words[1], words[2],  words[3],  words[4],  words[5],  words[6], words[7],
                     words[8], words[9], words[10], words[11], words[12], words[13], words[14]};
}

void EncodeTiming(const TimingBlock& t, BYTE* bytes) {
  const LONG words[15] = {t.pixelClock, t.hDisp,          t.hFrontPorch,     t.hSync,         t.hBackPorch,
                          t.hOverscan,  t.vDisp,          t.vFrontPorch,     t.vSync,         t.vBackPorch,
                          t.vOverscan,  t.overscanEnable, t.interlaceEnable, t.hSyncPolarity, t.vSyncPolarity};
  for (int i = 0; i < 15; ++i) PutWord(bytes, 4 * i, static_cast<DWORD>(words[i]));
}

}  // namespace

bool operator==(const TimingBlock& a, const TimingBlock& b) { return memcmp(&a, &b, sizeof(TimingBlock)) == 0; }

int QueryEscapeSupport() {
  DesktopDC dc;
  return QueryEscapeSupportOn(dc.get());
}

bool IsEscapeSignature(int answer) { return LOWORD(answer) == kEscapeSignature; }

bool ProbeEscape() { return IsEscapeSignature(QueryEscapeSupport()); }

int Request(const void* input, int inputSize, void* output, int outputSize) {
  DesktopDC dc;
  return EscapeOn(dc.get(), input, inputSize, output, outputSize);
}

DriverGate CheckDriverGate() {
  DriverGate gate{GateResult::NoEscape, 0, false};
  DesktopDC dc;
  if (!IsEscapeSignature(QueryEscapeSupportOn(dc.get()))) return gate;
  BYTE out[4];
  Input version = MakeInput(kVersion);
  EscapeOn(dc.get(), version.bytes, version.size, out, sizeof(out));
  gate.version = GetWord(out, 0);
  if (!VersionPasses(gate.version)) {
    gate.result = GateResult::TooOld;
    return gate;
  }
  gate.result = GateResult::Passed;
  if (VersionAsksDepth(gate.version)) {
    Input depth = MakeInput(kOnTheFlyDepth);
    EscapeOn(dc.get(), depth.bytes, depth.size, out, sizeof(out));
    gate.onTheFlyDepth = GetWord(out, 0) != 0;
  }
  return gate;
}

DWORD ReadVersion(bool* answered) { return AskWord(MakeInput(kVersion), answered); }

bool ReadOnTheFlyDepth(bool* answered) { return AskWord(MakeInput(kOnTheFlyDepth), answered) != 0; }

DisplayState ReadDisplayState(bool* answered) {
  BYTE out[36];
  Input input = MakeInput(kDisplayState);
  Report(answered, Request(input.bytes, input.size, out, sizeof(out)));
  LONG w[9];
  for (int i = 0; i < 9; ++i) w[i] = static_cast<LONG>(GetWord(out, 4 * i));
  DisplayState state{w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8]};
  if (state.zoom == 0) state.zoom = 1;  // every caller divides by it
  return state;
}

VisibleOrigin ReadVisibleOrigin(bool* answered) {
  BYTE out[8];
  Input input = MakeInput(kVisibleOrigin);
  Report(answered, Request(input.bytes, input.size, out, sizeof(out)));
  return VisibleOrigin{static_cast<LONG>(GetWord(out, 0)), static_cast<LONG>(GetWord(out, 4))};
}

bool CanSetMode(const ModeQuery& m, bool* answered) {
  const DWORD params[8] = {static_cast<DWORD>(m.displayWidth), static_cast<DWORD>(m.displayHeight),
                           static_cast<DWORD>(m.desktopWidth), static_cast<DWORD>(m.desktopHeight),
                           static_cast<DWORD>(m.bitsPerPixel), static_cast<DWORD>(m.offscreenUsage),
                           static_cast<DWORD>(m.zoom),         static_cast<DWORD>(m.lastWord)};
  return AskWord(MakeInput(kModeSettable, params, 8), answered) != 0;
}

void BeginModeChange(bool* answered) {
  const DWORD param = 0xFFFFFFFF;
  Send(MakeInput(kModeChangeBracket, &param, 1), 0, answered);
}

void EndModeChange(bool* answered) {
  const DWORD param = 0;
  Send(MakeInput(kModeChangeBracket, &param, 1), 0, answered);
}

void FormatModeText(LONG width, LONG height, LONG bitsPerPixel, char (&text)[32]) {
  memset(text, 0, sizeof(text));
  snprintf(text, sizeof(text), "%ldx%ldx%ld", static_cast<long>(width), static_cast<long>(height),
           static_cast<long>(bitsPerPixel));
}

void SwitchDepthOnTheFly(LONG desktopWidth, LONG desktopHeight, LONG bitsPerPixel, bool* answered) {
  Input input = MakeInput(kDepthOnTheFly);
  char text[32];
  FormatModeText(desktopWidth, desktopHeight, bitsPerPixel, text);
  memcpy(input.bytes + 4, text, sizeof(text));
  input.size = 4 + sizeof(text);
  Send(input, 4, answered);
}

void SetDisplayResolution(LONG width, LONG height, bool* answered) {
  const DWORD params[2] = {static_cast<DWORD>(width), static_cast<DWORD>(height)};
  Send(MakeInput(kDisplayResolution, params, 2), 4, answered);
}

void RequestRestart(bool* answered) { Send(MakeInput(kRestart), 4, answered); }

RefreshRates ReadRefreshRates(LONG width, LONG height, LONG bitsPerPixel, LONG zoom, bool* answered) {
  const DWORD params[5] = {static_cast<DWORD>(width), static_cast<DWORD>(height), static_cast<DWORD>(bitsPerPixel), 0,
                           static_cast<DWORD>(zoom)};
  Input input = MakeInput(kRefreshRates, params, 5);
  BYTE out[4 + 4 * kMaxRefreshRates];
  Report(answered, Request(input.bytes, input.size, out, sizeof(out)));
  RefreshRates rates{};
  DWORD count = GetWord(out, 0);  // a driver may claim more than the answer holds
  rates.count = count > kMaxRefreshRates ? kMaxRefreshRates : static_cast<int>(count);
  for (int i = 0; i < rates.count; ++i) rates.rates[i] = GetWord(out, 4 + 4 * i);
  return rates;
}

TimingBlock ReadBuiltInTiming(LONG width, LONG height, LONG bitsPerPixel, LONG zoom, LONG refresh, bool* answered) {
  const DWORD params[6] = {static_cast<DWORD>(width), static_cast<DWORD>(height), static_cast<DWORD>(bitsPerPixel), 0,
                           static_cast<DWORD>(zoom),  static_cast<DWORD>(refresh)};
  Input input = MakeInput(kBuiltInTiming, params, 6);
  BYTE out[kTimingBlockBytes];
  Report(answered, Request(input.bytes, input.size, out, sizeof(out)));
  return DecodeTiming(out);
}

TimingBlock ReadTimingState(bool* answered) {
  Input input = MakeInput(kTimingState);
  BYTE out[kTimingBlockBytes];
  Report(answered, Request(input.bytes, input.size, out, sizeof(out)));
  return DecodeTiming(out);
}

DWORD ProgramTiming(const TimingBlock& timing, bool* answered) {
  Input input = MakeInput(kProgramTiming);
  EncodeTiming(timing, input.bytes + 4);
  input.size = 4 + kTimingBlockBytes;
  return AskWord(input, answered);
}

DWORD SetTimingSource(TimingSource source, bool* answered) {
  const DWORD param = source;
  return AskWord(MakeInput(kTimingSource, &param, 1), answered);
}

DWORD ReadBoardCount(bool* answered) { return AskWord(MakeInput(kBoardCount), answered); }

BoardDescription ReadBoard(DWORD index, bool* answered) {
  Input input = MakeInput(kBoardDescription, &index, 1);
  BYTE out[112];
  Report(answered, Request(input.bytes, input.size, out, sizeof(out)));
  BoardDescription board{};
  board.flags = GetWord(out, 0);
  board.deviceId = LOWORD(GetWord(out, 4));
  board.boardId = LOWORD(GetWord(out, 8));
  board.maxPixelClockMHz = HIWORD(GetWord(out, 16));
  memcpy(board.name, out + 80, sizeof(board.name));
  board.name[sizeof(board.name) - 1] = '\0';
  return board;
}

void ReadMonitorDeviceKey(char (&key)[kDeviceKeyBytes], bool* answered) {
  Input input = MakeInput(kMonitorDeviceKey);
  Report(answered, Request(input.bytes, input.size, key, kDeviceKeyBytes));
  key[kDeviceKeyBytes - 1] = '\0';
}

bool ReadMonitorAnswersDdc(bool* answered) { return AskWord(MakeInput(kMonitorDdc), answered) != 0; }

bool ReadModeSuitsPnpMonitor(bool* answered) { return AskWord(MakeInput(kModeSuitsPnp), answered) != 0; }

}  // namespace driver
