#include "user_test_support.h"

#include <cstdio>
#include <set>

namespace host::user::testing {

std::string MessageName(UINT msg) {
  static const std::map<UINT, const char*> names = {
      {WM_CREATE, "WM_CREATE"},
      {WM_DESTROY, "WM_DESTROY"},
      {WM_MOVE, "WM_MOVE"},
      {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"},
      {WM_SETFOCUS, "WM_SETFOCUS"},
      {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_ENABLE, "WM_ENABLE"},
      {WM_SETTEXT, "WM_SETTEXT"},
      {WM_GETTEXT, "WM_GETTEXT"},
      {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
      {WM_PAINT, "WM_PAINT"},
      {WM_CLOSE, "WM_CLOSE"},
      {WM_QUIT, "WM_QUIT"},
      {WM_ERASEBKGND, "WM_ERASEBKGND"},
      {WM_SYSCOLORCHANGE, "WM_SYSCOLORCHANGE"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
      {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
      {WM_CANCELMODE, "WM_CANCELMODE"},
      {WM_SETCURSOR, "WM_SETCURSOR"},
      {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
      {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
      {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
      {WM_STYLECHANGING, "WM_STYLECHANGING"},
      {WM_STYLECHANGED, "WM_STYLECHANGED"},
      {WM_DISPLAYCHANGE, "WM_DISPLAYCHANGE"},
      {WM_NCCREATE, "WM_NCCREATE"},
      {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
      {WM_NCHITTEST, "WM_NCHITTEST"},
      {WM_NCPAINT, "WM_NCPAINT"},
      {WM_NCACTIVATE, "WM_NCACTIVATE"},
      {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
      {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
      {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
      {WM_NCLBUTTONDBLCLK, "WM_NCLBUTTONDBLCLK"},
      {WM_KEYDOWN, "WM_KEYDOWN"},
      {WM_KEYUP, "WM_KEYUP"},
      {WM_CHAR, "WM_CHAR"},
      {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
      {WM_SYSKEYUP, "WM_SYSKEYUP"},
      {WM_SYSCHAR, "WM_SYSCHAR"},
      {WM_COMMAND, "WM_COMMAND"},
      {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
      {WM_TIMER, "WM_TIMER"},
      {WM_INITMENU, "WM_INITMENU"},
      {WM_INITMENUPOPUP, "WM_INITMENUPOPUP"},
      {WM_ENTERIDLE, "WM_ENTERIDLE"},
      {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
      {WM_LBUTTONUP, "WM_LBUTTONUP"},
      {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
      {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
      {WM_RBUTTONUP, "WM_RBUTTONUP"},
      {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
      {WM_ENTERMENULOOP, "WM_ENTERMENULOOP"},
      {WM_EXITMENULOOP, "WM_EXITMENULOOP"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
      {WM_MOVING, "WM_MOVING"},
      {WM_ENTERSIZEMOVE, "WM_ENTERSIZEMOVE"},
      {WM_EXITSIZEMOVE, "WM_EXITSIZEMOVE"},
      {WM_USER, "WM_USER"},
      {WM_USER + 1, "WM_USER+1"},
      {WM_USER + 2, "WM_USER+2"},
      {WM_USER + 3, "WM_USER+3"},
  };
  auto found = names.find(msg);
  if (found != names.end()) return found->second;
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", msg);
  return text;
}

Recorder& Recorder::Get() {
  static Recorder recorder;
  return recorder;
}

void Recorder::Clear() {
  std::lock_guard guard(lock_);
  entries_.clear();
}

void Recorder::Reset() {
  std::lock_guard guard(lock_);
  entries_.clear();
  names_.clear();
}

void Recorder::Add(const Logged& entry) {
  std::lock_guard guard(lock_);
  entries_.push_back(entry);
}

std::vector<Logged> Recorder::Entries() {
  std::lock_guard guard(lock_);
  return entries_;
}

void Recorder::Name(HWND hwnd, const std::string& name) {
  std::lock_guard guard(lock_);
  names_[hwnd] = name;
}

std::string Recorder::NameOf(HWND hwnd) {
  std::lock_guard guard(lock_);
  auto found = names_.find(hwnd);
  return found == names_.end() ? "?" : found->second;
}

std::vector<std::string> Recorder::Lines(const std::vector<UINT>& ignored) {
  std::set<UINT> skip(ignored.begin(), ignored.end());
  std::vector<std::string> lines;
  for (auto& entry : Entries())
    if (!skip.count(entry.msg)) lines.push_back(NameOf(entry.hwnd) + " " + MessageName(entry.msg));
  return lines;
}

// Names the window at WM_NCCREATE if the test announced it with "pending" below.
namespace {
std::string& PendingName() {
  static std::string name;
  return name;
}
}  // namespace

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& recorder = Recorder::Get();
  if (recorder.NameOf(hwnd) == "?" && !PendingName().empty()) recorder.Name(hwnd, PendingName());
  recorder.Add({hwnd, msg, wParam, lParam});
  if (recorder.answer)
    if (auto answer = recorder.answer(hwnd, msg, wParam, lParam)) return *answer;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void UserTest::SetUp() {
  StationTest::SetUp();
  Recorder::Get().Reset();
  Recorder::Get().answer = nullptr;
  host::user::SetStuckLoopHandler([](const std::string& loop) { ADD_FAILURE() << "stuck modal loop: " << loop; });
  for (const char* name : {"Recorder", "RecorderDbl"}) {
    WNDCLASSA wc{};
    wc.style = std::string(name) == "RecorderDbl" ? CS_DBLCLKS : 0;
    wc.lpfnWndProc = RecorderProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    ASSERT_TRUE(RegisterClassA(&wc));
  }
}

void UserTest::TearDown() {
  Recorder::Get().answer = nullptr;
  host::user::SetStuckLoopHandler(nullptr);
  StationTest::TearDown();
}

HWND UserTest::Make(const std::string& name, DWORD style, HWND parent, RECT rect, DWORD exStyle,
                    const char* className, HMENU menu) {
  PendingName() = name;
  HWND hwnd = CreateWindowExA(exStyle, className, name.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, menu, nullptr, nullptr);
  PendingName().clear();
  if (hwnd) Recorder::Get().Name(hwnd, name);
  return hwnd;
}

}  // namespace host::user::testing
