// Attach and detach: one registration for all processes, made by the first
// and removed by the last; refusal without a thunk.
#include "hwpl32_fixture.h"

namespace hwpl32::testing {
namespace {

using host::thunk16::HasRegistration;
using Hwpl32Attach = Hwpl32Test;

TEST_F(Hwpl32Attach, FirstProcessRegistersAndTheLastOneToDetachUnregisters) {
  HostedProcess first("FIRST.EXE"), second("SECOND.EXE");
  HMODULE module = nullptr;
  first.Run([&] {
    EXPECT_EQ(KernelReferences(), 0);
    module = LoadLibraryA("hwpl32.DLL");
    EXPECT_EQ(KernelReferences(), 1) << "Kernel32.Dll is loaded for the thunk entries";
  });
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(HasRegistration(module));
  EXPECT_EQ(control_->inits().size(), 1u);

  second.Run([&] { EXPECT_EQ(LoadLibraryA("hwpl32.DLL"), module); });
  EXPECT_EQ(control_->inits().size(), 1u) << "the second attach does not register again";
  second.Run([&] { EXPECT_TRUE(FreeLibrary(module)); });
  EXPECT_TRUE(HasRegistration(module)) << "the first process is still attached";
  first.Run([&] {
    auto displayInit = ProcAs<decltype(&orvDisplayInit)>(GetProcAddress(module, "orvDisplayInit"));
    EXPECT_EQ(displayInit(), 1) << "the shared thunk still serves it";
  });
  second.End();

  first.Run([&] {
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(KernelReferences(), 0) << "the last detach frees Kernel32.Dll";
  });
  EXPECT_FALSE(HasRegistration(module));
  ASSERT_NE(Load(), nullptr);
  EXPECT_EQ(control_->inits().size(), 2u) << "a later first attach registers afresh";
}

TEST_F(Hwpl32Attach, AProcessEndingWhileAttachedDetaches) {
  HMODULE module = nullptr;
  {
    HostedProcess only("ONLY.EXE");
    only.Run([&] { module = LoadLibraryA("hwpl32.DLL"); });
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(HasRegistration(module));
  }
  EXPECT_FALSE(HasRegistration(module));
  ASSERT_NE(Load(), nullptr);
  EXPECT_EQ(control_->inits().size(), 2u);
}

TEST_F(Hwpl32Attach, RefusedOutsideTheWindows95Family) {
  config_.version = 0x05650004;  // Windows NT 4.0: high bit clear
  Reboot();
  EXPECT_EQ(Load(), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DLL_INIT_FAILED);
  EXPECT_TRUE(control_->inits().empty()) << "no registration is tried";
  EXPECT_EQ(KernelReferences(), 0) << "Kernel32.Dll is given back";
  EXPECT_EQ(Load(), nullptr) << "a second attempt fails as well";
}

TEST_F(Hwpl32Attach, AFailedRegistrationLeavesNothingAttached) {
  control_->settings().initFails = true;
  EXPECT_EQ(Load(), nullptr);
  EXPECT_EQ(Load(), nullptr) << "not a silent success without a thunk";
  EXPECT_EQ(control_->inits().size(), 2u) << "each attempt registers anew";
  EXPECT_EQ(KernelReferences(), 0);
  control_->settings().initFails = false;
  HMODULE module = Load();
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(HWPL32(orvDisplayInit)(), 1);
  EXPECT_TRUE(FreeLibrary(module));
  hwpl32_ = nullptr;
  EXPECT_FALSE(HasRegistration(module)) << "the count went back to 0, not below";
}

}  // namespace
}  // namespace hwpl32::testing
