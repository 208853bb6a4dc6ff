// Labels, frames, check boxes and radio buttons that paint over a page's background picture instead of a grey
// box: each keeps its own text and draws it in the page font ("MS Sans Serif" 8), embossed when disabled.
// Shared by both property pages; any number of pages and controls may be transparent at once.
#pragma once

#include <windows.h>

#include "page_background.h"

// What a page's transparent controls find on their parent, in the window property "OvxTransparentPage". The page
// keeps the record for its whole life and attaches it before the first control is subclassed.
struct TransparentPage {
  const PageBackground* background;
  HINSTANCE radioBitmaps;  // the module holding the radio button's bitmaps 117 to 120; NULL: the system's boxes
};

inline constexpr char kTransparentPageProperty[] = "OvxTransparentPage";
// The radio button's bitmaps: enabled checked, enabled unchecked, disabled checked, disabled unchecked.
inline constexpr int kRadioCheckedBitmap = 117;
inline constexpr int kRadioUncheckedBitmap = 118;
inline constexpr int kRadioDisabledCheckedBitmap = 119;
inline constexpr int kRadioDisabledUncheckedBitmap = 120;
// Where a radio bitmap is see-through.
inline constexpr COLORREF kRadioTransparentColour = RGB(0, 0, 255);

BOOL AttachTransparentPage(HWND page, const TransparentPage* record);
// WM_DESTROY of the page: its controls erase with the button face from then on.
void DetachTransparentPage(HWND page);

// Copies the control's current text into `text` (at most textSize - 1 characters), stores the control's window
// procedure in *previous and installs `procedure`. The control keeps `text` as its text from then on, so the
// buffer must live as long as the control. A control that is transparent already only takes the new buffer.
// FALSE when there is no such control or an argument is missing.
BOOL SubclassControl(HWND dialog, int controlId, WNDPROC* previous, WNDPROC procedure, LPSTR text, int textSize);

// The procedures SubclassControl installs. Every message they do not answer goes to the previous procedure.
LRESULT CALLBACK TransparentLabelProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TransparentGroupBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TransparentCheckBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TransparentRadioButtonProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Draws `bitmap` at (x, y) of `dc`, leaving the destination wherever the bitmap has the colour `transparent`.
BOOL DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent);
