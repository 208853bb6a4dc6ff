// The "Edit" class, single line: typing and editing keys, selection by
// keyboard and mouse, read-only and number-only edits, a length limit,
// horizontal scrolling and EN_* notifications for every change of the text,
// the program's (WM_SETTEXT) as well as the user's.
#include <algorithm>
#include <cctype>
#include <vector>

#include "user/controls.h"

namespace host::user {
namespace {

constexpr int kDefaultLimit = 30000;
constexpr int kMaxLimit = 0x7FFE;  // a Windows 95 edit holds at most this many characters
constexpr int kMargin = 1;

struct EditState {
  std::string text;
  int anchor = 0, caret = 0;  // the selection runs between them; the caret is where it grows
  int limit = kDefaultLimit;
  int scroll = 0;  // pixels of the text scrolled off the left
  bool focus = false, modified = false, tracking = false;
  char password = 0;
  HFONT font = nullptr;
  std::string undo;
  bool canUndo = false;
};

ControlStore<EditState>& Store() {
  static ControlStore<EditState> store;
  return store;
}

int SelStart(const EditState& s) { return std::min(s.anchor, s.caret); }
int SelEnd(const EditState& s) { return std::max(s.anchor, s.caret); }

std::string Shown(const EditState& s) { return s.password ? std::string(s.text.size(), s.password) : s.text; }

// x of every character boundary from the text's start, in the edit's font.
std::vector<int> Offsets(const EditState& s) {
  std::string shown = Shown(s);
  std::vector<int> offsets(shown.size() + 1, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, DrawingFont(s.font));
  for (size_t i = 1; i <= shown.size(); ++i) {
    SIZE size{};
    GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(i), &size);
    offsets[i] = size.cx;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return offsets;
}

int TextWidth(const EditState& s) { return Offsets(s).back(); }

int AreaWidth(HWND hwnd) { return std::max<int>(0, ClientRectOf(hwnd).right - 2 * kMargin); }

// Where the text starts in client coordinates: aligned while it fits, scrolled otherwise.
int TextOrigin(HWND hwnd, const EditState& s, int width) {
  int area = AreaWidth(hwnd);
  if (width <= area) {
    switch (StyleOf(hwnd) & (ES_CENTER | ES_RIGHT)) {
      case ES_CENTER:
        return kMargin + (area - width) / 2;
      case ES_RIGHT:
        return kMargin + area - width;
    }
    return kMargin - s.scroll;
  }
  return kMargin - s.scroll;
}

void KeepCaretVisible(HWND hwnd, EditState& s) {
  auto offsets = Offsets(s);
  int area = AreaWidth(hwnd), width = offsets.back();
  if (!(StyleOf(hwnd) & ES_AUTOHSCROLL) || width <= area) {
    s.scroll = 0;
    return;
  }
  int x = offsets[s.caret];
  if (x - s.scroll < 0) s.scroll = x;
  if (x - s.scroll > area) s.scroll = x - area;
  s.scroll = std::clamp(s.scroll, 0, std::max(0, width - area));
}

int CharFromX(HWND hwnd, const EditState& s, int x) {
  auto offsets = Offsets(s);
  int origin = TextOrigin(hwnd, s, offsets.back());
  for (size_t i = 0; i + 1 < offsets.size(); ++i)
    if (x < origin + (offsets[i] + offsets[i + 1]) / 2) return static_cast<int>(i);
  return static_cast<int>(s.text.size());
}

void SyncWindowText(HWND hwnd, const EditState& s) {
  DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.text.c_str()));
}

HWND ComboOf(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  return parent && IsComboBox(parent) && GetDlgCtrlID(hwnd) == kComboEditId ? parent : nullptr;
}

// A new text from the program or the user: EN_UPDATE before it shows, EN_CHANGE after.
void TextChanged(HWND hwnd, const std::shared_ptr<EditState>& s) {
  KeepCaretVisible(hwnd, *s);
  SyncWindowText(hwnd, *s);
  NotifyParent(hwnd, EN_UPDATE);
  Redraw(hwnd);
  NotifyParent(hwnd, EN_CHANGE);
}

// The user's edit: replaces the selection; refused past the limit or, without ES_AUTOHSCROLL, past the width.
bool ReplaceSelection(HWND hwnd, const std::shared_ptr<EditState>& s, std::string insert, bool truncate) {
  int start = SelStart(*s), end = SelEnd(*s);
  int room = s->limit - (static_cast<int>(s->text.size()) - (end - start));
  if (static_cast<int>(insert.size()) > room) {
    if (!truncate || room <= 0) {
      NotifyParent(hwnd, EN_MAXTEXT);
      return false;
    }
    insert.resize(room);
  }
  EditState next = *s;
  next.text = s->text.substr(0, start) + insert + s->text.substr(end);
  if (!(StyleOf(hwnd) & ES_AUTOHSCROLL) && TextWidth(next) > AreaWidth(hwnd) && !insert.empty()) {
    NotifyParent(hwnd, EN_MAXTEXT);
    return false;
  }
  s->undo = s->text;
  s->canUndo = true;
  s->text = next.text;
  s->anchor = s->caret = start + static_cast<int>(insert.size());
  s->modified = true;
  TextChanged(hwnd, s);
  return true;
}

