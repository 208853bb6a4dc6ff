// Test support for the window manager: a recording window class whose
// procedure logs every message ("main WM_CREATE") and can be told what to
// answer, so tests compare message sequences as tables.
#pragma once

#include <gtest/gtest.h>
#include <host/user.h>
#include <host_testing/station_fixture.h>
#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace host::user::testing {

std::string MessageName(UINT msg);

struct Logged {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// What a recorder window answers instead of DefWindowProcA (nullopt: the default).
using Answer = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

class Recorder {
 public:
  static Recorder& Get();
  void Clear();
  void Reset();  // entries and names
  void Add(const Logged& entry);
  std::vector<Logged> Entries();
  void Name(HWND hwnd, const std::string& name);
  std::string NameOf(HWND hwnd);
  // "name MESSAGE" lines, only for the messages not in `ignored`.
  std::vector<std::string> Lines(const std::vector<UINT>& ignored = {});
  Answer answer;

 private:
  std::mutex lock_;
  std::vector<Logged> entries_;
  std::map<HWND, std::string> names_;
};

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class UserTest : public host::testing::StationTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A recorder window named for the log.
  HWND Make(const std::string& name, DWORD style, HWND parent = nullptr, RECT rect = {10, 20, 210, 170},
            DWORD exStyle = 0, const char* className = "Recorder", HMENU menu = nullptr);
  std::vector<std::string> Log(const std::vector<UINT>& ignored = {}) { return Recorder::Get().Lines(ignored); }
  void ClearLog() { Recorder::Get().Clear(); }
};

}  // namespace host::user::testing
