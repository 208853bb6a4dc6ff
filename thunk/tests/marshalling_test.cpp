// Every export's parameter block, function number, translated pointers and
// result width, as the recording 16-bit side receives them.
#include <cstring>
#include <string>
#include <vector>

#include "hwpl32_fixture.h"

namespace hwpl32::testing {
namespace {

using host::thunk16::MapSL;

// Expected block bytes; pointer fields are checked by what they translate to.
class Bytes {
 public:
  Bytes& W(WORD value) { return Put(value, 2); }
  Bytes& D(DWORD value) { return Put(value, 4); }
  Bytes& P(const void* target) {
    pointers_.push_back({static_cast<DWORD>(bytes_.size()), target});
    return Put(0, 4);
  }
  std::vector<BYTE> bytes_;
  std::vector<std::pair<DWORD, const void*>> pointers_;

 private:
  Bytes& Put(DWORD value, int width) {
    for (int i = 0; i < width; ++i) bytes_.push_back(static_cast<BYTE>(value >> (8 * i)));
    return *this;
  }
};

constexpr DWORD kAnswer = 0xBEEF1234;

class Hwpl32Marshalling : public Hwpl32Test {
 public:
  void SetUp() override {
    Hwpl32Test::SetUp();
    ASSERT_NE(Load(), nullptr);
    control_->settings().answer = kAnswer;
  }
};

TEST_F(Hwpl32Marshalling, ExportsPassTheirBlocksThroughTheThunk) {
  BYTE rcBlock[8], clipBlock[16];
  WORD status;
  DWORD info[4];
  enum Width { kLow16, kFull32 };
  enum BlockKind { kPacked, kNone, kCallersOwn };
  struct Case {
    const char* name;
    std::function<DWORD()> call;
    DWORD function;
    BlockKind kind;
    Bytes expected;
    Width width;
  } cases[] = {
      {"orvAllocBuffer", [&] { return HWPL32(orvAllocBuffer)(0x11223344); }, 1, kPacked, Bytes().D(0x11223344),
       kFull32},
      {"orvAllocCL", [&] { return HWPL32(orvAllocCL)(0x5566); }, 2, kPacked, Bytes().W(0x5566), kFull32},
      {"orvAllocRC", [&] { return HWPL32(orvAllocRC)(rcBlock); }, 3, kCallersOwn, Bytes(), kFull32},
      {"orvAllocLSDB", [&] { return HWPL32(orvAllocLSDB)(3); }, 4, kPacked, Bytes().W(3), kFull32},
      {"orvFreeBuffer", [&] { return HWPL32(orvFreeBuffer)(0xA1A2A3A4); }, 5, kPacked, Bytes().D(0xA1A2A3A4), kLow16},
      {"orvFreeCL", [&] { return HWPL32(orvFreeCL)(0xB1B2B3B4); }, 6, kPacked, Bytes().D(0xB1B2B3B4), kLow16},
      {"orvFreeLSDB", [&] { return HWPL32(orvFreeLSDB)(0xC1C2C3C4); }, 7, kPacked, Bytes().D(0xC1C2C3C4), kLow16},
      {"orvFreeRC", [&] { return HWPL32(orvFreeRC)(0xD1D2D3D4); }, 8, kPacked, Bytes().D(0xD1D2D3D4), kLow16},
      {"orvPostBuffer", [&] { return HWPL32(orvPostBuffer)(0x101, 0x202, 0x303); }, 9, kPacked,
       Bytes().D(0x101).D(0x202).D(0x303), kLow16},
      {"orvSetCL", [&] { return HWPL32(orvSetCL)(0x404, 0x505, clipBlock); }, 10, kPacked,
       Bytes().D(0x404).D(0x505).P(clipBlock), kLow16},
      {"orvGetBlockSize", [&] { return HWPL32(orvGetBlockSize)(); }, 12, kNone, Bytes(), kFull32},
      {"wOrvScScBitBlt", [&] { return HWPL32(wOrvScScBitBlt)(0x01020304, 1, 2, 3, 4, 5, 6, 0xFFFF); }, 13, kPacked,
       Bytes().D(0x01020304).W(1).W(2).W(3).W(4).W(5).W(6).W(0xFFFF), kFull32},
      {"wOrvScMemBitBlt", [&] { return HWPL32(wOrvScMemBitBlt)(0x0A0B0C0D, 1, 2, 3, 4, 5, 0x99887766); }, 14, kPacked,
       Bytes().D(0x0A0B0C0D).W(1).W(2).W(3).W(4).W(5).D(0x99887766), kFull32},
      {"wOrvMemScBitBlt", [&] { return HWPL32(wOrvMemScBitBlt)(0x0D0C0B0A, 9, 8, 7, 6, 5, 0x66778899); }, 15, kPacked,
       Bytes().D(0x0D0C0B0A).W(9).W(8).W(7).W(6).W(5).D(0x66778899), kFull32},
      {"orvLoadHWPL", [&] { return HWPL32(orvLoadHWPL)(2, &status); }, 1001, kPacked, Bytes().W(2).P(&status), kLow16},
      {"orvUnLoadHWPL", [&] { return HWPL32(orvUnLoadHWPL)(); }, 1002, kNone, Bytes(), kFull32},
      {"orvDisplayInit", [&] { return HWPL32(orvDisplayInit)(); }, 1003, kNone, Bytes(), kLow16},
      {"orvResetAll", [&] { return HWPL32(orvResetAll)(); }, 1004, kNone, Bytes(), kFull32},
      {"orvGetHwData", [&] { return HWPL32(orvGetHwData)(); }, 1005, kNone, Bytes(), kFull32},
      {"orvGetInfo", [&] { return HWPL32(orvGetInfo)(&info[0], &info[1], &info[2], &info[3]); }, 1006, kPacked,
       Bytes().P(&info[0]).P(&info[1]).P(&info[2]).P(&info[3]), kFull32},
      {"orvClose", [&] { return HWPL32(orvClose)(); }, 1007, kNone, Bytes(), kFull32},
      {"orvGetFlatPtr", [&] { return reinterpret_cast<DWORD>(HWPL32(orvGetFlatPtr)(0xE1E2E3E4)); }, 1008, kPacked,
       Bytes().D(0xE1E2E3E4), kFull32},
      {"GetHotKeyUse", [&] { return HWPL32(GetHotKeyUse)(0x4B); }, 1011, kPacked, Bytes().W(0x4B), kLow16},
      {"SetHotKeyUse", [&] { return HWPL32(SetHotKeyUse)(0x4B, 0x0102); }, 1012, kPacked, Bytes().W(0x4B).W(0x0102),
       kLow16},
      {"InitCtrlAPI", [&] { return HWPL32(InitCtrlAPI)(); }, 1013, kNone, Bytes(), kLow16},
      {"DeInitCtrlAPI", [&] { return HWPL32(DeInitCtrlAPI)(); }, 1014, kNone, Bytes(), kFull32},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    control_->ClearRecord();
    DWORD result = c.call();
    EXPECT_EQ(result, c.width == kFull32 ? kAnswer : LOWORD(kAnswer));
    auto calls = control_->calls();
    ASSERT_EQ(calls.size(), 1u);
    const hwpl16::Call& call = calls[0];
    EXPECT_EQ(call.function, c.function);
    if (c.kind == kNone) {
      EXPECT_EQ(call.segBlock, 0u) << "a NULL block";
      continue;
    }
    if (c.kind == kCallersOwn) {
      EXPECT_EQ(call.block, rcBlock) << "the caller's block itself, as a 16:16 pointer";
      continue;
    }
    ASSERT_EQ(call.bytes.size(), c.expected.bytes_.size());
    std::vector<BYTE> seen = call.bytes;
    for (auto [offset, target] : c.expected.pointers_) {
      SCOPED_TRACE(offset);
      EXPECT_EQ(MapSL(hwpl::ReadDword(seen.data(), offset)), target) << "translated to 16:16";
      std::memset(&seen[offset], 0, 4);
    }
    EXPECT_EQ(seen, c.expected.bytes_);
  }
}

TEST_F(Hwpl32Marshalling, NullPointersStayNull) {
  HWPL32(orvAllocRC)(nullptr);
  HWPL32(orvLoadHWPL)(2, nullptr);
  auto calls = control_->calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].segBlock, 0u);
  EXPECT_EQ(hwpl::ReadDword(calls[1].bytes.data(), 2), 0u);
}

