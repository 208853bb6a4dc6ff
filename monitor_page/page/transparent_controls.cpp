// The transparent controls: the control's text and previous procedure live in a record on the control (window
// property), the background on the page, so nothing is kept per control in the module.
//
// The controls' class background brush is left alone: "Static" and "Button" are shared by every control of the
// system (push buttons and all), and the procedures erase their own area anyway, so clearing the class brush
// would change other windows and gain nothing here.
#include "transparent_controls.h"

#include <new>

namespace {

constexpr char kControlProperty[] = "OvxTransparentControl";
constexpr int kFontPoints = 8;
constexpr int kTextGap = 4;  // between a check box's or radio button's mark and its text

struct ControlRecord {
  WNDPROC previous;
  LPSTR text;
  int textSize;
};

ControlRecord* RecordOf(HWND control) { return static_cast<ControlRecord*>(GetPropA(control, kControlProperty)); }

const TransparentPage* PageOf(HWND control) {
  HWND page = GetParent(control);
  return page ? static_cast<const TransparentPage*>(GetPropA(page, kTransparentPageProperty)) : nullptr;
}

DWORD StyleOf(HWND control) { return static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)); }

LRESULT Previous(const ControlRecord& record, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(record.previous, control, message, wParam, lParam);
}

void RepaintNow(HWND control) {
  InvalidateRect(control, nullptr, TRUE);
  UpdateWindow(control);
}

// --- Text -------------------------------------------------------------------------------------------------------

LRESULT SetText(HWND control, ControlRecord& record, LPCSTR text) {
  if (!text) text = "";
  int length = lstrlenA(text);
  if (length > record.textSize - 1) return 0;
  CopyMemory(record.text, text, length + 1);
  InvalidateRect(control, nullptr, TRUE);
  return 1;
}

LRESULT GetText(const ControlRecord& record, WPARAM size, LPSTR out) {
  int length = lstrlenA(record.text);
  if (!out || size <= static_cast<WPARAM>(length)) return 0;
  CopyMemory(out, record.text, length + 1);
  return length;
}

