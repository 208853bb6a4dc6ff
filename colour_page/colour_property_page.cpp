#include "colour_property_page.h"

#include <commctrl.h>

#include "colour_settings.h"
#include "gamma_device.h"

namespace clrcpl {
namespace {

// (control, help context) pairs for WinHelpA, ending with 0, 0.
const DWORD kHelpTable[] = {201, 0x80C800C9, 205, 0x80C800CD, 210, 0x80C800D2, 218, 0x80C800D2, 217, 0x80C800D2,
                            219, 0x80C800DB, 211, 0x80C800D3, 221, 0x80C800DD, 222, 0x80C800DE, 234, 0x80C800EA,
                            212, 0x80C800D4, 213, 0x80C800D5, 214, 0x80C800D6, 215, 0x80C800D7, 216, 0x80C800D8,
                            220, 0x80C800DC, 223, 0x80C800DC, 224, 0x80C800DC, 233, 0x80C800E9, 0,   0};

// Everything but the preview goes grey when the display takes no gamma ramps.
constexpr int kGammaControls[] = {210, 217, 218, 219, 211, 212, 213, 214, 215, 216, 221, 222, 220, 223, 224, 234};

constexpr int kFirstRedText = 205, kLastRedText = 209;

int SliderOfControl(HWND control) {
  int id = GetDlgCtrlID(control);
  for (int s = 0; s < colour::kSliderCount; ++s)
    if (colour::kSliders[s].trackbarId == id) return s;
  return -1;
}

}  // namespace

ColourPage::ColourPage(HINSTANCE resources)
    : PropertyPage(resources, kColourPageTemplate, kColourPageIcon), resources_(resources) {}

ColourPage::~ColourPage() {
  if (faceBrush_) DeleteObject(faceBrush_);
}

BOOL ColourPage::OnInitDialog() {
  if (faceBrush_) DeleteObject(faceBrush_);
  faceBrush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  gammaSupported_ = colour::DetectGammaSupport();
  if (gammaSupported_)
    SubclassPreview();
  else
    ShowNoGammaText();
  SetUpSliders();
  Recompute();
  CheckDlgButton(Window(), kLinkId, panel_.Linked() ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(Window(), kResetId), panel_.ResetEnabled());
  if (!gammaSupported_) DisableControls();
  return TRUE;
}

// Subclassed once: a second subclass would make the preview its own previous procedure.
void ColourPage::SubclassPreview() {
  HWND preview = GetDlgItem(Window(), kPreviewId);
  if (!preview || previewProc_) return;
  SetPropA(preview, kPagePropertyName, this);
  previewProc_ =
      reinterpret_cast<WNDPROC>(SetWindowLongA(preview, GWL_WNDPROC, reinterpret_cast<LONG>(&ColourPage::PreviewProc)));
}

void ColourPage::ShowNoGammaText() {
  HWND preview = GetDlgItem(Window(), kPreviewId);
  if (!preview) return;
  SetWindowLongA(preview, GWL_ID, kNoGammaTextId);
  char text[256] = "";
  LoadStringA(resources_, kNoGammaString, text, sizeof(text));
  SetWindowTextA(preview, text);
}

void ColourPage::SetUpSliders() {
  for (int s = 0; s < colour::kSliderCount; ++s) {
    const colour::SliderInfo& info = colour::kSliders[s];
    HWND trackbar = GetDlgItem(Window(), info.trackbarId);
    SendMessageA(trackbar, TBM_SETRANGE, FALSE, MAKELONG(info.positionMin, info.positionMax));
    SendMessageA(trackbar, TBM_SETPAGESIZE, 0, info.pageSize);
    SendMessageA(trackbar, TBM_SETTICFREQ, info.tickFrequency, 0);
    char labelTemplate[colour::kLabelTemplateBytes] = "";
    if (GetDlgItemTextA(Window(), info.labelId, labelTemplate, sizeof(labelTemplate)) > 0)
      panel_.SetLabelTemplate(s, labelTemplate);
  }
  panel_.LoadFromRegistry();
  colour::SliderUpdate everything;
  for (int s = 0; s < colour::kSliderCount; ++s) everything.relabel[s] = everything.setPosition[s] = true;
  Carry(everything);
}

void ColourPage::DisableControls() {
  for (int id : kGammaControls)
    if (HWND control = GetDlgItem(Window(), id)) EnableWindow(control, FALSE);
}

void ColourPage::Carry(const colour::SliderUpdate& update) {
  for (int s = 0; s < colour::kSliderCount; ++s) {
    const colour::SliderInfo& info = colour::kSliders[s];
    if (update.relabel[s]) SetDlgItemTextA(Window(), info.labelId, panel_.LabelText(s).c_str());
    if (update.setPosition[s]) SendDlgItemMessageA(Window(), info.trackbarId, TBM_SETPOS, TRUE, panel_.Position(s));
  }
  if (update.recompute) Recompute();
  if (update.markChanged) MarkChanged(true);
}

// The working ramp follows the sliders and is shown at once, so the user sees the change live.
void ColourPage::Recompute() {
  panel_.ComputeWorkingRamp(ramp_);
  if (HWND preview = GetDlgItem(Window(), kPreviewId)) InvalidateRect(preview, nullptr, TRUE);
  colour::ShowRamp(Window(), ramp_);
}

void ColourPage::MarkChanged(bool changed) {
  changed_ = changed;
  EnableWindow(GetDlgItem(Window(), kResetId), panel_.ResetEnabled());
  SendMessageA(GetParent(Window()), changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(Window()), 0);
}

void ColourPage::OnDestroy() {
  HWND preview = GetDlgItem(Window(), kPreviewId);
  if (preview && previewProc_) {
    SetWindowLongA(preview, GWL_WNDPROC, reinterpret_cast<LONG>(previewProc_));
    RemovePropA(preview, kPagePropertyName);
    previewProc_ = nullptr;
  }
  WinHelpA(Window(), HelpFile(), HELP_QUIT, 0);
}

BOOL ColourPage::OnApply() {
  colour::SaveSettings(panel_.ToSettings());
  colour::ApplyRamp(ramp_);
  changed_ = false;
  return TRUE;
}

void ColourPage::OnReset() { colour::RestoreAppliedRamp(); }

BOOL ColourPage::OnHelp(const HELPINFO* info) {
  if (info && HelpFile()[0])
    WinHelpA(static_cast<HWND>(info->hItemHandle), HelpFile(), HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(kHelpTable));
  return TRUE;
}

void ColourPage::OnContextMenu(HWND window, int, int) {
  if (HelpFile()[0]) WinHelpA(window, HelpFile(), HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(kHelpTable));
}

void ColourPage::OnScroll(int code, int position, HWND control) {
  int slider = SliderOfControl(control);
  if (slider < 0) return;
  int trackbarPosition = static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0));
  Carry(panel_.Scroll(slider, code, position, trackbarPosition));
}