void MoveCaret(HWND hwnd, const std::shared_ptr<EditState>& s, int to, bool extend) {
  s->caret = std::clamp(to, 0, static_cast<int>(s->text.size()));
  if (!extend) s->anchor = s->caret;
  KeepCaretVisible(hwnd, *s);
  Redraw(hwnd);
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

int WordLeft(const std::string& text, int from) {
  int i = from;
  while (i > 0 && !IsWordChar(text[i - 1])) --i;
  while (i > 0 && IsWordChar(text[i - 1])) --i;
  return i;
}

int WordRight(const std::string& text, int from) {
  int i = from, n = static_cast<int>(text.size());
  while (i < n && IsWordChar(text[i])) ++i;
  while (i < n && !IsWordChar(text[i])) ++i;
  return i;
}

bool ReadOnly(HWND hwnd) { return StyleOf(hwnd) & ES_READONLY; }

LRESULT Char(HWND hwnd, const std::shared_ptr<EditState>& s, WPARAM wParam) {
  auto ch = static_cast<unsigned char>(wParam);
  if (ch == VK_BACK) {
    if (ReadOnly(hwnd)) return 0;
    if (SelStart(*s) == SelEnd(*s)) {
      if (s->caret == 0) return 0;
      s->anchor = s->caret - 1;
    }
    ReplaceSelection(hwnd, s, "", false);
    return 0;
  }
  if (ch < 0x20) return 0;  // Tab, Enter, Esc and control keys are not text in a single line
  if (ReadOnly(hwnd)) return 0;
  DWORD style = StyleOf(hwnd);
  if ((style & ES_NUMBER) && !std::isdigit(ch)) {
    MessageBeep(0);
    return 0;
  }
  if (style & ES_UPPERCASE) ch = static_cast<unsigned char>(std::toupper(ch));
  if (style & ES_LOWERCASE) ch = static_cast<unsigned char>(std::tolower(ch));
  ReplaceSelection(hwnd, s, std::string(1, static_cast<char>(ch)), false);
  return 0;
}

void Delete(HWND hwnd, const std::shared_ptr<EditState>& s) {
  if (ReadOnly(hwnd)) return;
  if (SelStart(*s) == SelEnd(*s)) {
    if (s->caret >= static_cast<int>(s->text.size())) return;
    s->anchor = s->caret + 1;
  }
  ReplaceSelection(hwnd, s, "", false);
}

LRESULT KeyDown(HWND hwnd, const std::shared_ptr<EditState>& s, WPARAM vk) {
  if (HWND combo = ComboOf(hwnd))
    if (ComboEditKey(combo, static_cast<UINT>(vk))) return 0;
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  bool selection = SelStart(*s) != SelEnd(*s);
  switch (vk) {
    case VK_LEFT:
    case VK_UP:  // a single line takes Up for Left, Down for Right
      if (ctrl)
        MoveCaret(hwnd, s, WordLeft(s->text, s->caret), shift);
      else if (selection && !shift)
        MoveCaret(hwnd, s, SelStart(*s), false);
      else
        MoveCaret(hwnd, s, s->caret - 1, shift);
      return 0;
    case VK_RIGHT:
    case VK_DOWN:
      if (ctrl)
        MoveCaret(hwnd, s, WordRight(s->text, s->caret), shift);
      else if (selection && !shift)
        MoveCaret(hwnd, s, SelEnd(*s), false);
      else
        MoveCaret(hwnd, s, s->caret + 1, shift);
      return 0;
    case VK_HOME:
      MoveCaret(hwnd, s, 0, shift);
      return 0;
    case VK_END:
      MoveCaret(hwnd, s, static_cast<int>(s->text.size()), shift);
      return 0;
    case VK_DELETE:
      Delete(hwnd, s);
      return 0;
  }
  return 0;
}

void SetSel(HWND hwnd, const std::shared_ptr<EditState>& s, int start, int end) {
  int n = static_cast<int>(s->text.size());
  if (start == -1) {  // deselects, the caret stays
    s->anchor = s->caret;
  } else {
    if (start < 0 || start > n) start = n;
    if (end < 0 || end > n) end = n;
    s->anchor = start;
    s->caret = end;
  }
  KeepCaretVisible(hwnd, *s);
  Redraw(hwnd);
}

LRESULT GetSel(const EditState& s, WPARAM wParam, LPARAM lParam) {
  DWORD start = SelStart(s), end = SelEnd(s);
  if (wParam) *reinterpret_cast<DWORD*>(wParam) = start;
  if (lParam) *reinterpret_cast<DWORD*>(lParam) = end;
  return (start > 0xFFFF || end > 0xFFFF) ? -1 : MAKELRESULT(start, end);
}

LRESULT SetText(HWND hwnd, const std::shared_ptr<EditState>& s, LPCSTR text) {
  s->text = text ? text : "";
  s->anchor = s->caret = 0;
  s->scroll = 0;
  s->modified = false;
  s->canUndo = false;
  s->undo.clear();
  TextChanged(hwnd, s);
  return TRUE;
}

LRESULT GetText(const EditState& s, WPARAM size, LPARAM buffer) {
  if (!size || !buffer) return 0;
  auto out = reinterpret_cast<char*>(buffer);
  size_t count = std::min<size_t>(s.text.size(), size - 1);
  std::copy_n(s.text.data(), count, out);
  out[count] = '\0';
  return static_cast<LRESULT>(count);
}

void Draw(HWND hwnd, const EditState& s, HDC dc) {
  int saved = SaveDC(dc);
  RECT client = ClientRectOf(hwnd);
  bool enabled = IsWindowEnabled(hwnd);
  HBRUSH brush = ControlBrush(hwnd, dc, (ReadOnly(hwnd) || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  FillRect(dc, &client, brush);
  IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
  SelectObject(dc, DrawingFont(s.font));
  if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  std::string shown = Shown(s);
  auto offsets = Offsets(s);
  int origin = TextOrigin(hwnd, s, offsets.back()), top = kMargin;
  int height = FontHeight(s.font);
  int start = SelStart(s), end = SelEnd(s);
  bool showSelection = start != end && (s.focus || (StyleOf(hwnd) & ES_NOHIDESEL));
  TextOutA(dc, origin, top, shown.c_str(), static_cast<int>(shown.size()));
  if (showSelection) {
    RECT band{origin + offsets[start], top, origin + offsets[end], top + height};
    FillRect(dc, &band, SysBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    TextOutA(dc, origin + offsets[start], top, shown.c_str() + start, end - start);
  }
  if (s.focus) {
    RECT caret{origin + offsets[s.caret], top, origin + offsets[s.caret] + 1, top + height};
    InvertRect(dc, &caret);
  }
  RestoreDC(dc, saved);
}

LRESULT Mouse(HWND hwnd, const std::shared_ptr<EditState>& s, UINT msg, LPARAM lParam) {
  int x = static_cast<SHORT>(LOWORD(lParam));
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (GetFocus() != hwnd) SetFocus(hwnd);
      MoveCaret(hwnd, s, CharFromX(hwnd, *s, x), GetKeyState(VK_SHIFT) < 0);
      s->tracking = true;
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONDBLCLK: {
      int at = CharFromX(hwnd, *s, x);
      s->anchor = WordLeft(s->text, std::min<int>(at + 1, static_cast<int>(s->text.size())));
      s->caret = WordRight(s->text, s->anchor);
      while (s->caret > s->anchor && !IsWordChar(s->text[s->caret - 1])) --s->caret;
      KeepCaretVisible(hwnd, *s);
      Redraw(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->tracking) MoveCaret(hwnd, s, CharFromX(hwnd, *s, x), true);
      return 0;
    case WM_LBUTTONUP:
      if (s->tracking) {
        s->tracking = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      return 0;
  }
  return 0;
}

LRESULT GetLine(const EditState& s, LPARAM buffer) {
  if (!buffer) return 0;
  auto out = reinterpret_cast<char*>(buffer);
  WORD size = static_cast<WORD>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
  size_t count = std::min<size_t>(size, s.text.size());
  std::copy_n(s.text.data(), count, out);  // no terminating zero, as Windows
  return static_cast<LRESULT>(count);
}

LRESULT FirstVisibleChar(const EditState& s) {
  auto offsets = Offsets(s);
  for (size_t i = 0; i < offsets.size(); ++i)
    if (offsets[i] >= s.scroll) return static_cast<LRESULT>(i);
  return 0;
}

LRESULT EditMessages(HWND hwnd, const std::shared_ptr<EditState>& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case EM_GETSEL:
      return GetSel(*s, wParam, lParam);
    case EM_SETSEL:
      SetSel(hwnd, s, static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    case EM_REPLACESEL:
      ReplaceSelection(hwnd, s, lParam ? reinterpret_cast<LPCSTR>(lParam) : "", true);
      return 0;
    case EM_LIMITTEXT:
      s->limit = (wParam == 0 || wParam > static_cast<WPARAM>(kMaxLimit)) ? kMaxLimit : static_cast<int>(wParam);
      return 0;
    case EM_GETLIMITTEXT:
      return s->limit;
    case EM_SETREADONLY: {
      DWORD style = StyleOf(hwnd);
      SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(wParam ? (style | ES_READONLY) : (style & ~ES_READONLY)));
      Redraw(hwnd);
      return TRUE;
    }
    case EM_GETMODIFY:
      return s->modified;
    case EM_SETMODIFY:
      s->modified = wParam != 0;
      return 0;
    case EM_GETLINECOUNT:
      return 1;
    case EM_LINEINDEX:
      return (wParam == 0 || static_cast<int>(wParam) == -1) ? 0 : -1;
    case EM_LINEFROMCHAR:
      return 0;
    case EM_LINELENGTH:
      if (static_cast<int>(wParam) == -1) return static_cast<LRESULT>(s->text.size()) - (SelEnd(*s) - SelStart(*s));
      return static_cast<LRESULT>(s->text.size());
    case EM_GETLINE:
      return wParam == 0 ? GetLine(*s, lParam) : 0;
    case EM_GETFIRSTVISIBLELINE:
      return FirstVisibleChar(*s);
    case EM_SCROLLCARET:
      KeepCaretVisible(hwnd, *s);
      Redraw(hwnd);
      return TRUE;
    case EM_SETPASSWORDCHAR:
      s->password = static_cast<char>(wParam);
      Redraw(hwnd);
      return 0;
    case EM_GETPASSWORDCHAR:
      return static_cast<unsigned char>(s->password);
    case EM_CANUNDO:
      return s->canUndo;
    case EM_EMPTYUNDOBUFFER:
      s->canUndo = false;
      return 0;
    case EM_UNDO: {
      if (!s->canUndo) return FALSE;
      std::swap(s->text, s->undo);
      s->anchor = s->caret = static_cast<int>(s->text.size());
      s->modified = true;
      TextChanged(hwnd, s);
      return TRUE;
    }
    case EM_GETRECT:
      if (lParam) {
        RECT client = ClientRectOf(hwnd);
        *reinterpret_cast<RECT*>(lParam) = {kMargin, kMargin, client.right - kMargin, kMargin + FontHeight(s->font)};
      }
      return 0;
    case EM_POSFROMCHAR: {
      if (wParam > s->text.size()) return -1;
      auto offsets = Offsets(*s);
      return MAKELRESULT(TextOrigin(hwnd, *s, offsets.back()) + offsets[wParam], kMargin);
    }
    case EM_CHARFROMPOS:
      return MAKELRESULT(CharFromX(hwnd, *s, static_cast<SHORT>(LOWORD(lParam))), 0);
  }
  return 0;
}

}  // namespace

void ForgetEditStates() { Store().Clear(); }

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = Store().ForMessage(hwnd, msg);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg >= EM_GETSEL && msg <= EM_CHARFROMPOS) return EditMessages(hwnd, s, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE: {
      auto cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) s->text = cs->lpszName;
      if (cs && (cs->style & ES_PASSWORD)) s->password = '*';
      return 0;
    }
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (HWND combo = ComboOf(hwnd))  // Enter and Esc close a dropped list
        if (ComboDropped(combo)) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_SETTEXT:
      return SetText(hwnd, s, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
      return GetText(*s, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(s->text.size());
    case WM_CHAR:
      return Char(hwnd, s, wParam);
    case WM_KEYDOWN:
      return KeyDown(hwnd, s, wParam);
    case WM_SYSKEYDOWN:
      if (HWND combo = ComboOf(hwnd))
        if ((wParam == VK_DOWN || wParam == VK_UP) && ComboEditKey(combo, VK_F4)) return 0;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      return Mouse(hwnd, s, msg, lParam);
    case WM_CAPTURECHANGED:
      s->tracking = false;
      return 0;
    case WM_SETFOCUS:
      s->focus = true;
      Redraw(hwnd);
      NotifyParent(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s->focus = false;
      Redraw(hwnd);
      NotifyParent(hwnd, EN_KILLFOCUS);
      if (HWND combo = ComboOf(hwnd)) ComboChildLostFocus(combo, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_SIZE:
      KeepCaretVisible(hwnd, *s);
      return 0;
    case WM_ENABLE:
    case WM_STYLECHANGED:
      Redraw(hwnd);
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      KeepCaretVisible(hwnd, *s);
      if (lParam) Redraw(hwnd);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintWith(hwnd, wParam, [&](HDC dc) { Draw(hwnd, *s, dc); });
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace host::user
