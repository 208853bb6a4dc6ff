// The stand-in for the adapter's 16-bit acceleration library. It is reached
// only through the universal thunk: blocks and the pointers inside them arrive
// as 16:16 pointers, turned back with MapSL. Handles name blocks of its own
// memory; every call is recorded for tests.
#include <host/thunk16.h>
#include <hwpl16_control.h>
#include <hwpl_blocks.h>

#include <map>
#include <mutex>

#include "packets.h"

using namespace hwpl;

namespace hwpl16 {
namespace {

enum class Kind {
  Buffer,
  ClipList,
  Context,
  LightSources,
  HwData,
  ScreenSurface,
  CommandList,
  SubBlock,
  Surface,
  List
};

struct Object {
  Kind kind = Kind::Buffer;
  std::vector<BYTE> memory;
  int locks = 0;
  DWORD capacity = 0;  // clip list: rectangles it holds
  std::vector<RECT> clipRects;
};

// A locked handle is the handle with this bit: orvGetFlatPtr resolves it only
// while the lock is held.
constexpr DWORD kLockedBit = 0x40000000;
constexpr DWORD kFirstHandle = 0x00A50001;
constexpr DWORD kMaxBufferUnits = 0x4000;
constexpr DWORD kContextBytes = 64;
constexpr DWORD kLightSourceBytes = 32;

// The length of each function's block, as this side reads it.
DWORD BlockSize(DWORD function) {
  switch (function) {
    case kAllocCL:
    case kAllocLSDB:
    case kGetHotKeyUse:
      return 2;
    case kAllocBuffer:
    case kFreeBuffer:
    case kFreeCL:
    case kFreeLSDB:
    case kFreeRC:
    case kLockHandle:
    case kUnlockHandle:
    case kGetFlatPtr:
    case kSetHotKeyUse:
      return 4;
    case kLoadHWPL:
      return 6;
    case kPostBuffer:
    case kSetCL:
      return 12;
    case kGetInfo:
    case kClipCapture:
      return 16;
    case kScScBitBlt:
    case kScMemBitBlt:
    case kMemScBitBlt:
      return 18;
    default:
      return 0;  // no block (orvAllocRC's is the caller's own, of no fixed size)
  }
}

struct CaptureState {
  bool on = false;
  BYTE* counter = nullptr;
  BYTE* rects = nullptr;
  DWORD capacity = 0;
  DWORD stored = 0;
};

// Everything Reset forgets.
struct State {
  Settings settings;
  std::map<DWORD, Object> objects;
  DWORD nextHandle = kFirstHandle;
  DWORD hwData = 0;
  DWORD screen = 0;
  DWORD commandList = 0;
  std::map<WORD, WORD> hotKeys;
  CaptureState capture;
  std::vector<Init> inits;
  std::vector<Call> calls;
  std::vector<Post> posts;
  std::vector<RECT> captured;
};

class Library final : public Control {
 public:
  DWORD Initialise(DWORD callbackTo32, DWORD segBuffer) {
    std::lock_guard lock(lock_);
    s_.inits.push_back({callbackTo32, segBuffer});
    return s_.settings.initFails ? 0 : 1;
  }

  DWORD Proc(DWORD segBlock, DWORD function) {
    std::lock_guard lock(lock_);
    Call call;
    call.function = function;
    call.segBlock = segBlock;
    DWORD size = BlockSize(function);
    auto* block = static_cast<BYTE*>(host::thunk16::MapSLFor(segBlock, size));
    call.block = block;
    if (block) call.bytes.assign(block, block + size);
    if (s_.settings.answer)
      call.result = *s_.settings.answer;
    else if (block || size == 0)
      call.result = Dispatch(function, block);
    s_.calls.push_back(std::move(call));
    return s_.calls.back().result;
  }

  void Reset() override {
    std::lock_guard lock(lock_);
    if (s_.capture.on) host::thunk16::ClearBlitCaptureSink();
    s_ = State();
  }

  Settings& settings() override { return s_.settings; }

  std::vector<Init> inits() override {
    std::lock_guard lock(lock_);
    return s_.inits;
  }

  std::vector<Call> calls() override {
    std::lock_guard lock(lock_);
    return s_.calls;
  }

  std::vector<Post> posts() override {
    std::lock_guard lock(lock_);
    return s_.posts;
  }

