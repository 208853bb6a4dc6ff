// orvGetClipRect and orvBlendCL: both learn the visible pieces of a rectangle
// by running the 16-bit side's clip-rectangle capture around a block transfer
// that the capture keeps off the screen.
#include <hwpl32.h>
#include <hwpl_blocks.h>

#include <algorithm>

#include "shared_state.h"

using namespace hwpl;

namespace hwpl32 {
namespace {

constexpr DWORD kBlendBufferBytes = 400;
// What a 400-byte post buffer has room for besides its fixed fields: 22.
constexpr DWORD kMaxBlendRects = (kBlendBufferBytes / kBufferUnit - kBlendFixedValues) / 4;
constexpr DWORD kMaxPiecesPerSource = 28;

DWORD CaptureCall(DWORD on) {
  return ParameterBlock()
      .Pointer(shared.captureCount)
      .Pointer(shared.captureRects)
      .Dword(shared.captureCapacity)
      .Dword(on)
      .Call(kClipCapture);
}

// Captures the visible pieces of the inclusive rectangle (left, top)-(right,
// bottom) in dc's client coordinates; the number of pieces stored.
DWORD CaptureVisiblePieces(HDC dc, LONG left, LONG top, LONG right, LONG bottom, LPDWORD count, LPRECT rects,
                           DWORD capacity) {
  shared.captureCount = count;
  shared.captureRects = rects;
  shared.captureCapacity = capacity;
  // The 16-bit side writes only the counter's low half.
  if (count) *count = 0;
  // Without a capture the transfer would invert the screen.
  if (!CaptureCall(1)) return 0;
  BitBlt(dc, left, top, right - left + 1, bottom - top + 1, NULL, 0, 0, DSTINVERT);
  return CaptureCall(0);
}

// A block of the 16-bit side, locked while this object lives.
class LockedBlock {
 public:
  explicit LockedBlock(DWORD handle) : handle_(handle) {
    if (!handle_) return;
    DWORD lockable = ParameterBlock().Dword(handle_).Call(kLockHandle);
    if (!lockable) return;
    locked_ = true;
    flat_ = static_cast<const BYTE*>(orvGetFlatPtr(lockable));
  }
  ~LockedBlock() {
    if (locked_) ParameterBlock().Dword(handle_).Call(kUnlockHandle);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  const BYTE* flat() const { return flat_; }

 private:
  DWORD handle_;
  bool locked_ = false;
  const BYTE* flat_ = nullptr;
};

struct DisplayLayout {
  WORD pitch = 0;
  WORD maxLines = 0;
  DWORD base = 0;
};

bool ReadSubBlock(const BYTE* commandList, DWORD subBlock, DWORD& value, bool wide) {
  LockedBlock block(ReadDword(commandList, SubBlockHandleOffset(subBlock)));
  if (!block.flat()) return false;
  value = wide ? ReadDword(block.flat(), 0) : ReadWord(block.flat(), 0);
  return true;
}

bool ReadDisplayLayout(const BYTE* commandList, DisplayLayout& layout) {
  DWORD pitch, maxLines, base;
  if (!ReadSubBlock(commandList, kSubBlockDisplayPitch, pitch, false) ||
      !ReadSubBlock(commandList, kSubBlockLineLimit, maxLines, false) ||
      !ReadSubBlock(commandList, kSubBlockVideoBase, base, true))
    return false;
  layout = {static_cast<WORD>(pitch), static_cast<WORD>(maxLines), base};
  return true;
}

LONG LineOf(DWORD address, const DisplayLayout& layout) {
  return static_cast<LONG>(address - layout.base) / static_cast<LONG>(layout.pitch);
}

// The source rectangle i of a list, as screen coordinates.
RECT SourceRect(const BYTE* list, DWORD i, const DisplayLayout& layout) {
  DWORD entry = kListEntriesOffset + i * kListEntrySize;
  return {static_cast<LONG>(ReadDword(list, entry)), LineOf(ReadDword(list, entry + 4), layout),
          static_cast<LONG>(ReadDword(list, entry + 8)), LineOf(ReadDword(list, entry + 12), layout)};
}

// The visible pieces of every source rectangle, at most `room` of them.
DWORD CollectVisiblePieces(HDC dc, HWND window, const BYTE* list, const DisplayLayout& layout, RECT* kept, DWORD room) {
  DWORD sources = ReadDword(list, kListCountOffset);
  DWORD n = 0;
  for (DWORD i = 0; i < sources && n < room; ++i) {
    RECT source = SourceRect(list, i, layout);
    POINT topLeft = {source.left, source.top};
    POINT bottomRight = {source.right, source.bottom};
    ScreenToClient(window, &topLeft);
    ScreenToClient(window, &bottomRight);
    CaptureVisiblePieces(dc, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, &shared.blendCount, shared.blendRects,
                         kBlendCaptureCapacity);
    DWORD pieces = std::min({shared.blendCount, kMaxPiecesPerSource, room - n});
    std::copy_n(shared.blendRects, pieces, kept + n);
    n += pieces;
  }
  return n;
}

void WriteRect(BYTE* post, DWORD& offset, const RECT& rect) {
  for (LONG value : {rect.left, rect.top, rect.right, rect.bottom}) {
    WriteDword(post, offset, static_cast<DWORD>(value));
    offset += 4;
  }
}

void FillBlendCommand(BYTE* post, DWORD surface, DWORD list, const RECT* rects, DWORD n) {
  RECT box = rects[0];
  for (DWORD i = 1; i < n; ++i) {
    box.left = std::min(box.left, rects[i].left);
    box.top = std::min(box.top, rects[i].top);
    box.right = std::max(box.right, rects[i].right);
    box.bottom = std::max(box.bottom, rects[i].bottom);
  }
  DWORD offset = 0;
  for (DWORD value : {BlendHeader(n), surface, list, n, 0ul, 0ul, 0ul}) {
    WriteDword(post, offset, value);
    offset += 4;
  }
  for (DWORD i = 0; i < n; ++i) WriteRect(post, offset, rects[i]);
  WriteRect(post, offset, box);
  WriteDword(post, offset, 1);
}

BOOL PostBlend(HDC dc, HWND window, DWORD surface, const BYTE* commandList, DWORD buffer) {
  if (!orvGetFlatPtr(orvGetHwData())) return FALSE;
  DisplayLayout layout;
  // Without a pitch no address can be turned into a line.
  if (!ReadDisplayLayout(commandList, layout) || layout.pitch == 0) return FALSE;
  LockedBlock surfaceBlock(surface);
  if (!surfaceBlock.flat()) return FALSE;
  DWORD listHandle = ReadDword(surfaceBlock.flat(), kSurfaceListOffset);
  LockedBlock list(listHandle);
  auto* post = static_cast<BYTE*>(orvGetFlatPtr(buffer));
  if (!list.flat() || !post) return FALSE;
  // A surface starting below the lines the display shows has nothing to blend.
  if (ReadDword(list.flat(), kListCountOffset) > 0 && layout.maxLines < SourceRect(list.flat(), 0, layout).top)
    return TRUE;
  RECT rects[kMaxBlendRects];
  DWORD n = CollectVisiblePieces(dc, window, list.flat(), layout, rects, kMaxBlendRects);
  if (n == 0) rects[n++] = RECT{0, 0, 0, 0};  // never an empty list
  FillBlendCommand(post, surface, listHandle, rects, n);
  if (orvPostBuffer(buffer, 0, 0)) return TRUE;
  MessageBoxA(NULL, "ERROR with orvPostBuffer in orvBlendCL", "Warning", MB_OK);
  return FALSE;
}

}  // namespace
}  // namespace hwpl32

using namespace hwpl32;

extern "C" {

DWORD WINAPI orvGetClipRect(HWND, HDC dc, LPRECT rect, LPDWORD count, LPRECT rects, DWORD capacity) {
  if (!rect) return 0;
  return CaptureVisiblePieces(dc, rect->left, rect->top, rect->right, rect->bottom, count, rects, capacity);
}

DWORD WINAPI orvBlendCL(HDC dc, HWND window, DWORD surface) {
  BOOL posted = FALSE;
  DWORD buffer = 0;
  {
    LockedBlock commandList(CallWithoutBlock(kCurrentCommandList));
    buffer = orvAllocBuffer(kBlendBufferBytes / kBufferUnit);
    if (buffer && commandList.flat()) posted = PostBlend(dc, window, surface, commandList.flat(), buffer);
  }
  if (buffer) orvFreeBuffer(buffer);
  return posted;
}

}  // extern "C"