// The messages every transparent control answers alike; FALSE leaves the message to the control's own procedure.
BOOL CommonMessage(HWND control, ControlRecord& record, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_SETTEXT:
      *result = SetText(control, record, reinterpret_cast<LPCSTR>(lParam));
      return TRUE;
    case WM_GETTEXT:
      *result = GetText(record, wParam, reinterpret_cast<LPSTR>(lParam));
      return TRUE;
    // The control's own store still holds the text it was made with; its length must agree with WM_GETTEXT.
    case WM_GETTEXTLENGTH:
      *result = lstrlenA(record.text);
      return TRUE;
    case WM_ENABLE:
      *result = Previous(record, control, message, wParam, lParam);
      RepaintNow(control);
      return TRUE;
    case WM_NCDESTROY: {
      ControlRecord kept = record;
      RemovePropA(control, kControlProperty);
      delete &record;
      *result = CallWindowProcA(kept.previous, control, message, wParam, lParam);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// --- Drawing ----------------------------------------------------------------------------------------------------

HFONT CreatePageFont(HDC dc) {
  return CreateFontA(-MulDiv(kFontPoints, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                     "MS Sans Serif");
}

// Selects the page font into a DC for one drawing and takes it out again.
class PageFont {
 public:
  explicit PageFont(HDC dc) : dc_(dc), font_(CreatePageFont(dc)) {
    if (font_) previous_ = SelectObject(dc_, font_);
  }
  ~PageFont() {
    if (previous_) SelectObject(dc_, previous_);
    if (font_) DeleteObject(font_);
  }
  PageFont(const PageFont&) = delete;
  PageFont& operator=(const PageFont&) = delete;

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ previous_ = nullptr;
};

// Enabled in the window text colour; disabled embossed: a light copy one pixel down-right under a shadow one.
void DrawControlText(HWND control, HDC dc, LPCSTR text, RECT area, UINT format) {
  SetBkMode(dc, TRANSPARENT);
  if (IsWindowEnabled(control)) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextA(dc, text, -1, &area, format);
    return;
  }
  RECT raised = area;
  OffsetRect(&raised, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_3DLIGHT));
  DrawTextA(dc, text, -1, &raised, format);
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  DrawTextA(dc, text, -1, &area, format);
}

// The page's background under `part` (control client coordinates); the button face when the page has none.
void EraseWithPage(HWND control, HDC dc, const RECT& part) {
  RECT onPage = part;
  MapWindowPoints(control, GetParent(control), reinterpret_cast<POINT*>(&onPage), 2);
  const TransparentPage* page = PageOf(control);
  if (!page || !CopyPageBackground(page->background, dc, part.left, part.top, &onPage))
    FillRect(dc, &part, GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT EraseWhole(HWND control, HDC dc) {
  RECT client;
  GetClientRect(control, &client);
  EraseWithPage(control, dc, client);
  return 1;
}

UINT ButtonTextAlignment(DWORD style) {
  switch (style & BS_CENTER) {
    case BS_CENTER:
      return DT_CENTER;
    case BS_RIGHT:
      return DT_RIGHT;
    default:
      return DT_LEFT;
  }
}

UINT PrefixFormat(HWND control) {
  char className[16] = "";
  GetClassNameA(control, className, sizeof(className));
  bool isStatic = lstrcmpiA(className, "Static") == 0;
  return isStatic && (StyleOf(control) & SS_NOPREFIX) ? DT_NOPREFIX : 0;
}

// --- Label ------------------------------------------------------------------------------------------------------

UINT LabelFormat(HWND control) {
  UINT format = DT_SINGLELINE | PrefixFormat(control);
  switch (StyleOf(control) & SS_TYPEMASK) {
    case SS_CENTER:
      return format | DT_CENTER;
    case SS_RIGHT:
      return format | DT_RIGHT;
    default:
      return format | DT_LEFT;
  }
}

void PaintLabel(HWND control, const ControlRecord& record) {
  InvalidateRect(control, nullptr, TRUE);  // erased first, so old text never shows through
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(control, &paint);
  if (dc && IsWindowVisible(control)) {
    RECT client;
    GetClientRect(control, &client);
    PageFont font(dc);
    DrawControlText(control, dc, record.text, client, LabelFormat(control));
  }
  EndPaint(control, &paint);
}

// --- Group box --------------------------------------------------------------------------------------------------

SIZE CaptionSize(HWND control, HDC dc, LPCSTR text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
  if (!IsWindowEnabled(control)) {  // the embossed copy reaches one pixel further
    ++size.cx;
    ++size.cy;
  }
  return size;
}

void Line(HDC dc, const POINT* points, int count) {
  MoveToEx(dc, points[0].x, points[0].y, nullptr);
  for (int i = 1; i < count; ++i) LineTo(dc, points[i].x, points[i].y);
}

// The etched frame with its top edge at half the caption's height, broken for the caption.
void DrawEtchedFrame(HDC dc, const RECT& r, SIZE caption) {
  int middle = r.top + caption.cy / 2;
  int gapLeft = r.left + caption.cy / 2, gapRight = gapLeft + caption.cx;
  HPEN highlight = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ previous = SelectObject(dc, highlight);
  const POINT lightLeft[] = {{r.left + 1, r.bottom - 1}, {r.left + 1, middle + 1}, {gapLeft, middle + 1}};
  const POINT lightTop[] = {{gapRight, middle + 1}, {r.right - 1, middle + 1}};
  const POINT lightRest[] = {{r.right - 1, middle}, {r.right - 1, r.bottom - 1}, {r.left - 1, r.bottom - 1}};
  Line(dc, lightLeft, 3);
  Line(dc, lightTop, 2);
  Line(dc, lightRest, 3);
  SelectObject(dc, shadow);
  const POINT darkLeft[] = {{r.left, middle}, {gapLeft, middle}};
  const POINT darkRest[] = {
      {gapRight, middle}, {r.right - 2, middle}, {r.right - 2, r.bottom - 2}, {r.left, r.bottom - 2}, {r.left, middle}};
  Line(dc, darkLeft, 2);
  Line(dc, darkRest, 5);
  SelectObject(dc, previous);
  DeleteObject(highlight);
  DeleteObject(shadow);
}

// Only the caption's band is erased: the rest of a frame lies under the controls it holds.
LRESULT EraseCaptionBand(HWND control, const ControlRecord& record, HDC dc) {
  RECT band;
  GetClientRect(control, &band);
  {
    PageFont font(dc);
    band.bottom = band.top + CaptionSize(control, dc, record.text).cy + 2;
  }
  EraseWithPage(control, dc, band);
  return 1;
}

void PaintGroupBox(HWND control, const ControlRecord& record) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(control, &paint);
  if (dc && IsWindowVisible(control)) {
    RECT client;
    GetClientRect(control, &client);
    PageFont font(dc);
    SIZE caption = CaptionSize(control, dc, record.text);
    DrawEtchedFrame(dc, client, caption);
    int left = client.left + caption.cy / 2;
    RECT area{left, client.top, left + caption.cx, client.top + caption.cy};
    DrawControlText(control, dc, record.text, area, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
  }
  EndPaint(control, &paint);
}

// --- Check box and radio button ---------------------------------------------------------------------------------

bool IsThreeState(HWND control) {
  DWORD type = StyleOf(control) & BS_TYPEMASK;
  return type == BS_3STATE || type == BS_AUTO3STATE;
}

// A cell of the system's check-box bitmap: 4 columns (unchecked, checked, pushed unchecked, pushed checked) by 3
// rows (check box, radio button, three-state). A disabled box shows the face inside, as a pushed one does.
BOOL DrawSystemBox(HWND control, HDC dc, int row, UINT check, LRESULT state, bool atRight, SIZE* drawn) {
  HBITMAP boxes = LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECKBOXES));
  BITMAP size;
  if (!boxes || !GetObjectA(boxes, sizeof size, &size)) {
    if (boxes) DeleteObject(boxes);
    return FALSE;
  }
  int cellWidth = size.bmWidth / 4, cellHeight = size.bmHeight / 3;
  if (row == 0 && check == BST_INDETERMINATE && IsThreeState(control)) row = 2;
  int column = (check ? 1 : 0) + ((state & BST_PUSHED) || !IsWindowEnabled(control) ? 2 : 0);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, boxes);
  RECT client;
  GetClientRect(control, &client);
  int x = atRight ? client.right - cellWidth : 0;
  BitBlt(dc, x, (client.bottom - cellHeight) / 2, cellWidth, cellHeight, memory, column * cellWidth, row * cellHeight,
         SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(boxes);
  *drawn = SIZE{cellWidth, cellHeight};
  return TRUE;
}

// The radio bitmaps of the page's module, see-through where they are pure blue; without them the system's.
BOOL DrawRadioMark(HWND control, HDC dc, UINT check, LRESULT state, bool leftText, SIZE* drawn) {
  const TransparentPage* page = PageOf(control);
  bool enabled = IsWindowEnabled(control) != FALSE;
  int id = enabled ? (check ? kRadioCheckedBitmap : kRadioUncheckedBitmap)
                   : (check ? kRadioDisabledCheckedBitmap : kRadioDisabledUncheckedBitmap);
  HBITMAP mark = page && page->radioBitmaps ? LoadBitmapA(page->radioBitmaps, MAKEINTRESOURCEA(id)) : nullptr;
  BITMAP size;
  if (!mark || !GetObjectA(mark, sizeof size, &size)) {
    if (mark) DeleteObject(mark);
    return DrawSystemBox(control, dc, 1, check, state, leftText, drawn);
  }
  RECT client;
  GetClientRect(control, &client);
  int x = leftText ? client.right - size.bmWidth : 0;
  DrawTransparentBitmap(dc, mark, x, (client.bottom - size.bmHeight) / 2, kRadioTransparentColour);
  DeleteObject(mark);
  *drawn = SIZE{size.bmWidth, size.bmHeight};
  return TRUE;
}

// The text beside the mark, and the focus rectangle around the text's extent (inside the control less a pixel).
void DrawButtonText(HWND control, HDC dc, const ControlRecord& record, SIZE mark, bool leftText, LRESULT state) {
  RECT client;
  GetClientRect(control, &client);
  RECT area = client;
  if (leftText)
    area.right = client.right - mark.cx - kTextGap;
  else
    area.left = mark.cx + kTextGap < client.right ? mark.cx + kTextGap : client.right;
  UINT format = DT_SINGLELINE | DT_VCENTER | ButtonTextAlignment(StyleOf(control));
  DrawControlText(control, dc, record.text, area, format);
  if (!(state & BST_FOCUS)) return;
  RECT extent = area;
  DrawTextA(dc, record.text, -1, &extent, format | DT_CALCRECT);
  int width = extent.right - extent.left, height = extent.bottom - extent.top;
  RECT focus{area.left, area.top + (area.bottom - area.top - height) / 2, 0, 0};
  if (format & DT_CENTER) focus.left = area.left + (area.right - area.left - width) / 2;
  if (format & DT_RIGHT) focus.left = area.right - width;
  focus.right = focus.left + width;
  focus.bottom = focus.top + height;
  InflateRect(&focus, 1, 1);
  RECT limit{0, 0, client.right - 1, client.bottom - 1};
  IntersectRect(&focus, &focus, &limit);
  DrawFocusRect(dc, &focus);
}

void PaintButton(HWND control, const ControlRecord& record, bool radio) {
  InvalidateRect(control, nullptr, TRUE);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(control, &paint);
  if (dc && IsWindowVisible(control)) {
    UINT check = static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0));
    LRESULT state = SendMessageA(control, BM_GETSTATE, 0, 0);
    bool leftText = (StyleOf(control) & BS_LEFTTEXT) != 0;
    SIZE mark{};
    if (radio)
      DrawRadioMark(control, dc, check, state, leftText, &mark);
    else
      DrawSystemBox(control, dc, 0, check, state, leftText, &mark);
    PageFont font(dc);
    DrawButtonText(control, dc, record, mark, leftText, state);
  }
  EndPaint(control, &paint);
}