  void ClearRecord() override {
    std::lock_guard lock(lock_);
    s_.inits.clear();
    s_.calls.clear();
    s_.posts.clear();
    s_.captured.clear();
  }

  std::vector<RECT> clipRects(DWORD clipList) override {
    std::lock_guard lock(lock_);
    Object* object = Find(clipList, Kind::ClipList);
    return object ? object->clipRects : std::vector<RECT>();
  }

  bool IsLive(DWORD handle) override {
    std::lock_guard lock(lock_);
    return s_.objects.count(handle) != 0;
  }

  int lockCount() override {
    std::lock_guard lock(lock_);
    int locks = 0;
    for (auto& [handle, object] : s_.objects) locks += object.locks;
    return locks;
  }

  DWORD NewBlendSurface(const std::vector<SurfaceRect>& rects) override {
    std::lock_guard lock(lock_);
    DWORD list = New(Kind::List, kListEntriesOffset + kListEntrySize * rects.size());
    BYTE* entries = s_.objects[list].memory.data();
    WriteDword(entries, kListCountOffset, rects.size());
    DWORD at = kListEntriesOffset;
    for (const SurfaceRect& rect : rects) {
      for (DWORD value : {rect.left, rect.startAddress, rect.right, rect.endAddress}) {
        WriteDword(entries, at, value);
        at += 4;
      }
    }
    DWORD surface = New(Kind::Surface, kSurfaceBlockSize);
    WriteDword(s_.objects[surface].memory.data(), kSurfaceListOffset, list);
    return surface;
  }

  std::vector<RECT> captured() override {
    std::lock_guard lock(lock_);
    return s_.captured;
  }

  // The host hands over the visible pieces of a block transfer while capturing.
  void StorePieces(const std::vector<RECT>& pieces) {
    std::lock_guard lock(lock_);
    if (!s_.capture.on) return;
    for (const RECT& piece : pieces) {
      RECT inclusive = {piece.left, piece.top, piece.right - 1, piece.bottom - 1};
      s_.captured.push_back(inclusive);
      if (s_.capture.stored == s_.capture.capacity) continue;
      DWORD at = s_.capture.stored * kCaptureRectSize;
      for (LONG value : {inclusive.left, inclusive.top, inclusive.right, inclusive.bottom}) {
        WriteDword(s_.capture.rects, at, static_cast<DWORD>(value));
        at += 4;
      }
      WriteWord(s_.capture.counter, 0, static_cast<WORD>(++s_.capture.stored));
    }
  }

 private:
  DWORD Dispatch(DWORD function, const BYTE* block) {
    switch (function) {
      case kAllocBuffer:
        return AllocBuffer(ReadDword(block, 0));
      case kAllocCL:
        return AllocClipList(ReadWord(block, 0));
      case kAllocRC:
        return Allocate(Kind::Context, kContextBytes);
      case kAllocLSDB:
        return AllocLightSources(ReadWord(block, 0));
      case kFreeBuffer:
        return Free(ReadDword(block, 0), Kind::Buffer);
      case kFreeCL:
        return Free(ReadDword(block, 0), Kind::ClipList);
      case kFreeLSDB:
        return Free(ReadDword(block, 0), Kind::LightSources);
      case kFreeRC:
        return Free(ReadDword(block, 0), Kind::Context);
      case kPostBuffer:
        return PostBuffer(ReadDword(block, 0), ReadDword(block, 4), ReadDword(block, 8));
      case kSetCL:
        return SetClipList(ReadDword(block, 0), ReadDword(block, 4), ReadDword(block, 8));
      case kGetBlockSize:
        return kMaxBufferUnits;
      case kScScBitBlt:
      case kScMemBitBlt:
      case kMemScBitBlt:
        return 1;
      case kLockHandle:
        return Lock(ReadDword(block, 0));
      case kUnlockHandle:
        return Unlock(ReadDword(block, 0));
      case kCurrentCommandList:
        return CommandList();
      case kLoadHWPL:
        return LoadHwpl(ReadDword(block, 2));
      case kUnLoadHWPL:
      case kResetAll:
      case kClose:
      case kInitCtrlAPI:
      case kDeInitCtrlAPI:
        return 1;
      case kDisplayInit:
        return s_.settings.accelerated ? 1 : 0;
      case kGetHwData:
        return HwData();
      case kGetInfo:
        return GetInfo(block);
      case kGetFlatPtr:
        return FlatPointer(ReadDword(block, 0));
      case kClipCapture:
        return ClipCapture(block);
      case kGetHotKeyUse:
        return s_.hotKeys[ReadWord(block, 0)];
      case kSetHotKeyUse:
        s_.hotKeys[ReadWord(block, 0)] = ReadWord(block, 2);
        return 1;
      default:
        return 0;
    }
  }

