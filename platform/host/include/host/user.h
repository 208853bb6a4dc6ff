// Control API of the window manager: input as a person gives it, scripting
// of modal loops, and what USER recorded (message boxes, menus, help and
// exit requests). Tests and stand-ins only; deliverables never include this.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace host::user {

// ---- Input (screen coordinates) ----
// Mouse events go to the window under the cursor or to the capture window;
// the receiving thread hit-tests them when it takes them from its queue.

enum class Button { Left, Right, Middle };
void MoveMouse(int x, int y);  // the cursor is clamped to the desktop (and ClipCursor)
void PressButton(Button button = Button::Left);
void ReleaseButton(Button button = Button::Left);
void Click(int x, int y, Button button = Button::Left);        // move, press, release
void DoubleClick(int x, int y, Button button = Button::Left);  // two clicks within the double-click time
// Keys go to the focus window of the foreground window's thread (the active
// window when nothing has the focus). Alt held makes WM_SYSKEYDOWN/UP.
void PressKey(UINT vk);
void ReleaseKey(UINT vk);
void TypeKey(UINT vk);                  // press and release
void TypeText(const std::string& text); // letters, digits, blanks and US punctuation, Shift as needed

// Dispatches the calling thread's messages until its queue is empty (a WM_QUIT is left in place).
// Timers that are not yet due are not waited for.
void PumpMessages();

// ---- Scripting the waits of a UI thread ----
// Actions run in order, one each time a thread would wait for input: in
// GetMessageA, WaitMessage and every modal loop (message boxes, menus,
// caption drags). A modal loop with no action left and no timer is stuck:
// the stuck-loop handler is told the loop's name and the loop ends (a message
// box answers its default button, a menu chooses nothing). On the virtual
// clock a waiting thread with a timer lets the clock run to the timer.

void Script(const std::string& description, std::function<void()> action);
void ScriptMove(int x, int y);
void ScriptClick(int x, int y, Button button = Button::Left);
void ScriptPress(Button button = Button::Left);
void ScriptRelease(Button button = Button::Left);
void ScriptKey(UINT vk);
void ScriptAdvanceClock(DWORD milliseconds);
// Answers the message box that is open when this step comes up (IDOK, IDYES ...).
void ScriptAnswerMessageBox(int answer);
// Chooses the command id in the popup menu being tracked; 0 dismisses it.
void ScriptChooseMenuItem(UINT id);
size_t PendingScriptSteps();
void ClearScript();

// Default handler: prints "stuck modal loop: <name>" on stderr and records it.
void SetStuckLoopHandler(std::function<void(const std::string& loopName)> handler);
std::vector<std::string> StuckLoops();

// ---- Records ----

struct MessageBoxRecord {
  HWND owner;
  std::string text, caption;
  UINT type;
  int answer;
};
std::vector<MessageBoxRecord> MessageBoxes();

struct MenuItemRecord {
  UINT id;  // command id; for a popup, 0xFFFFFFFF
  std::string text;
  UINT state;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP, MF_DEFAULT bits
  std::vector<MenuItemRecord> items;  // a popup's items
};
struct TrackedMenu {
  HWND owner;
  int x, y;
  UINT flags;
  std::vector<MenuItemRecord> items;
  UINT chosen;  // 0: nothing
};
std::vector<TrackedMenu> TrackedMenus();
// A menu's items and states as they are now.
std::vector<MenuItemRecord> MenuItems(HMENU menu);

struct HelpRequest {
  HWND window;
  std::string file;
  UINT command;
  ULONG_PTR data;
};
std::vector<HelpRequest> HelpRequests();
// ExitWindowsEx flags in the order asked. A restart request (EWX_REBOOT) is
// only recorded: the station keeps running; a test reboots it when it wants.
std::vector<UINT> ExitRequests();

void ClearRecords();

// SPI_GETWORKAREA: the desktop unless set (a task bar takes its part); a display change resets it.
void SetWorkArea(const RECT& area);

}  // namespace host::user