// Without forced answers the results the callers rely on come through.
TEST_F(Hwpl32Marshalling, CallersGetTheLibrarysAnswers) {
  control_->settings().answer.reset();
  control_->settings().loadStatus = hwpl::kLoadStatusNo3DInThisMode;
  WORD status = 0;
  EXPECT_EQ(HWPL32(orvLoadHWPL)(2, &status), 0);
  EXPECT_EQ(status, hwpl::kLoadStatusNo3DInThisMode);
  control_->settings().loadStatus = hwpl::kLoadStatusOk;
  EXPECT_NE(HWPL32(orvLoadHWPL)(2, &status), 0);
  EXPECT_EQ(status, hwpl::kLoadStatusOk);

  DWORD buffer = HWPL32(orvAllocBuffer)(4097);
  ASSERT_NE(buffer, 0u);
  auto* words = static_cast<BYTE*>(HWPL32(orvGetFlatPtr)(buffer));
  ASSERT_NE(words, nullptr);
  hwpl::WriteDword(words, 4097 * 4 - 4, 0xFFFFFFFF);  // the whole buffer is usable
  hwpl::WriteWord(words, 0, 0x0800);
  hwpl::WriteWord(words, 2, 0xCCCC);
  hwpl::WriteDword(words, 4, 0x1234);
  hwpl::WriteDword(words, 8, 1);
  EXPECT_EQ(HWPL32(orvPostBuffer)(buffer, 3, 0), 1);
  ASSERT_EQ(control_->posts().size(), 1u);
  EXPECT_EQ(control_->posts()[0].packets.size(), 1u);
  EXPECT_TRUE(control_->posts()[0].ended);
  EXPECT_EQ(HWPL32(orvFreeBuffer)(buffer), 1);
  EXPECT_EQ(HWPL32(orvFreeBuffer)(buffer), 0);

  DWORD context = HWPL32(orvAllocRC)(nullptr);
  DWORD clipList = HWPL32(orvAllocCL)(10);
  DWORD clip[4 + 4 + 4] = {1, 0, 0, 0, 0, 0, 1279, 1023, 0, 0, 1279, 1023};
  EXPECT_EQ(HWPL32(orvSetCL)(context, clipList, clip), 1);
  ASSERT_EQ(control_->clipRects(clipList).size(), 1u);
  EXPECT_EQ(control_->clipRects(clipList)[0].right, 1279);

  control_->settings().accelerated = false;
  EXPECT_EQ(HWPL32(orvDisplayInit)(), 0);
}

}  // namespace
}  // namespace hwpl32::testing
