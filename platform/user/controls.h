// The standard controls' shared internals: per-window state kept beside the
// window (not in its extra bytes, which programs may use), notifications to
// the parent, WM_CTLCOLOR* with Windows' defaults, fonts and painting.
#pragma once

#include <windows.h>

#include <cctype>
#include <map>
#include <memory>
#include <string>

#include "gdi/window_dc.h"
#include "user/user_state.h"

namespace host::user {

// RegisterControlClasses (below) registers the control classes of the host at USER's boot and
// forgets every control's state of the previous station.

// Per-window state of one control class. The state lives until WM_NCDESTROY or the station's next boot.
template <class T>
class ControlStore {
 public:
  std::shared_ptr<T> Find(HWND hwnd) {
    Lock lock(UserLock());
    auto found = states_.find(hwnd);
    return found == states_.end() ? nullptr : found->second;
  }
  std::shared_ptr<T> Make(HWND hwnd) {
    Lock lock(UserLock());
    auto& slot = states_[hwnd];
    slot = std::make_shared<T>();
    return slot;
  }
  void Erase(HWND hwnd) {
    Lock lock(UserLock());
    states_.erase(hwnd);
  }
  // The state a procedure works on for `msg`: made on the window's first message; WM_NCDESTROY, the last,
  // forgets it and gets none.
  std::shared_ptr<T> ForMessage(HWND hwnd, UINT msg) {
    if (msg == WM_NCDESTROY) {
      Erase(hwnd);
      return nullptr;
    }
    auto found = Find(hwnd);
    return found ? found : Make(hwnd);
  }
  void Clear() {
    Lock lock(UserLock());
    states_.clear();
  }

 private:
  std::map<HWND, std::shared_ptr<T>> states_;
};

// Procedures of the classes (one file each).
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void ForgetButtonStates();
void ForgetStaticStates();
void ForgetEditStates();
void ForgetListBoxStates();
void ForgetComboBoxStates();
void ForgetScrollBarStates();

// Between a combo box and its parts.
constexpr int kComboEditId = 1001;
constexpr int kComboListId = 1000;
bool IsComboBox(HWND hwnd);
// The drop-down list tells its combo box that the user chose (index >= 0) or cancelled (-1).
void ComboListDone(HWND combo, int index, bool chosen);
// The edit of a combo box passes these keys to its combo box (arrows, F4).
bool ComboEditKey(HWND combo, UINT vk);
// The combo a drop-down list belongs to, or null.
HWND ComboOfList(HWND list);
bool ComboDropped(HWND combo);
// The edit of a combo box lost the focus to `to`.
void ComboChildLostFocus(HWND combo, HWND to);

// ---- Shared helpers (controls.cpp-free: inline) ----

// A system colour's brush; the GDI's own until the window manager's painting hooks are wired.
inline HBRUSH SysBrush(int index) {
  if (HBRUSH brush = GetSysColorBrush(index)) return brush;
  return gdi::SysColorBrush(index);
}

inline DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

// Where a control's notifications and WM_CTLCOLOR* go: its parent (a drop-down list: its combo box).
inline HWND NotifyTarget(HWND hwnd) {
  if (HWND combo = ComboOfList(hwnd)) return combo;
  return GetParent(hwnd);
}

inline void NotifyParent(HWND hwnd, int code) {
  HWND parent = NotifyTarget(hwnd);
  if (!parent) return;
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

// Asks the parent for the brush (WM_CTLCOLOR*); a parent that leaves the message to DefWindowProc
// (answer 0) gets Windows' default: window colours for edits and lists, button face otherwise.
inline HBRUSH ControlBrush(HWND hwnd, HDC dc, UINT msg) {
  HWND parent = NotifyTarget(hwnd);
  HBRUSH brush = nullptr;
  if (parent)
    brush = reinterpret_cast<HBRUSH>(
        SendMessageA(parent, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
  if (brush) return brush;
  bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_3DFACE));
  SetTextColor(dc, GetSysColor(window ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
  if (msg == WM_CTLCOLORSCROLLBAR) return SysBrush(COLOR_SCROLLBAR);
  return SysBrush(window ? COLOR_WINDOW : COLOR_3DFACE);
}

// The font a control draws with: the one WM_SETFONT gave, else the dialog font.
inline HFONT DrawingFont(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

inline RECT ClientRectOf(HWND hwnd) {
  RECT rect{};
  GetClientRect(hwnd, &rect);
  return rect;
}

// The height of a line of text in the font (tmHeight), measured on a memory DC.
inline int FontHeight(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, DrawingFont(font));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return tm.tmHeight > 0 ? tm.tmHeight : 13;
}

// WM_PAINT and WM_PRINTCLIENT: a DC in wParam is drawn on as it is; otherwise BeginPaint's.
template <class Draw>
void PaintWith(HWND hwnd, WPARAM wParam, Draw draw) {
  if (wParam) {
    draw(reinterpret_cast<HDC>(wParam));
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc) draw(dc);
  EndPaint(hwnd, &ps);
}

// Draws a change of state at once, as Windows' controls do, when the control is on the screen.
template <class Draw>
void DrawNow(HWND hwnd, Draw draw) {
  if (!IsWindowVisible(hwnd)) return;
  HDC dc = GetDC(hwnd);
  if (!dc) return;
  draw(dc);
  ReleaseDC(hwnd, dc);
}

inline void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

inline std::string UpperText(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Windows' ordinals of the control classes, which dialog templates use for the class.
inline void RegisterControlClasses() {
  struct Entry {
    ATOM atom;
    const char* name;
    WNDPROC proc;
    UINT style;
    int background;
  };
  const Entry entries[] = {
      {0x0080, "Button", ButtonProc, CS_DBLCLKS | CS_PARENTDC, 0},
      {0x0081, "Edit", EditProc, CS_DBLCLKS | CS_PARENTDC, 0},
      {0x0082, "Static", StaticProc, CS_DBLCLKS | CS_PARENTDC, 0},
      {0x0083, "ListBox", ListBoxProc, CS_DBLCLKS | CS_PARENTDC, 0},
      {0x0084, "ScrollBar", ScrollBarProc, CS_DBLCLKS | CS_PARENTDC, 0},
      {0x0085, "ComboBox", ComboBoxProc, CS_DBLCLKS | CS_PARENTDC, 0},
      {0, "ComboLBox", ListBoxProc, CS_DBLCLKS | CS_SAVEBITS, 0},
  };
  for (const Entry& entry : entries) {
    auto cls = std::make_shared<WindowClass>();
    cls->atom = entry.atom ? entry.atom : U().nextAtom++;
    cls->name = entry.name;
    cls->proc = entry.proc;
    cls->style = entry.style | CS_GLOBALCLASS;
    cls->cursor = nullptr;
    cls->system = true;
    U().classes.push_back(cls);
  }
  ForgetButtonStates();
  ForgetStaticStates();
  ForgetEditStates();
  ForgetListBoxStates();
  ForgetComboBoxStates();
  ForgetScrollBarStates();
}

}  // namespace host::user