void ColourPage::OnPaint() {
  PAINTSTRUCT paint;
  BeginPaint(Window(), &paint);
  EndPaint(Window(), &paint);
}

HBRUSH ColourPage::OnCtlColor(HDC dc, HWND control, UINT message) {
  int id = GetDlgCtrlID(control);
  if (message != WM_CTLCOLORSTATIC || id < kFirstRedText || id > kLastRedText || !faceBrush_) return nullptr;
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return faceBrush_;
}

void ColourPage::OnCommand(int id) {
  if (id == kLinkId) {
    bool checked = IsDlgButtonChecked(Window(), kLinkId) == BST_CHECKED;
    int green =
        static_cast<int>(SendDlgItemMessageA(Window(), colour::kSliders[colour::kGreen].trackbarId, TBM_GETPOS, 0, 0));
    Carry(panel_.SetLinked(checked, green));
  } else if (id == kResetId) {
    Carry(panel_.Reset());
  }
}

// ---- The curve preview ----

LRESULT CALLBACK ColourPage::PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ColourPage* page = static_cast<ColourPage*>(GetPropA(window, kPagePropertyName));
  if (!page || !page->previewProc_) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, page->faceBrush_);
      return 1;
    }
    case WM_PAINT:
      page->PaintPreview(window);
      return 0;
    default:
      return CallWindowProcA(page->previewProc_, window, message, wParam, lParam);
  }
}

// Each channel as 256 points (i, entry >> 8) in a 255 x 255 window, y up,
// mapped onto the client area less a one-pixel margin.
void ColourPage::PaintPreview(HWND preview) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(preview, &paint);
  if (!dc) return;
  RECT client;
  GetClientRect(preview, &client);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 255, 255, nullptr);
  SetViewportExtEx(dc, client.right - client.left - 2, -(client.bottom - client.top - 2), nullptr);
  SetViewportOrgEx(dc, client.left + 1, client.bottom - 1, nullptr);
  const WORD* channels[] = {ramp_.red, ramp_.green, ramp_.blue};
  const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  POINT points[256];
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 256; ++i) points[i] = {i, channels[c][i] >> 8};
    HPEN pen = CreatePen(PS_SOLID, 1, colours[c]);
    HGDIOBJ previous = SelectObject(dc, pen);
    Polyline(dc, points, 256);
    SelectObject(dc, previous);
    DeleteObject(pen);
  }
  EndPaint(preview, &paint);
}

}  // namespace clrcpl
