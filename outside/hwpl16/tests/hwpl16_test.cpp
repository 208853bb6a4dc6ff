// The stand-in 16-bit library behind the thunk: handles and their memory, the
// hardware description, load status, posts, clip lists and the capture.
#include <cstring>
#include <functional>

#include "thunk_fixture.h"

namespace hwpl16::testing {
namespace {

using host::thunk16::DeliverBlitCapture;

class Hwpl16 : public ThunkTest {
 public:
  void SetUp() override {
    ThunkTest::SetUp();
    ASSERT_TRUE(Register());
  }
  DWORD With(DWORD function, DWORD value) {
    Block block;
    block.Dword(value);
    return CallThrough(function, block);
  }
  DWORD WithWord(DWORD function, WORD value) {
    Block block;
    block.Word(value);
    return CallThrough(function, block);
  }
  BYTE* Flat(DWORD handle) { return reinterpret_cast<BYTE*>(With(hwpl::kGetFlatPtr, handle)); }
};

TEST_F(Hwpl16, HandlesNameUsableMemoryAndAreFreedByTheirOwnCall) {
  struct Case {
    const char* what;
    std::function<DWORD(Hwpl16&)> alloc;
    DWORD freeFunction;
  } cases[] = {
      {"buffer", [](Hwpl16& t) { return t.With(hwpl::kAllocBuffer, 4097); }, hwpl::kFreeBuffer},
      {"clip list", [](Hwpl16& t) { return t.WithWord(hwpl::kAllocCL, 10); }, hwpl::kFreeCL},
      {"light sources", [](Hwpl16& t) { return t.WithWord(hwpl::kAllocLSDB, 3); }, hwpl::kFreeLSDB},
      {"rendering context", [](Hwpl16& t) { return t.CallWithoutBlock(hwpl::kAllocRC); }, hwpl::kFreeRC},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    DWORD handle = c.alloc(*this);
    ASSERT_NE(handle, 0u);
    BYTE* memory = Flat(handle);
    ASSERT_NE(memory, nullptr);
    memory[0] = 0x5A;
    EXPECT_EQ(Flat(handle)[0], 0x5A);
    DWORD wrongFree = c.freeFunction == hwpl::kFreeBuffer ? hwpl::kFreeCL : hwpl::kFreeBuffer;
    EXPECT_EQ(With(wrongFree, handle), 0u) << "another kind's free refuses it";
    EXPECT_EQ(With(c.freeFunction, handle), 1u);
    EXPECT_EQ(With(c.freeFunction, handle), 0u) << "freed twice";
    EXPECT_EQ(Flat(handle), nullptr);
  }
  EXPECT_EQ(With(hwpl::kAllocBuffer, 0), 0u);
  EXPECT_EQ(With(hwpl::kAllocBuffer, 0x4001), 0u) << "larger than the block size";
  EXPECT_EQ(CallWithoutBlock(hwpl::kGetBlockSize), 0x4000u);
  EXPECT_EQ(WithWord(hwpl::kAllocCL, 0), 0u);
}

TEST_F(Hwpl16, AllocationsFailOnRequest) {
  control_->settings().allocationsBeforeFailure = 2;
  EXPECT_NE(With(hwpl::kAllocBuffer, 16), 0u);
  EXPECT_NE(WithWord(hwpl::kAllocCL, 10), 0u);
  EXPECT_EQ(CallWithoutBlock(hwpl::kAllocRC), 0u);
  EXPECT_EQ(WithWord(hwpl::kAllocLSDB, 3), 0u);
  EXPECT_EQ(With(hwpl::kAllocBuffer, 16), 0u);
}

TEST_F(Hwpl16, LoadAnswersWithItsStatus) {
  struct Case {
    WORD status;
    DWORD result;
  } cases[] = {{hwpl::kLoadStatusOk, 1}, {hwpl::kLoadStatusLibraryMissing, 0}, {hwpl::kLoadStatusNo3DInThisMode, 0}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.status);
    control_->settings().loadStatus = c.status;
    WORD status = 0xEEEE;
    Block block;
    block.Word(2).Pointer(&status);
    EXPECT_EQ(CallThrough(hwpl::kLoadHWPL, block), c.result);
    EXPECT_EQ(status, c.status);
  }
  // Untranslated, the status pointer is unusable and nothing is written.
  WORD status = 0xEEEE;
  Block flat;
  flat.Word(2).Dword(reinterpret_cast<DWORD>(&status));
  EXPECT_EQ(thunk_(flat.data(), hwpl::kLoadHWPL, nullptr), 0u);
  EXPECT_EQ(status, 0xEEEE);
}

TEST_F(Hwpl16, HardwareDescriptionHasTheLayoutItsReadersUse) {
  auto& settings = control_->settings();
  settings.colourModeCode = 0x10;
  settings.screenWidth = 1600;
  settings.screenHeight = 1200;
  settings.screenFlags = hwpl::kScreenPaletteMode | hwpl::kScreenSmoothAllowed;
  BYTE* hw = Flat(CallWithoutBlock(hwpl::kGetHwData));
  ASSERT_NE(hw, nullptr);
  EXPECT_EQ(hw[hwpl::kHwColourModeOffset] & hwpl::kHwColourModeMask, 0x10);
  BYTE* screen = Flat(hwpl::ReadDword(hw, hwpl::kHwScreenSurfaceOffset));
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(hwpl::ReadWord(screen, hwpl::kScreenWidthOffset), 1600);
  EXPECT_EQ(hwpl::ReadWord(screen, hwpl::kScreenHeightOffset), 1200);
  EXPECT_EQ(screen[hwpl::kScreenFlagsOffset], hwpl::kScreenPaletteMode | hwpl::kScreenSmoothAllowed);
}

TEST_F(Hwpl16, LockedHandlesResolveOnlyWhileLocked) {
  DWORD list = CallWithoutBlock(hwpl::kCurrentCommandList);
  ASSERT_NE(list, 0u);
  DWORD locked = With(hwpl::kLockHandle, list);
  ASSERT_NE(locked, 0u);
  BYTE* flat = Flat(locked);
  ASSERT_NE(flat, nullptr);
  BYTE* pitch = Flat(hwpl::ReadDword(flat, hwpl::SubBlockHandleOffset(hwpl::kSubBlockDisplayPitch)));
  BYTE* lines = Flat(hwpl::ReadDword(flat, hwpl::SubBlockHandleOffset(hwpl::kSubBlockLineLimit)));
  BYTE* base = Flat(hwpl::ReadDword(flat, hwpl::SubBlockHandleOffset(hwpl::kSubBlockVideoBase)));
  ASSERT_TRUE(pitch && lines && base);
  EXPECT_EQ(hwpl::ReadWord(pitch, 0), control_->settings().linePitch);
  EXPECT_EQ(hwpl::ReadWord(lines, 0), control_->settings().maxLineCount);
  EXPECT_EQ(hwpl::ReadDword(base, 0), control_->settings().videoBase);
  EXPECT_EQ(control_->lockCount(), 1);
  EXPECT_EQ(With(hwpl::kUnlockHandle, list), 1u);
  EXPECT_EQ(Flat(locked), nullptr);
  EXPECT_EQ(With(hwpl::kUnlockHandle, list), 0u) << "not locked";
  EXPECT_EQ(With(hwpl::kLockHandle, 0x1234), 0u);
}

// Little-endian words of a post, as a 32-bit caller fills its buffer.
void FillWords(BYTE* memory, std::initializer_list<WORD> words) {
  DWORD at = 0;
  for (WORD word : words) hwpl::WriteWord(memory, 2 * at++, word);
}

TEST_F(Hwpl16, PostsAreDecodedUpToTheirEndWord) {
  DWORD buffer = With(hwpl::kAllocBuffer, 64);
  struct Case {
    const char* what;
    std::vector<WORD> words;
    std::vector<WORD> opcodes;
    bool ended;
    std::string problem;
  } cases[] = {
      {"line pattern, 16-bit polyline of 3 points, leaf filler",
       {0x0800, 0xCCCC, 0x11, 0x22, 0x0602, 3, 0x11, 0x22, 6, 0, 1, 2, 3, 4, 5, 6, 0x0101},
       {0x0800, 0x0602},
       true,
       ""},
      {"colour packet then the 32-bit 1 of an immediate post",
       {0x0402, 0, 1, 2, 0, 0, 0, 0, 0, 0, 1, 0},
       {0x0402},
       true,
       ""},
      {"blend command of one rectangle", std::vector<WORD>(32, 0), {0x0500}, true, ""},
      {"unknown opcode", {0x7777, 0, 1}, {}, false, "unknown opcode"},
  };
  cases[2].words[0] = hwpl::kBlendOpcode;
  cases[2].words[1] = 8 + 4;
  cases[2].words[30] = hwpl::kEndWord;
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    control_->ClearRecord();
    BYTE* memory = Flat(buffer);
    std::memset(memory, 0, 64 * hwpl::kBufferUnit);
    for (size_t i = 0; i < c.words.size(); ++i) hwpl::WriteWord(memory, 2 * i, c.words[i]);
    Block block;
    block.Dword(buffer).Dword(0).Dword(0);
    EXPECT_EQ(CallThrough(hwpl::kPostBuffer, block), 1u);
    auto posts = control_->posts();
    ASSERT_EQ(posts.size(), 1u);
    std::vector<WORD> opcodes;
    for (auto& packet : posts[0].packets) opcodes.push_back(packet.opcode());
    EXPECT_EQ(opcodes, c.opcodes);
    EXPECT_EQ(posts[0].ended, c.ended);
    EXPECT_EQ(posts[0].problem, c.problem);
  }
  // A packet running past the buffer is not read beyond it.
  DWORD small = With(hwpl::kAllocBuffer, 2);
  FillWords(Flat(small), {0x0602, 30, 0, 0});
  control_->ClearRecord();
  Block block;
  block.Dword(small).Dword(1).Dword(0);
  CallThrough(hwpl::kPostBuffer, block);
  EXPECT_EQ(control_->posts().at(0).problem, "packet passes the buffer's end");
  control_->settings().postsFail = true;
  EXPECT_EQ(CallThrough(hwpl::kPostBuffer, block), 0u);
}