  DWORD New(Kind kind, DWORD bytes) {
    DWORD handle = s_.nextHandle++;
    Object& object = s_.objects[handle];
    object.kind = kind;
    object.memory.assign(bytes, 0);
    return handle;
  }

  // An allocation the caller asked for: these are the ones that can be made to fail.
  DWORD Allocate(Kind kind, DWORD bytes) {
    if (s_.settings.allocationsBeforeFailure == 0) return 0;
    if (s_.settings.allocationsBeforeFailure > 0) --s_.settings.allocationsBeforeFailure;
    return New(kind, bytes);
  }

  DWORD AllocBuffer(DWORD units) {
    if (units == 0 || units > kMaxBufferUnits) return 0;
    return Allocate(Kind::Buffer, units * kBufferUnit);
  }

  DWORD AllocClipList(WORD entries) {
    if (entries == 0) return 0;
    DWORD handle = Allocate(Kind::ClipList, kCaptureRectSize * entries);
    if (handle) s_.objects[handle].capacity = entries;
    return handle;
  }

  DWORD AllocLightSources(WORD entries) {
    if (entries == 0) return 0;
    return Allocate(Kind::LightSources, kLightSourceBytes * entries);
  }

  Object* Find(DWORD handle, Kind kind) {
    auto found = s_.objects.find(handle);
    return found != s_.objects.end() && found->second.kind == kind ? &found->second : nullptr;
  }

  DWORD Free(DWORD handle, Kind kind) {
    if (!Find(handle, kind)) return 0;
    s_.objects.erase(handle);
    return 1;
  }

  DWORD PostBuffer(DWORD handle, DWORD count, DWORD flags) {
    Object* buffer = Find(handle, Kind::Buffer);
    if (!buffer) return 0;
    Post post;
    post.buffer = handle;
    post.count = count;
    post.flags = flags;
    DecodePackets(buffer->memory.data(), buffer->memory.size(), post);
    s_.posts.push_back(std::move(post));
    return s_.settings.postsFail ? 0 : 1;
  }

  // The clip block: 32-bit count, three zeros, the rectangles, their box.
  DWORD SetClipList(DWORD context, DWORD clipList, DWORD segBlock) {
    Object* list = Find(clipList, Kind::ClipList);
    auto* header = static_cast<const BYTE*>(host::thunk16::MapSLFor(segBlock, 16));
    if (!Find(context, Kind::Context) || !list || !header) return 0;
    DWORD count = ReadDword(header, 0);
    if (count > list->capacity) return 0;
    auto* block = static_cast<const BYTE*>(host::thunk16::MapSLFor(segBlock, 16 + 16 * count + 16));
    if (!block) return 0;
    list->clipRects.clear();
    for (DWORD i = 0, at = 16; i < count; ++i, at += 16)
      list->clipRects.push_back({static_cast<LONG>(ReadDword(block, at)), static_cast<LONG>(ReadDword(block, at + 4)),
                                 static_cast<LONG>(ReadDword(block, at + 8)),
                                 static_cast<LONG>(ReadDword(block, at + 12))});
    return 1;
  }

  DWORD Lock(DWORD handle) {
    auto found = s_.objects.find(handle);
    if (found == s_.objects.end()) return 0;
    ++found->second.locks;
    return handle | kLockedBit;
  }

  DWORD Unlock(DWORD handle) {
    auto found = s_.objects.find(handle);
    if (found == s_.objects.end() || found->second.locks == 0) return 0;
    --found->second.locks;
    return 1;
  }

  DWORD FlatPointer(DWORD handle) {
    auto found = s_.objects.find(handle & ~kLockedBit);
    if (found == s_.objects.end()) return 0;
    if ((handle & kLockedBit) && found->second.locks == 0) return 0;
    return reinterpret_cast<DWORD>(found->second.memory.data());
  }

