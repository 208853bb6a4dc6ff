// The stand-in for the adapter's 16-bit acceleration library, hwpl16.DLL, as
// tests and the station see it: what it answers, and a record of every call.
//
// The library is reached through the universal thunk (UTInit, UTProc) and
// implements the function numbers of hwpl_blocks.h. Get its control with
//   auto control = reinterpret_cast<hwpl16::Control*(WINAPI*)()>(
//       GetProcAddress(LoadLibraryA("hwpl16.DLL"), "Hwpl16Control"))();
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace hwpl16 {

// How the library answers; Reset restores these values.
struct Settings {
  bool initFails = false;             // UTInit answers 0
  int allocationsBeforeFailure = -1;  // buffers, clip lists, contexts, light sources; -1: never fail
  bool accelerated = true;            // orvDisplayInit
  WORD loadStatus = 0;                // orvLoadHWPL: 0 loads, else the status it reports
  bool postsFail = false;             // orvPostBuffer answers 0
  std::optional<DWORD> answer;        // answer every call with this, doing nothing
  // Hardware description.
  BYTE colourModeCode = 0;  // high nibble of byte 4
  WORD screenWidth = 1280;
  WORD screenHeight = 1024;
  BYTE screenFlags = 0x10;
  // Command-list sub-blocks 1, 3 and 0x21.
  WORD linePitch = 5120;
  WORD maxLineCount = 1023;
  DWORD videoBase = 0xE0000000;
  // orvGetInfo's answers.
  DWORD infoValues[4] = {0x0201, 0x00800000, 1280, 1024};
};

// One UTProc call as the 16-bit side saw it.
struct Call {
  DWORD function = 0;
  DWORD segBlock = 0;           // the block's 16:16 pointer; 0 for none
  const void* block = nullptr;  // its flat address, when the pointer was valid
  std::vector<BYTE> bytes;      // the block's bytes, as long as the function's block is
  DWORD result = 0;
};

struct Packet {
  std::vector<WORD> words;  // from the opcode word on
  WORD opcode() const { return words.empty() ? 0 : words[0]; }
};

// One orvPostBuffer, decoded.
struct Post {
  DWORD buffer = 0;
  DWORD count = 0;
  DWORD flags = 0;
  std::vector<Packet> packets;
  bool ended = false;   // an end word was found
  std::string problem;  // why decoding stopped early ("" when it did not)
};

struct Init {
  DWORD callbackTo32 = 0;  // the callback UTInit was given (0: none)
  DWORD segBuffer = 0;
};

// Source rectangle of a blend surface: x of its left and right columns and the
// video memory addresses of its first and last line.
struct SurfaceRect {
  DWORD left, startAddress, right, endAddress;
};

class Control {
 public:
  // Frees every handle, forgets the record and restores the settings.
  virtual void Reset() = 0;
  virtual Settings& settings() = 0;
  virtual std::vector<Init> inits() = 0;
  virtual std::vector<Call> calls() = 0;
  virtual std::vector<Post> posts() = 0;
  virtual void ClearRecord() = 0;
  // The rectangles last installed on a clip list with orvSetCL (left, top, right, bottom).
  virtual std::vector<RECT> clipRects(DWORD clipList) = 0;
  virtual bool IsLive(DWORD handle) = 0;
  // Locks held on all handles together.
  virtual int lockCount() = 0;
  // Makes a surface with a rectangle list for orvBlendCL; its handle.
  virtual DWORD NewBlendSurface(const std::vector<SurfaceRect>& rects) = 0;
  // Every rectangle the capture stored, in order (inclusive screen coordinates).
  virtual std::vector<RECT> captured() = 0;

 protected:
  ~Control() = default;
};

}  // namespace hwpl16

extern "C" hwpl16::Control* WINAPI Hwpl16Control(void);