TEST_F(Hwpl16, ClipListTakesAtMostItsCapacity) {
  DWORD context = CallWithoutBlock(hwpl::kAllocRC);
  DWORD clipList = WithWord(hwpl::kAllocCL, 2);
  DWORD clip[4 + 2 * 4 + 4] = {2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 7, 8};
  Block block;
  block.Dword(context).Dword(clipList).Pointer(clip);
  EXPECT_EQ(CallThrough(hwpl::kSetCL, block), 1u);
  auto rects = control_->clipRects(clipList);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[1].left, 5);
  EXPECT_EQ(rects[1].bottom, 8);
  clip[0] = 3;
  EXPECT_EQ(CallThrough(hwpl::kSetCL, block), 0u) << "more rectangles than the list holds";
  EXPECT_EQ(control_->clipRects(clipList).size(), 2u) << "the installed ones stay";
}

TEST_F(Hwpl16, CaptureStoresVisiblePiecesWhileOn) {
  DWORD counter = 0xFFFFFFFF;
  DWORD rects[2 * 4] = {};
  Block on;
  on.Pointer(&counter).Pointer(rects).Dword(2).Dword(1);
  EXPECT_FALSE(DeliverBlitCapture({{0, 0, 1, 1}})) << "no capture yet";
  ASSERT_EQ(CallThrough(hwpl::kClipCapture, on), 1u);
  EXPECT_EQ(counter, 0xFFFF0000u) << "the 16-bit side writes only the low half";
  EXPECT_TRUE(DeliverBlitCapture({{10, 20, 11, 21}, {30, 40, 50, 60}}));
  EXPECT_TRUE(DeliverBlitCapture({{70, 80, 90, 100}}));
  EXPECT_EQ(LOWORD(counter), 2) << "at most the capacity is stored";
  const DWORD expected[8] = {10, 20, 10, 20, 30, 40, 49, 59};
  EXPECT_EQ(std::memcmp(rects, expected, sizeof expected), 0) << "inclusive rectangles";
  Block off;
  off.Pointer(&counter).Pointer(rects).Dword(2).Dword(0);
  EXPECT_EQ(CallThrough(hwpl::kClipCapture, off), 2u);
  EXPECT_FALSE(host::thunk16::BlitCaptureOn());
  EXPECT_EQ(control_->captured().size(), 3u);

  Block unusable;
  unusable.Dword(reinterpret_cast<DWORD>(&counter)).Pointer(rects).Dword(2).Dword(1);
  EXPECT_EQ(CallThrough(hwpl::kClipCapture, unusable), 0u) << "a flat counter pointer";
  Block empty;
  empty.Pointer(&counter).Pointer(rects).Dword(0).Dword(1);
  EXPECT_EQ(CallThrough(hwpl::kClipCapture, empty), 0u) << "no capacity";
  EXPECT_FALSE(host::thunk16::BlitCaptureOn());
}

TEST_F(Hwpl16, AnswersHotKeysAndInformation) {
  Block set;
  set.Word(7).Word(3);
  EXPECT_EQ(CallThrough(hwpl::kSetHotKeyUse, set), 1u);
  EXPECT_EQ(WithWord(hwpl::kGetHotKeyUse, 7), 3u);
  EXPECT_EQ(WithWord(hwpl::kGetHotKeyUse, 8), 0u);
  DWORD values[4] = {};
  Block info;
  info.Pointer(&values[0]).Pointer(nullptr).Pointer(&values[2]).Pointer(&values[3]);
  EXPECT_EQ(CallThrough(hwpl::kGetInfo, info), 1u);
  EXPECT_EQ(values[0], control_->settings().infoValues[0]);
  EXPECT_EQ(values[1], 0u) << "a NULL pointer is skipped";
  EXPECT_EQ(values[3], control_->settings().infoValues[3]);
}

}  // namespace
}  // namespace hwpl16::testing
