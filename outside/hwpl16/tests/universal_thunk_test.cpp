// The universal thunk: registration, 16:16 pointers and their translation, the
// callback to the 32-bit side, and registrations outliving their process.
#include <cstring>
#include <string>

#include "kernel/process_table.h"
#include "thunk_fixture.h"

namespace hwpl16::testing {
namespace {

using host::thunk16::MapLS;
using host::thunk16::MapSL;
using host::thunk16::MapSLFor;

using UniversalThunk = ThunkTest;

TEST_F(UniversalThunk, TranslatesOnlyListedPointersAndGivesTheBlockBack) {
  DWORD shared = 0;
  ASSERT_TRUE(Register(nullptr, &shared));
  ASSERT_EQ(control_->inits().size(), 1u);
  EXPECT_EQ(MapSL(control_->inits()[0].segBuffer), &shared) << "UTInit's buffer arrives as 16:16";
  EXPECT_EQ(control_->inits()[0].callbackTo32, 0u) << "no 32-bit callback: none offered";

  BYTE listed[8] = {}, unlisted[8] = {};
  // orvSetCL's block: two values and a translated pointer.
  Block block;
  block.Dword(0x11223344).Dword(0x55667788).Pointer(listed);
  std::vector<BYTE> before = block.bytes();
  CallThrough(hwpl::kSetCL, block);
  auto calls = control_->calls();
  ASSERT_EQ(calls.size(), 1u);
  const hwpl16::Call& call = calls[0];
  EXPECT_EQ(call.function, (DWORD)hwpl::kSetCL);
  EXPECT_NE(MapSL(call.segBlock), nullptr);
  EXPECT_EQ(call.block, block.data()) << "the block itself arrives as a 16:16 pointer";
  ASSERT_EQ(call.bytes.size(), 12u);
  EXPECT_EQ(hwpl::ReadDword(call.bytes.data(), 0), 0x11223344u);
  EXPECT_EQ(hwpl::ReadDword(call.bytes.data(), 4), 0x55667788u);
  DWORD seen = hwpl::ReadDword(call.bytes.data(), 8);
  EXPECT_NE(seen, reinterpret_cast<DWORD>(listed));
  EXPECT_EQ(MapSL(seen), listed);
  EXPECT_EQ(block.bytes(), before) << "the caller's block is left as it passed it";

  // A flat address is no 16:16 pointer: the 16-bit side cannot use it.
  EXPECT_EQ(MapSL(reinterpret_cast<DWORD>(unlisted)), nullptr);
}

TEST_F(UniversalThunk, MapsPointersWithinTheirSelectorsLimit) {
  static BYTE memory[0x3000];
  BYTE* inPage = memory + 0x1234;
  DWORD segmented = MapLS(inPage);
  EXPECT_EQ(MapSL(segmented), inPage);
  EXPECT_EQ(MapLS(inPage + 1), segmented + 1) << "one selector per page";
  EXPECT_EQ(HIWORD(segmented) & 7, 7) << "an LDT selector of privilege 3";
  EXPECT_LT(LOWORD(segmented), 0x1000);
  EXPECT_EQ(MapLS(nullptr), 0u);
  EXPECT_EQ(MapSL(0), nullptr);
  EXPECT_NE(MapSLFor(segmented, 0x10000 - LOWORD(segmented)), nullptr);
  EXPECT_EQ(MapSLFor(segmented, 0x10000 - LOWORD(segmented) + 1), nullptr) << "past 64 KiB";
  EXPECT_EQ(MapSL(MAKELONG(0, HIWORD(segmented) + 0x100)), nullptr) << "a selector never allocated";
  Reboot();
  EXPECT_EQ(MapSL(segmented), nullptr) << "selectors belong to the station";
}

TEST_F(UniversalThunk, RefusesWhatCannotBeRegistered) {
  char missing[] = "nosuch16.DLL", noProc[] = "NoSuchProc";
  struct Case {
    const char* what;
    LPSTR library;
    LPSTR init;
    LPSTR proc;
    bool initFails;
    DWORD error;
  } cases[] = {
      {"no such library", missing, init_, proc_, false, ERROR_MOD_NOT_FOUND},
      {"no such procedure", name16_, init_, noProc, false, ERROR_PROC_NOT_FOUND},
      {"no such init entry", name16_, noProc, proc_, false, ERROR_PROC_NOT_FOUND},
      {"no procedure named", name16_, init_, nullptr, false, ERROR_INVALID_PARAMETER},
      {"UTInit refuses", name16_, init_, proc_, true, ERROR_DLL_INIT_FAILED},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    control_->settings().initFails = c.initFails;
    UT32PROC thunk = nullptr;
    EXPECT_FALSE(utRegister_(kernel_, c.library, c.init, c.proc, &thunk, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(thunk, nullptr);
    EXPECT_FALSE(host::thunk16::HasRegistration(kernel_)) << "a refusal leaves nothing registered";
  }
  control_->settings().initFails = false;
  EXPECT_FALSE(utRegister_(reinterpret_cast<HANDLE>(0x1234), name16_, init_, proc_, &thunk_, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
  ASSERT_TRUE(Register());
  UT32PROC second = nullptr;
  EXPECT_FALSE(utRegister_(kernel_, name16_, init_, proc_, &second, nullptr, nullptr)) << "one per module";
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
}

TEST_F(UniversalThunk, UnregisteredThunkNoLongerReachesThe16BitSide) {
  ASSERT_TRUE(Register());
  UT32PROC old = thunk_;
  utUnRegister_(kernel_);
  EXPECT_FALSE(host::thunk16::HasRegistration(kernel_));
  EXPECT_EQ(old(nullptr, hwpl::kDisplayInit, nullptr), 0u);
  EXPECT_TRUE(control_->calls().empty());
  utUnRegister_(kernel_);  // again: nothing to do
  ASSERT_TRUE(Register()) << "the module can register anew";
  EXPECT_EQ(CallWithoutBlock(hwpl::kDisplayInit), 1u);
}

DWORD WINAPI RecordingCallback(LPVOID buffer, DWORD userDefined) {
  auto* fields = static_cast<DWORD*>(buffer);
  // The translated field now holds a flat pointer to the string.
  const char* text = *reinterpret_cast<const char* const*>(&fields[1]);
  return userDefined + static_cast<DWORD>(std::strlen(text));
}

TEST_F(UniversalThunk, CallbackTranslates16To32) {
  ASSERT_TRUE(Register(reinterpret_cast<FARPROC>(&RecordingCallback)));
  auto callback = reinterpret_cast<host::thunk16::UT16CBPROC>(control_->inits().at(0).callbackTo32);
  ASSERT_NE(callback, nullptr);
  // What the 16-bit side would pass: a buffer with a 16:16 pointer, and a
  // list of 16:16 addresses of such fields.
  static char text[] = "twelve chars";
  static DWORD buffer[2];
  static DWORD list[2];
  buffer[0] = 7;
  buffer[1] = MapLS(text);
  list[0] = MapLS(&buffer[1]);
  list[1] = 0;
  DWORD segmentedText = buffer[1];
  EXPECT_EQ(callback(MapLS(buffer), 100, MapLS(list)), 112u);
  EXPECT_EQ(buffer[1], segmentedText) << "the 16-bit side gets its buffer back";
}

TEST_F(UniversalThunk, RegistrationOutlivesTheProcessThatMadeIt) {
  auto process = host::kernel::NewProcess("C:\\WINDOWS\\FIRST.EXE", "FIRST.EXE");
  bool registered = false;
  host::kernel::StartThread(
      process,
      [&] {
        registered = Register();
        return 0;
      },
      false);
  ASSERT_EQ(host::WaitForProgram(process->process.id, 20000), 0u);
  ASSERT_TRUE(registered);
  EXPECT_EQ(CallWithoutBlock(hwpl::kDisplayInit), 1u) << "another process still calls through";
}

}  // namespace
}  // namespace hwpl16::testing
