// The window manager's shared state: classes, windows, per-thread queues.
// Everything here is guarded by UserLock(); no lock is ever held while a
// window procedure, hook or callback runs, so procedures may call USER freely
// and threads may send to each other.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace host::user {

// The kernel's lock: waits on the kernel's signal (SignalChanged) then see
// both thread termination and queue changes without lost wake-ups.
std::recursive_mutex& UserLock();
using Lock = std::unique_lock<std::recursive_mutex>;
// Wakes every thread waiting for messages; call after changing a queue.
void WakeWaiters();

struct WindowClass {
  ATOM atom = 0;
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0, wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr, iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  LPCSTR menuName = nullptr;  // as given: a string we keep below, or an integer resource
  std::string menuNameText;
  std::vector<BYTE> extra;
  bool system = false;  // registered by the host for every process
  DWORD processId = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  DWORD style = 0, exStyle = 0;
  std::string text;
  WNDPROC proc = nullptr;
  HWND parent = nullptr;  // the desktop for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;  // z-order, topmost first
  UINT_PTR id = 0;             // child windows: control id; others: the menu handle
  HINSTANCE instance = nullptr;
  LONG userData = 0;
  std::vector<BYTE> extra;
  DWORD threadId = 0, processId = 0;
  // Rectangles in the parent's client coordinates (screen for top-level windows).
  RECT rect{}, client{};
  RECT normalRect{};        // restored position, for placement and SW_RESTORE
  POINT minPos{-1, -1}, maxPos{-1, -1};
  bool restoreToMaximized = false;
  std::vector<std::pair<std::string, HANDLE>> props;
  // Painting: the update region is kept as its bounding rectangle (client coordinates).
  RECT update{};
  bool updateErase = false, internalPaint = false, ncPaintPending = false, inPaint = false;
  bool createDone = false, destroying = false, destroyed = false;
  HMENU systemMenu = nullptr;
  HWND lastActivePopup = nullptr;
  HDC ownDC = nullptr;  // CS_OWNDC: made at the first GetDC, deleted with the window
};

struct SentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  bool noWait = false;  // SendNotifyMessage: nobody waits for the answer
  DWORD sender = 0;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  DWORD due = 0;
};

struct Hook {
  HHOOK handle = nullptr;
  int kind = 0;
  HOOKPROC proc = nullptr;
  DWORD threadId = 0;
};

// Mouse input is queued raw (screen point, target chosen at injection) and
// cooked when the thread takes it: hit test, activation, WM_SETCURSOR,
// client coordinates and double clicks, as Windows does at retrieval.
struct InputEvent {
  MSG msg{};
  bool raw = false;
};

struct ThreadQueue {
  DWORD threadId = 0;
  std::deque<MSG> posted;
  std::deque<InputEvent> input;
  std::deque<std::shared_ptr<SentMessage>> incoming;
  std::vector<std::shared_ptr<SentMessage>> handling;  // sends from other threads being answered
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  std::vector<Hook> hooks;
  HWND focus = nullptr, active = nullptr, capture = nullptr;
  DWORD lastMessageTime = 0;
  POINT lastMessagePos{};
  BYTE keys[256] = {};  // key state as of the last input message taken (GetKeyState)
  std::vector<std::string> modalLoops;  // names of the modal loops running, innermost last
  unsigned wake = 0;                    // bumped whenever the queue may have work
  bool gone = false;
};

struct UserState {
  std::map<HWND, std::shared_ptr<Window>> windows;
  std::vector<std::shared_ptr<WindowClass>> classes;
  std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;
  HWND desktop = nullptr;
  DWORD nextHandle = 0x10010;
  ATOM nextAtom = 0xC000;
  DWORD nextHook = 0x20010;
  UINT_PTR nextThreadTimer = 1;
  std::map<std::string, UINT> registeredMessages;  // by upper-cased name
  HWND foreground = nullptr;
  POINT cursor{};
  RECT cursorClip{};
  bool cursorClipped = false;
  int displayBitsPerPixel = 0;  // of the last display change, to tell a mode change from a zoom
  HCURSOR cursorShape = nullptr;
  int cursorShowCount = 0;
  BYTE keys[256] = {};  // high bit: down; low bit: toggled
  // Last button press, for double-click detection.
  HWND lastClickWindow = nullptr;
  UINT lastClickMessage = 0;
  DWORD lastClickTime = 0;
  POINT lastClickPoint{};
  unsigned scriptGeneration = 0;
  int cascade = 0;  // next default position of an overlapped window
};

UserState& U();

// Lookups (call with the lock held or accept a snapshot).
std::shared_ptr<Window> FindWindowPtr(HWND hwnd);
// The window or null with ERROR_INVALID_WINDOW_HANDLE set.
std::shared_ptr<Window> CheckWindow(HWND hwnd);
std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId);  // created on first use
std::shared_ptr<ThreadQueue> CurrentQueue();
DWORD CurrentThread();
HWND NewHandle();
bool IsDesktop(HWND hwnd);
bool IsTopLevel(const Window& window);
bool IsDescendant(HWND ancestor, HWND hwnd);

// Calls the window's procedure for a sent message on its own thread: the
// thread's WH_CALLWNDPROC hooks see it first.
LRESULT CallSent(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends to every top-level window (HWND_BROADCAST).
void Broadcast(UINT msg, WPARAM wParam, LPARAM lParam, bool post);

// Geometry shared by the parts.
RECT ScreenRect(const Window& window);        // window rectangle in screen coordinates
POINT ClientOrigin(const Window& window);      // client area's top-left on the screen
void NonClientInsets(DWORD style, DWORD exStyle, bool menu, RECT* insets);
LONG HitTest(const Window& window, POINT screen);
void ApplyWindowPos(WINDOWPOS& pos);  // SetWindowPos's core
void InsertInZOrder(Window& parent, HWND hwnd, HWND after);

// Painting bookkeeping shared with geometry and destruction.
void InvalidateClient(Window& window, const RECT* rect, bool erase);
bool NeedsPaint(const Window& window);

// Focus and activation when windows go away.
void ForgetWindowInFocus(HWND hwnd);
void ActivateWindow(HWND hwnd, bool byClick);

// Timers of a window that is destroyed.
void KillWindowTimers(HWND hwnd);

// Modal loops: true when the loop may go on; false when it is stuck (the
// stuck-loop handler was told) or WM_QUIT arrived (reposted).
bool ModalGetMessage(MSG* msg, const char* loopName);
void EnterModalLoop(const std::string& name);
void LeaveModalLoop();

// Mouse tracking loop of a caption drag (input.cpp).
void RunMoveLoop(HWND hwnd, POINT start);
void DestroyWindowMenus(Window& window);

// Window DCs (window_dcs.cpp): windows moved, were shown, hidden, restacked or destroyed, so window DCs
// take their origin and clip again; a window's own DC goes with it. Both are safe under UserLock().
void NoteWindowAreasChanged();
void ForgetOwnDC(Window& window);

}  // namespace host::user
