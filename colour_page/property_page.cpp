#include "property_page.h"

namespace clrcpl {
namespace {

// The trackbars repaint their channels in the new colours when told.
constexpr int kSysColourListeners[] = {211, 215, 213, 221};

struct TransparentControl {
  int id;
  WNDPROC procedure;
};
constexpr TransparentControl kTransparent[] = {
    {212, TransparentLabelProc},     {214, TransparentLabelProc},    {216, TransparentLabelProc},
    {223, TransparentLabelProc},     {224, TransparentLabelProc},    {217, TransparentLabelProc},
    {218, TransparentLabelProc},     {1020, TransparentLabelProc},   {1021, TransparentLabelProc},
    {1023, TransparentLabelProc},    {210, TransparentGroupBoxProc}, {220, TransparentGroupBoxProc},
    {1018, TransparentGroupBoxProc}, {219, TransparentCheckBoxProc},
};

PropertyPage* PageOf(HWND dialog) { return reinterpret_cast<PropertyPage*>(GetWindowLongA(dialog, DWL_USER)); }

}  // namespace

PropertyPage::PropertyPage(HINSTANCE resources, int templateId, int iconId) {
  ZeroMemory(&sheetPage_, sizeof(sheetPage_));
  sheetPage_.dwSize = sizeof(sheetPage_);
  sheetPage_.dwFlags = PSP_USECALLBACK | PSP_USEICONID;
  sheetPage_.hInstance = resources;
  sheetPage_.pszTemplate = MAKEINTRESOURCEA(templateId);
  sheetPage_.pszIcon = MAKEINTRESOURCEA(iconId);
  sheetPage_.pfnDlgProc = DialogProc;
  sheetPage_.lParam = reinterpret_cast<LPARAM>(this);
  sheetPage_.pfnCallback = PageCallback;
}

PropertyPage::~PropertyPage() { ReleasePageBackground(&background_); }

BOOL PropertyPage::OnInitDialog() { return TRUE; }
void PropertyPage::OnDestroy() {}
BOOL PropertyPage::OnApply() {
  ApplyHook();
  return TRUE;
}
void PropertyPage::OnReset() { ResetHook(); }
void PropertyPage::ApplyHook() {}
void PropertyPage::ResetHook() {}
BOOL PropertyPage::OnSetActive() { return TRUE; }
BOOL PropertyPage::OnKillActive() { return TRUE; }
BOOL PropertyPage::OnQueryCancel() { return TRUE; }
BOOL PropertyPage::OnHelp(const HELPINFO*) { return TRUE; }
void PropertyPage::OnContextMenu(HWND, int, int) {}
void PropertyPage::OnScroll(int, int, HWND) {}
void PropertyPage::OnPaint() {}
HBRUSH PropertyPage::OnCtlColor(HDC, HWND, UINT) { return nullptr; }
void PropertyPage::OnCommand(int) {}

BOOL PropertyPage::OnNotify(HWND sender, const NMHDR* header, LRESULT* result) {
  if (!header || (sender != window_ && sender != GetParent(window_))) return FALSE;
  switch (header->code) {
    case PSN_SETACTIVE:
      *result = OnSetActive() ? 0 : -1;
      return TRUE;
    case PSN_KILLACTIVE:
      *result = OnKillActive() ? FALSE : TRUE;
      return TRUE;
    case PSN_APPLY:
      *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
      return TRUE;
    case PSN_RESET:
      OnReset();
      *result = 0;
      return TRUE;
    case PSN_HELP:
      *result = 0;
      return TRUE;
    case PSN_QUERYCANCEL:
      *result = OnQueryCancel() ? FALSE : TRUE;
      return TRUE;
    default:
      return FALSE;
  }
}

UINT CALLBACK PropertyPage::PageCallback(HWND, UINT message, PROPSHEETPAGEA* page) {
  if (message == PSPCB_CREATE) return TRUE;
  if (message == PSPCB_RELEASE && page) delete reinterpret_cast<PropertyPage*>(page->lParam);
  return FALSE;
}

INT_PTR CALLBACK PropertyPage::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return InitDialog(dialog, lParam);
  // Messages before WM_INITDIALOG (WM_SETFONT …) find no page yet.
  PropertyPage* page = PageOf(dialog);
  return page ? page->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR PropertyPage::InitDialog(HWND dialog, LPARAM lParam) {
  if (PageOf(dialog)) MessageBoxA(GetActiveWindow(), "DWL_USER not NULL", "Debug", MB_OK);
  const PROPSHEETPAGEA* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
  if (!sheetPage || !sheetPage->lParam) return FALSE;
  PropertyPage* page = reinterpret_cast<PropertyPage*>(sheetPage->lParam);
  SetWindowLongA(dialog, DWL_USER, reinterpret_cast<LONG>(page));
  page->window_ = dialog;
  BOOL result = page->OnInitDialog();
  page->BuildBackground();
  return result;
}

// A page initialised twice builds its background once more, not on top of the first.
void PropertyPage::BuildBackground() {
  ReleasePageBackground(&background_);
  if (BuildPageBackground(window_, &background_)) MakeControlsTransparent();
}

void PropertyPage::MakeControlsTransparent() {
  static_assert(sizeof(kTransparent) / sizeof(kTransparent[0]) == kTransparentControls);
  AttachTransparentPage(window_, &transparentPage_);
  for (int i = 0; i < kTransparentControls; ++i)
    SubclassControl(window_, kTransparent[i].id, &transparentPrevious_[i], kTransparent[i].procedure,
                    transparentTexts_[i], kTransparentTextSize);
}

void PropertyPage::ChangeSystemColours() {
  ReloadPageBackground(window_, &background_);
  for (int id : kSysColourListeners)
    if (HWND control = GetDlgItem(window_, id)) PostMessageA(control, WM_SYSCOLORCHANGE, 0, 0);
  RedrawPage(window_);
}

// Without a background the dialog's own erase applies.
BOOL PropertyPage::EraseBackground(HDC dc) {
  if (!ErasePageBackground(&background_, dc)) return FALSE;
  SetWindowLongA(window_, DWL_MSGRESULT, 1);
  return TRUE;
}

INT_PTR PropertyPage::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      DetachTransparentPage(window_);
      ReleasePageBackground(&background_);
      return TRUE;
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      OnScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_HELP:
      return OnHelp(reinterpret_cast<const HELPINFO*>(lParam));
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), static_cast<short>(LOWORD(lParam)),
                    static_cast<short>(HIWORD(lParam)));
      return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(
          OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message));
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      LRESULT result = 0;
      if (!header || !OnNotify(header->hwndFrom, header, &result)) return FALSE;
      SetWindowLongA(window_, DWL_MSGRESULT, result);
      return TRUE;
    }
    case WM_ERASEBKGND:
      return EraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_SYSCOLORCHANGE:
      ChangeSystemColours();
      return TRUE;
    case WM_QUERYNEWPALETTE:
      RedrawForNewPalette(window_);
      return TRUE;
    case WM_PALETTECHANGED:
      RedrawAfterPaletteChange(window_, reinterpret_cast<HWND>(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace clrcpl
