// The HWPL interface below the orv* calls: the function numbers hwpl32 passes
// through the thunk to the 16-bit acceleration library, and the layout of the
// blocks that library hands out by handle (read with orvGetFlatPtr). Shared by
// hwpl32, its callers and the 16-bit side.
//
// Every block is read and written field by field, little-endian; several
// fields sit at unaligned offsets.
#pragma once

#include <windows.h>

namespace hwpl {

// ---- Function numbers ------------------------------------------------------

enum Function : DWORD {
  kAllocBuffer = 1,
  kAllocCL = 2,
  kAllocRC = 3,
  kAllocLSDB = 4,
  kFreeBuffer = 5,
  kFreeCL = 6,
  kFreeLSDB = 7,
  kFreeRC = 8,
  kPostBuffer = 9,
  kSetCL = 10,
  kGetBlockSize = 12,
  kScScBitBlt = 13,
  kScMemBitBlt = 14,
  kMemScBitBlt = 15,
  kLockHandle = 32,          // block: handle; result: a handle orvGetFlatPtr resolves while locked
  kUnlockHandle = 33,        // block: the handle that was locked
  kCurrentCommandList = 34,  // no block; result: the command list's handle
  kLoadHWPL = 1001,
  kUnLoadHWPL = 1002,
  kDisplayInit = 1003,
  kResetAll = 1004,
  kGetHwData = 1005,
  kGetInfo = 1006,
  kClose = 1007,
  kGetFlatPtr = 1008,
  kClipCapture = 1010,
  kGetHotKeyUse = 1011,
  kSetHotKeyUse = 1012,
  kInitCtrlAPI = 1013,
  kDeInitCtrlAPI = 1014,
};

// ---- Field access ----------------------------------------------------------

inline WORD ReadWord(const void* block, DWORD offset) {
  auto* bytes = static_cast<const BYTE*>(block) + offset;
  return static_cast<WORD>(bytes[0] | bytes[1] << 8);
}

inline DWORD ReadDword(const void* block, DWORD offset) {
  return ReadWord(block, offset) | static_cast<DWORD>(ReadWord(block, offset + 2)) << 16;
}

inline void WriteWord(void* block, DWORD offset, WORD value) {
  auto* bytes = static_cast<BYTE*>(block) + offset;
  bytes[0] = LOBYTE(value);
  bytes[1] = HIBYTE(value);
}

inline void WriteDword(void* block, DWORD offset, DWORD value) {
  WriteWord(block, offset, LOWORD(value));
  WriteWord(block, offset + 2, HIWORD(value));
}

// ---- Buffers and posts -----------------------------------------------------

// orvAllocBuffer sizes and orvPostBuffer counts are in 32-bit units.
constexpr DWORD kBufferUnit = 4;
// A post holds 16-bit packets up to an end word: 0x0001 (the word or 32-bit 1
// that ends an immediate post, a batch and a blend command) or 0x0101 (the
// filler after a replayed leaf). The 16-bit side follows the end word within
// the buffer's size; the posted count is not a length (a batch is posted with
// 1, a blend command with 0).
constexpr WORD kEndWord = 0x0001;
constexpr WORD kLeafFillerWord = 0x0101;

// orvLoadHWPL's status word.
constexpr WORD kLoadStatusOk = 0;
constexpr WORD kLoadStatusLibraryMissing = 100;
constexpr WORD kLoadStatusNo3DInThisMode = 101;

// orvGetInfo: each of the four pointers (when not NULL) receives a 32-bit value.
// Library version, video memory in bytes, screen width, screen height.
constexpr int kInfoValues = 4;

// ---- Hardware description (orvGetHwData) ----------------------------------

constexpr DWORD kHwDataSize = 85;
constexpr DWORD kHwColourModeOffset = 4;  // bits 4-7: colour-mode code
constexpr BYTE kHwColourModeMask = 0xF0;
constexpr BYTE kColourModeNoSmooth = 0x10;    // this code rules out smooth animation
constexpr DWORD kHwScreenSurfaceOffset = 29;  // 32-bit handle of the screen-surface block

// Screen-surface block.
constexpr DWORD kScreenSurfaceSize = 16;
constexpr DWORD kScreenWidthOffset = 0;      // 16-bit, pixels
constexpr DWORD kScreenHeightOffset = 2;     // 16-bit, pixels
constexpr DWORD kScreenFlagsOffset = 4;      // 8-bit
constexpr BYTE kScreenPaletteMode = 0x04;    // 8-bit palettised display
constexpr BYTE kScreenSmoothOff = 0x08;      // smooth animation off, warning armed
constexpr BYTE kScreenSmoothAllowed = 0x10;  // needed for smooth animation when the colour-mode code is not 0

// ---- Command list (function 34) -------------------------------------------

// The current command list's block: the 32-bit handles of its sub-blocks, the
// handle of sub-block i at byte 4 i (0 where there is none). Each sub-block is
// locked (32), read through orvGetFlatPtr and unlocked (33).
constexpr DWORD kCommandListSubBlocks = 0x22;
constexpr DWORD kCommandListSize = kCommandListSubBlocks * 4;
inline DWORD SubBlockHandleOffset(DWORD subBlock) { return subBlock * 4; }

constexpr DWORD kSubBlockDisplayPitch = 1;  // 16-bit at 0: bytes from one line of video memory to the next
constexpr DWORD kSubBlockLineLimit = 3;     // 16-bit at 0: maximum line count, the lines the display shows
constexpr DWORD kSubBlockVideoBase = 0x21;  // 32-bit at 0: address of line 0 of video memory
constexpr DWORD kSubBlockSize = 16;

// ---- Blend surfaces (orvBlendCL) ------------------------------------------

// A surface's block holds its rectangle list's 32-bit handle at byte 17.
constexpr DWORD kSurfaceListOffset = 17;
constexpr DWORD kSurfaceBlockSize = 32;
// A rectangle list: 32-bit count, and from byte 16 entries of four 32-bit
// values: left, start address, right, end address (video memory addresses of
// the rectangle's first and last line).
constexpr DWORD kListCountOffset = 0;
constexpr DWORD kListEntriesOffset = 16;
constexpr DWORD kListEntrySize = 16;

// ---- Clip-rectangle capture (function 1010) -------------------------------

// Block: 16:16 pointer to the counter, 16:16 pointer to the rectangle array,
// capacity in rectangles, 1 to start or 0 to stop. Starting answers non-zero
// when the capture is on (0 for a bad pointer or no capacity) and sets the
// counter's low 16 bits to 0; each captured piece is stored as four 32-bit
// values (left, top, right, bottom: inclusive, screen coordinates), at most
// capacity of them, and the counter's low 16 bits count them (the high half is
// never written). Stopping answers the number of rectangles stored.
constexpr DWORD kCaptureRectSize = 16;

// ---- Blend command ---------------------------------------------------------

// The packet orvBlendCL posts, all fields 32-bit: header (n << 18) + 0x80500,
// surface handle, its list handle, n, three zeros, n rectangles (left, top,
// right, bottom), their bounding box, and the end value 1. As 16-bit words the
// header is the opcode 0x0500 and the count 8 + 4 n; the packet before the end
// value is count + 3 32-bit values long.
constexpr WORD kBlendOpcode = 0x0500;
inline DWORD BlendHeader(DWORD rectangles) { return (rectangles << 18) + 0x80500; }
constexpr DWORD kBlendFixedValues = 12;  // header, handles, n, zeros, box, end value

}  // namespace hwpl