// The button's own procedure draws its grey look at once when pressed, focused or checked; drawing over it
// straight away keeps the control transparent.
bool RedrawsItself(UINT message) {
  switch (message) {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
      return true;
    default:
      return false;
  }
}

LRESULT ButtonMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam, bool radio) {
  ControlRecord* record = RecordOf(control);
  if (!record) return DefWindowProcA(control, message, wParam, lParam);
  LRESULT result = 0;
  if (CommonMessage(control, *record, message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_ERASEBKGND:
      return EraseWhole(control, reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      PaintButton(control, *record, radio);
      return 0;
    default: {
      if (!RedrawsItself(message)) return Previous(*record, control, message, wParam, lParam);
      LRESULT before = SendMessageA(control, BM_GETSTATE, 0, 0);
      result = Previous(*record, control, message, wParam, lParam);
      if (!IsWindow(control)) return result;  // a click that closed the page
      bool changed = SendMessageA(control, BM_GETSTATE, 0, 0) != before;
      if (changed || message == BM_SETCHECK || message == BM_SETSTATE) RepaintNow(control);
      return result;
    }
  }
}

}  // namespace

BOOL AttachTransparentPage(HWND page, const TransparentPage* record) {
  if (!page || !record) return FALSE;
  return SetPropA(page, kTransparentPageProperty, const_cast<TransparentPage*>(record));
}

void DetachTransparentPage(HWND page) {
  if (page) RemovePropA(page, kTransparentPageProperty);
}

BOOL SubclassControl(HWND dialog, int controlId, WNDPROC* previous, WNDPROC procedure, LPSTR text, int textSize) {
  HWND control = dialog ? GetDlgItem(dialog, controlId) : nullptr;
  if (!control || !previous || !procedure || !text || textSize < 1) return FALSE;
  if (ControlRecord* record = RecordOf(control)) {  // initialised twice: keep the chain, move the text
    if (text != record->text) lstrcpynA(text, record->text, textSize);
    record->text = text;
    record->textSize = textSize;
    *previous = record->previous;
    return TRUE;
  }
  text[0] = '\0';
  GetWindowTextA(control, text, textSize);
  auto* record = new (std::nothrow) ControlRecord{nullptr, text, textSize};
  if (!record) return FALSE;
  if (!SetPropA(control, kControlProperty, record)) {
    delete record;
    return FALSE;
  }
  record->previous = reinterpret_cast<WNDPROC>(GetWindowLongA(control, GWL_WNDPROC));
  *previous = record->previous;
  SetWindowLongA(control, GWL_WNDPROC, reinterpret_cast<LONG>(procedure));
  return TRUE;
}

LRESULT CALLBACK TransparentLabelProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(control);
  if (!record) return DefWindowProcA(control, message, wParam, lParam);
  LRESULT result = 0;
  if (CommonMessage(control, *record, message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_ERASEBKGND:
      return EraseWhole(control, reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      PaintLabel(control, *record);
      return 0;
    default:
      return Previous(*record, control, message, wParam, lParam);
  }
}

LRESULT CALLBACK TransparentGroupBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(control);
  if (!record) return DefWindowProcA(control, message, wParam, lParam);
  LRESULT result = 0;
  if (CommonMessage(control, *record, message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_ERASEBKGND:
      return EraseCaptionBand(control, *record, reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      PaintGroupBox(control, *record);
      return 0;
    default:
      return Previous(*record, control, message, wParam, lParam);
  }
}

LRESULT CALLBACK TransparentCheckBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return ButtonMessage(control, message, wParam, lParam, false);
}

LRESULT CALLBACK TransparentRadioButtonProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return ButtonMessage(control, message, wParam, lParam, true);
}

// A monochrome mask (1 where the bitmap has the see-through colour) clears the destination under the opaque
// pixels; the bitmap with its see-through pixels made black is then or-ed in.
BOOL DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent) {
  BITMAP size;
  if (!dc || !bitmap || !GetObjectA(bitmap, sizeof size, &size)) return FALSE;
  int width = size.bmWidth, height = size.bmHeight;
  HDC source = CreateCompatibleDC(dc), maskDc = CreateCompatibleDC(dc), opaqueDc = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
  HBITMAP opaque = CreateCompatibleBitmap(dc, width, height);
  BOOL drawn = FALSE;
  if (source && maskDc && opaqueDc && mask && opaque) {
    HGDIOBJ oldSource = SelectObject(source, bitmap);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    HGDIOBJ oldOpaque = SelectObject(opaqueDc, opaque);
    SetBkColor(source, transparent);
    BitBlt(maskDc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    BitBlt(opaqueDc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SetBkColor(opaqueDc, RGB(0, 0, 0));  // mask 1 (see-through) turns black, 0 keeps the pixel
    SetTextColor(opaqueDc, RGB(255, 255, 255));
    BitBlt(opaqueDc, 0, 0, width, height, maskDc, 0, 0, SRCAND);
    COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));  // mask 1 keeps the destination, 0 clears it
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, width, height, maskDc, 0, 0, SRCAND);
    drawn = BitBlt(dc, x, y, width, height, opaqueDc, 0, 0, SRCPAINT);
    SetBkColor(dc, oldBk);
    SetTextColor(dc, oldText);
    SelectObject(source, oldSource);
    SelectObject(maskDc, oldMask);
    SelectObject(opaqueDc, oldOpaque);
  }
  if (mask) DeleteObject(mask);
  if (opaque) DeleteObject(opaque);
  if (source) DeleteDC(source);
  if (maskDc) DeleteDC(maskDc);
  if (opaqueDc) DeleteDC(opaqueDc);
  return drawn;
}
