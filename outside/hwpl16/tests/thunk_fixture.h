// A station with hwpl16.DLL registered behind the universal thunk, the way a
// 32-bit library registers it, and blocks built as a 32-bit caller builds them.
#pragma once

#include <host/thunk16.h>
#include <host_testing/station_fixture.h>
#include <hwpl16_control.h>
#include <hwpl_blocks.h>
#include <windows.h>

#include <vector>

namespace hwpl16::testing {

typedef DWORD(WINAPI* UT32PROC)(LPVOID lpBuff, DWORD dwUserDefined, LPVOID* lpTranslationList);
typedef BOOL(WINAPI* UTREGISTERPROC)(HANDLE hModule, LPSTR lpsz16BITDLL, LPSTR lpszInitName, LPSTR lpszProcName,
                                     UT32PROC* ppfn32Thunk, FARPROC pfnUT32Callback, LPVOID lpBuff);
typedef VOID(WINAPI* UTUNREGISTERPROC)(HANDLE hModule);

template <class Function>
Function ProcAs(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// A parameter block with its translation list. Pointer fields are listed.
class Block {
 public:
  Block() { bytes_.reserve(64); }
  Block& Word(WORD value) {
    bytes_.resize(bytes_.size() + 2);
    hwpl::WriteWord(bytes_.data(), bytes_.size() - 2, value);
    return *this;
  }
  Block& Dword(DWORD value) {
    bytes_.resize(bytes_.size() + 4);
    hwpl::WriteDword(bytes_.data(), bytes_.size() - 4, value);
    return *this;
  }
  Block& Pointer(const void* value) {
    offsets_.push_back(bytes_.size());
    return Dword(reinterpret_cast<DWORD>(value));
  }
  BYTE* data() { return bytes_.data(); }
  const std::vector<BYTE>& bytes() const { return bytes_; }
  LPVOID* translationList() {
    list_.clear();
    for (size_t offset : offsets_) list_.push_back(&bytes_[offset]);
    list_.push_back(nullptr);
    return list_.data();
  }

 private:
  std::vector<BYTE> bytes_;
  std::vector<size_t> offsets_;
  std::vector<LPVOID> list_;
};

class ThunkTest : public host::testing::StationTest {
 public:
  void SetUp() override {
    StationTest::SetUp();
    Acquire();
  }
  void TearDown() override {
    if (control_) control_->Reset();
    StationTest::TearDown();
  }
  // A reboot unloads the library with the station's processes.
  void Reboot() {
    StationTest::Reboot();
    Acquire();
  }
  void Acquire() {
    library16_ = LoadLibraryA("hwpl16.DLL");
    ASSERT_NE(library16_, nullptr);
    control_ = ProcAs<Control*(WINAPI*)()>(GetProcAddress(library16_, "Hwpl16Control"))();
    control_->Reset();
    kernel_ = LoadLibraryA("Kernel32.Dll");
    utRegister_ = ProcAs<UTREGISTERPROC>(GetProcAddress(kernel_, "UTRegister"));
    utUnRegister_ = ProcAs<UTUNREGISTERPROC>(GetProcAddress(kernel_, "UTUnRegister"));
    ASSERT_NE(utRegister_, nullptr);
    ASSERT_NE(utUnRegister_, nullptr);
  }

  // Registers hwpl16 for the kernel module, as a 32-bit library would for itself.
  bool Register(FARPROC callback = nullptr, LPVOID buffer = nullptr) {
    return utRegister_(kernel_, name16_, init_, proc_, &thunk_, callback, buffer);
  }

  DWORD CallThrough(DWORD function, Block& block) { return thunk_(block.data(), function, block.translationList()); }
  DWORD CallWithoutBlock(DWORD function) { return thunk_(nullptr, function, nullptr); }

  HMODULE library16_ = nullptr;
  HMODULE kernel_ = nullptr;
  Control* control_ = nullptr;
  UTREGISTERPROC utRegister_ = nullptr;
  UTUNREGISTERPROC utUnRegister_ = nullptr;
  UT32PROC thunk_ = nullptr;
  char name16_[16] = "hwpl16.DLL";
  char init_[8] = "UTInit";
  char proc_[8] = "UTProc";
};

}  // namespace hwpl16::testing