  DWORD LoadHwpl(DWORD segStatus) {
    auto* status = static_cast<BYTE*>(host::thunk16::MapSLFor(segStatus, 2));
    if (!status) return 0;
    WriteWord(status, 0, s_.settings.loadStatus);
    return s_.settings.loadStatus == kLoadStatusOk ? 1 : 0;
  }

  DWORD HwData() {
    if (!s_.hwData) {
      s_.hwData = New(Kind::HwData, kHwDataSize);
      s_.screen = New(Kind::ScreenSurface, kScreenSurfaceSize);
    }
    BYTE* hw = s_.objects[s_.hwData].memory.data();
    hw[kHwColourModeOffset] = s_.settings.colourModeCode & kHwColourModeMask;
    WriteDword(hw, kHwScreenSurfaceOffset, s_.screen);
    BYTE* screen = s_.objects[s_.screen].memory.data();
    WriteWord(screen, kScreenWidthOffset, s_.settings.screenWidth);
    WriteWord(screen, kScreenHeightOffset, s_.settings.screenHeight);
    screen[kScreenFlagsOffset] = s_.settings.screenFlags;
    return s_.hwData;
  }

  DWORD CommandList() {
    if (!s_.commandList) {
      s_.commandList = New(Kind::CommandList, kCommandListSize);
      for (DWORD subBlock : {kSubBlockDisplayPitch, kSubBlockLineLimit, kSubBlockVideoBase})
        WriteDword(s_.objects[s_.commandList].memory.data(), SubBlockHandleOffset(subBlock),
                   New(Kind::SubBlock, kSubBlockSize));
    }
    const BYTE* list = s_.objects[s_.commandList].memory.data();
    auto subBlock = [&](DWORD number) {
      return s_.objects[ReadDword(list, SubBlockHandleOffset(number))].memory.data();
    };
    WriteWord(subBlock(kSubBlockDisplayPitch), 0, s_.settings.linePitch);
    WriteWord(subBlock(kSubBlockLineLimit), 0, s_.settings.maxLineCount);
    WriteDword(subBlock(kSubBlockVideoBase), 0, s_.settings.videoBase);
    return s_.commandList;
  }

  DWORD GetInfo(const BYTE* block) {
    bool delivered = true;
    for (int i = 0; i < kInfoValues; ++i) {
      DWORD segmented = ReadDword(block, 4 * i);
      if (!segmented) continue;
      auto* target = static_cast<BYTE*>(host::thunk16::MapSLFor(segmented, 4));
      if (target)
        WriteDword(target, 0, s_.settings.infoValues[i]);
      else
        delivered = false;
    }
    return delivered ? 1 : 0;
  }

  DWORD ClipCapture(const BYTE* block) {
    if (!ReadDword(block, 12)) return StopCapture();
    DWORD capacity = ReadDword(block, 8);
    auto* counter = static_cast<BYTE*>(host::thunk16::MapSLFor(ReadDword(block, 0), 2));
    BYTE* rects = nullptr;
    if (capacity > 0 && capacity <= 0x10000 / kCaptureRectSize)
      rects = static_cast<BYTE*>(host::thunk16::MapSLFor(ReadDword(block, 4), capacity * kCaptureRectSize));
    if (!counter || !rects) return 0;
    s_.capture = {true, counter, rects, capacity, 0};
    WriteWord(counter, 0, 0);
    host::thunk16::SetBlitCaptureSink([this](const std::vector<RECT>& pieces) { StorePieces(pieces); });
    return 1;
  }

  DWORD StopCapture() {
    if (!s_.capture.on) return 0;
    host::thunk16::ClearBlitCaptureSink();
    DWORD stored = s_.capture.stored;
    s_.capture = {};
    return stored;
  }

  std::recursive_mutex lock_;
  State s_;
};

Library& TheLibrary() {
  static Library library;
  return library;
}

}  // namespace
}  // namespace hwpl16

extern "C" {

DWORD WINAPI UTInit(DWORD callbackTo32, DWORD segBuffer) {
  return hwpl16::TheLibrary().Initialise(callbackTo32, segBuffer);
}

DWORD WINAPI UTProc(DWORD segBlock, DWORD function) { return hwpl16::TheLibrary().Proc(segBlock, function); }

hwpl16::Control* WINAPI Hwpl16Control(void) { return &hwpl16::TheLibrary(); }

}  // extern "C"
