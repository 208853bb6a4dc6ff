// Helpers the window manager's parts share that are not about its state.
#pragma once

#include "user/user_state.h"

#include <string>

namespace host::user {

void RegisterSystemClasses();
// The class CreateWindowExA would use for this name (or integer atom) in the calling process.
std::shared_ptr<WindowClass> FindClass(LPCSTR name, HINSTANCE instance);
bool SameText(const std::string& a, const std::string& b);  // without regard to case
std::string PropKey(LPCSTR name);
LONG ReadWindowExtra(const std::vector<BYTE>& bytes, int offset);
void WriteWindowExtra(std::vector<BYTE>& bytes, int offset, LONG value);

// Removes a window and its descendants without any message (its thread ended).
void ForgetWindowSilently(HWND hwnd);

MINMAXINFO MinMaxInfo(const Window& window);
void ActivateOtherWindow(HWND leaving);
// Invalidates what a window leaves uncovered in its parent (area in the parent's client coordinates).
void InvalidateUncovered(HWND parent, RECT area, HWND except);

// Scripting and input (script.cpp, input.cpp).
bool RunNextScriptAction();  // true when an action ran
void ReportStuckLoop(const std::string& loopName);
void PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, POINT pt, bool raw);
// Takes the first input message for the filter, cooking raw mouse events (input.cpp).
bool TakeInput(ThreadQueue& queue, MSG* out, HWND hwnd, UINT min, UINT max, bool remove);
void RunCaptionButtonLoop(HWND hwnd, LONG hit);
bool MessageInFilter(const MSG& msg, HWND hwnd, UINT min, UINT max);
void WakeThreadOf(HWND hwnd);
int CharacterOfKey(UINT vk);  // the WM_CHAR TranslateMessage makes, -1 for none
void ClearHooks();

// Painting (painting.cpp): the frame and erasure a newly exposed window gets at once.
void PaintFrameAndEraseNow(HWND hwnd);

// The script's next step when it is meant for a message box or a menu.
enum class StepKind { None, Action, Answer, MenuChoice };
StepKind NextStepKind();
bool TakeScriptedValue(StepKind kind, int* value);
}  // namespace host::user

#include <host/user.h>

namespace host::user {
void RecordMessageBox(const MessageBoxRecord& record);
void RecordTrackedMenu(const TrackedMenu& record);
void RecordHelp(const HelpRequest& record);
void RecordExit(UINT flags);
HBRUSH SysColorBrush(int index);
void TrackSystemMenu(HWND hwnd, POINT at);

void ResetSystemColors();
void ResetRecords();
void ClearMenus();

// Win95 non-client metrics, the same numbers GetSystemMetrics reports.
inline constexpr int kFrame = 4;        // SM_CXFRAME, SM_CYFRAME
inline constexpr int kDialogFrame = 3;  // SM_CXDLGFRAME
inline constexpr int kBorder = 1;       // SM_CXBORDER
inline constexpr int kEdge = 2;         // SM_CXEDGE
inline constexpr int kCaption = 19;     // SM_CYCAPTION
inline constexpr int kSmallCaption = 15;  // SM_CYSMCAPTION
inline constexpr int kMenuBar = 19;     // SM_CYMENU
inline constexpr int kScrollBar = 16;   // SM_CXVSCROLL, SM_CYHSCROLL
// A minimized window is a caption stub of SM_CXMINIMIZED x SM_CYMINIMIZED, as Windows 95 makes it.
inline constexpr int kIconicWidth = 160, kIconicHeight = 24;
inline constexpr int kMinTrackWidth = 112, kMinTrackHeight = 27;  // SM_CXMINTRACK, SM_CYMINTRACK
inline constexpr int kDoubleClickTime = 500;
inline constexpr int kDoubleClickSize = 4;  // SM_CXDOUBLECLK

// Internal WM_WINDOWPOSCHANGED flags: the client area did not move or change size.
inline constexpr UINT kNoClientSize = 0x0800;
inline constexpr UINT kNoClientMove = 0x1000;

// The deepest visible window under `point` (screen) among `parent`'s children from index `first` on, descending
// as far as client areas reach; NULL when none is there. The lock is held.
HWND DeepestWindowAt(std::shared_ptr<Window> parent, size_t first, POINT point);
// Where mouse input goes that `transparent` let through (HTTRANSPARENT): a lower sibling under the point, else
// the parent. NULL for a top-level window.
HWND WindowBeneath(HWND transparent, POINT point);

}  // namespace host::user
