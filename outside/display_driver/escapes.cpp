// The driver's escape interface: QUERYESCSUPPORT and the private escape
// 0x8008 with its 0xC4D8xxxx sub-functions. A request whose input is shorter
// than its parameters fails (-1) and writes nothing; answers are cut to the
// caller's output size, never written past it.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "adapter_model.h"
#include "driver_escape.h"

namespace host::adapter {
namespace {

// The sub-function codes are the interface the utilities are written against.
using namespace driver;

DWORD WordAt(const BYTE* bytes, int index) {
  const BYTE* p = bytes + 4 * index;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24;
}

void PutWord(std::vector<BYTE>& bytes, size_t offset, DWORD value) {
  if (bytes.size() < offset + 4) bytes.resize(offset + 4);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
}

std::vector<BYTE> Words(std::initializer_list<DWORD> values) {
  std::vector<BYTE> bytes;
  size_t offset = 0;
  for (DWORD value : values) {
    PutWord(bytes, offset, value);
    offset += 4;
  }
  return bytes;
}

// Bytes of input each sub-function needs, its code included.
int InputSize(DWORD code) {
  switch (code) {
    case kModeSettable:
    case kDepthOnTheFly:
      return 36;
    case kModeChangeBracket:
    case kTimingSource:
    case kBoardDescription:
      return 8;
    case kDisplayResolution:
      return 12;
    case kRefreshRates:
      return 24;
    case kBuiltInTiming:
      return 28;
    case kProgramTiming:
      return 64;
    default:
      return 4;
  }
}

std::vector<BYTE> DisplayStateRecord(const Config& c) {
  return Words({static_cast<DWORD>(c.displayWidth), static_cast<DWORD>(c.displayHeight),
                static_cast<DWORD>(c.desktopWidth), static_cast<DWORD>(c.desktopHeight),
                static_cast<DWORD>(c.bitsPerPixel), static_cast<DWORD>(c.offscreenUsage), static_cast<DWORD>(c.zoom), 0,
                static_cast<DWORD>(c.fontDpi)});
}

std::vector<BYTE> RefreshList(const Model& model, const BYTE* in) {
  int width = WordAt(in, 1), height = WordAt(in, 2), bpp = WordAt(in, 3), zoom = WordAt(in, 5);
  if (zoom == 0) zoom = 1;
  std::vector<BYTE> answer = Words({0});
  answer.resize(132);
  const Config& c = model.config;
  if (!ModeSettable(c, width, height, width, height, bpp, 0, zoom)) return answer;
  std::vector<DWORD> rates;
  for (const Timing* timing : TimingsFor(width, height, ActiveBoardClockMHz(c))) rates.push_back(timing->refreshHz);
  DWORD count = rates.size();
  if (model.faults.refreshCount >= 0) {
    // A list longer than the answer has room for: one rate per Hz from 50 on.
    count = model.faults.refreshCount;
    rates.clear();
    for (DWORD i = 0; i < count && i < 32; ++i) rates.push_back(50 + i);
  }
  PutWord(answer, 0, count);
  for (size_t i = 0; i < rates.size() && i < 32; ++i) PutWord(answer, 4 + 4 * i, rates[i]);
  return answer;
}

std::vector<BYTE> BuiltInTiming(const Model& model, const BYTE* in) {
  int width = WordAt(in, 1), height = WordAt(in, 2), bpp = WordAt(in, 3), zoom = WordAt(in, 5);
  DWORD refresh = WordAt(in, 6);
  if (zoom == 0) zoom = 1;
  std::vector<BYTE> answer(60, 0);
  if (!ModeSettable(model.config, width, height, width, height, bpp, 0, zoom)) return answer;
  for (const Timing* timing : TimingsFor(width, height, ActiveBoardClockMHz(model.config))) {
    if (timing->refreshHz != refresh) continue;
    DWORD words[kTimingWords];
    TimingToWords(*timing, words);
    for (int i = 0; i < kTimingWords; ++i) PutWord(answer, 4 * i, words[i]);
  }
  return answer;
}

// A timing the board can scan: something to show and a clock within its limit.
bool PlausibleTiming(const Config& c, const DWORD* words) {
  DWORD clock = words[0];
  return clock > 0 && clock <= ActiveBoardClockMHz(c) * 1000 && words[1] > 0 && words[6] > 0 && words[1] <= 4096 &&
         words[6] <= 4096;
}

std::vector<BYTE> BoardDescription(const Config& c, DWORD index) {
  std::vector<BYTE> answer(112, 0);
  if (index >= c.boards.size()) return answer;
  const Board& board = c.boards[index];
  PutWord(answer, 0, board.flags);
  PutWord(answer, 4, board.deviceId);
  PutWord(answer, 8, board.boardId);
  PutWord(answer, 16, static_cast<DWORD>(board.maxPixelClockMHz) << 16);
  // The name field is 32 bytes; a name that fills it has no terminator.
  std::memcpy(answer.data() + 80, board.name.data(), std::min<size_t>(board.name.size(), 32));
  return answer;
}

std::vector<BYTE> DeviceKey(const std::string& key) {
  std::vector<BYTE> answer(1024, 0);
  std::memcpy(answer.data(), key.data(), std::min<size_t>(key.size(), 1024));
  return answer;
}

// "%dx%dx%d" in a 32-byte field; false when malformed or unterminated.
bool ParseModeText(const BYTE* field, int& width, int& height, int& bpp) {
  if (!std::memchr(field, 0, 32)) return false;
  char tail = 0;
  return std::sscanf(reinterpret_cast<const char*>(field), "%dx%dx%d%c", &width, &height, &bpp, &tail) == 3;
}

// Runs one sub-function; false: the request failed.
bool RunSubFunction(Model& model, DWORD code, const BYTE* in, std::vector<BYTE>& answer, Notifications& notes) {
  Config& c = model.config;
  switch (code) {
    case kVersion:
      answer = Words({model.faults.version.value_or(c.version)});
      return true;
    case kOnTheFlyDepth:
      answer = Words({c.onTheFlyDepth ? 1u : 0u});
      return true;
    case kDisplayState:
      answer = DisplayStateRecord(c);
      return true;
    case kVisibleOrigin:
      answer = Words({static_cast<DWORD>(c.originX), static_cast<DWORD>(c.originY)});
      return true;
    case kModeSettable: {
      int w[7];
      for (int i = 0; i < 7; ++i) w[i] = WordAt(in, i + 1);
      answer = Words({ModeSettable(c, w[0], w[1], w[2], w[3], w[4], w[5], w[6]) ? 1u : 0u});
      return true;
    }
    case kModeChangeBracket:
      if (WordAt(in, 1) == 0xFFFFFFFF)
        ++model.modeChangeDepth;
      else if (WordAt(in, 1) == 0 && model.modeChangeDepth > 0)
        --model.modeChangeDepth;
      return true;
    case kDepthOnTheFly: {
      int width = 0, height = 0, bpp = 0;
      bool done = c.onTheFlyDepth && ParseModeText(in + 4, width, height, bpp) &&
                  ApplyFullModeChange(model, width, height, bpp, false, notes);
      answer = Words({done ? 1u : 0u});
      return true;
    }
    case kDisplayResolution:
      answer = Words({ApplyDisplayResolution(model, WordAt(in, 1), WordAt(in, 2), notes) ? 1u : 0u});
      return true;
    case kRestart:
      ++model.restartRequests;
      answer = Words({1});
      return true;
    case kRefreshRates:
      answer = RefreshList(model, in);
      return true;
    case kBuiltInTiming:
      answer = BuiltInTiming(model, in);
      return true;
    case kTimingState:
      answer.clear();
      for (int i = 0; i < kTimingWords; ++i) PutWord(answer, 4 * i, model.timing[i]);
      return true;
    case kProgramTiming: {
      DWORD words[kTimingWords];
      for (int i = 0; i < kTimingWords; ++i) words[i] = WordAt(in, i + 1);
      bool plausible = PlausibleTiming(c, words);
      if (plausible) std::copy(std::begin(words), std::end(words), model.timing);
      answer = Words({plausible ? 1u : 0u});
      return true;
    }
    case kTimingSource: {
      DWORD source = WordAt(in, 1);
      if (source <= 2) c.timingSource = source;
      answer = Words({source <= 2 ? 1u : 0u});
      return true;
    }
    case kBoardCount:
      answer = Words({model.faults.noBoards ? 0u : static_cast<DWORD>(c.boards.size())});
      return true;
    case kBoardDescription:
      answer = BoardDescription(c, WordAt(in, 1));
      return true;
    case kMonitorDeviceKey:
      answer = DeviceKey(c.monitorDeviceKey);
      return true;
    case kMonitorDdc:
      answer = Words({c.monitorAnswersDdc ? 1u : 0u});
      return true;
    case kModeSuitsPnp:
      answer = Words({c.modeSuitsPnpMonitor ? 1u : 0u});
      return true;
    default:
      return false;
  }
}

}  // namespace

int HandleDriverEscape(Model& model, int inSize, const BYTE* in, int outSize, BYTE* out, Notifications& notes) {
  if (model.faults.escapeFails || !in || inSize < 4) return -1;
  DWORD code = WordAt(in, 0);
  if (inSize < InputSize(code)) return -1;
  std::vector<BYTE> answer;
  if (!RunSubFunction(model, code, in, answer, notes)) return 0;
  if (out && outSize > 0) std::memcpy(out, answer.data(), std::min<size_t>(outSize, answer.size()));
  return 1;
}

int DeviceEscape(HDC dc, int escape, int inSize, const void* input, int outSize, void* output) {
  Notifications notes;
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  const BYTE* in = static_cast<const BYTE*>(input);
  LogEntry entry{LogEntry::Escape, dc, nullptr, escape, 0, {}, inSize, outSize, 0};
  if (in && inSize > 0) entry.input.assign(in, in + inSize);
  if (in && inSize >= 4) entry.code = WordAt(in, 0);
  int result = 0;
  if (escape == QUERYESCSUPPORT) {
    if (in && inSize >= 4) {
      if (entry.code == static_cast<DWORD>(kDriverEscape))
        result = model.faults.noEscape ? 0 : static_cast<int>(kEscapeSignature | model.faults.probeHighHalf << 16);
      else if (entry.code == QUERYESCSUPPORT)
        result = 1;
    }
  } else if (escape == kDriverEscape) {
    result = HandleDriverEscape(model, inSize, in, outSize, static_cast<BYTE*>(output), notes);
  }
  entry.result = result;
  model.log.push_back(std::move(entry));
  return result;
}

}  // namespace host::adapter
