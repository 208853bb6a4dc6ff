// The Colour page: the gamma sliders, the link check box, the white-point
// slider and the reset button over the gamma model, with the curve preview
// (control 201) drawing the working ramp.
#pragma once

#include <windows.h>

#include "gamma_model.h"
#include "property_page.h"
#include "slider_panel.h"

namespace clrcpl {

// Control ids of dialog template 200 in M_COLOR.DLL.
enum ColourPageId {
  kColourPageTemplate = 200,
  kColourPageIcon = 100,
  kNoGammaString = 10,
  kPreviewId = 201,
  kNoGammaTextId = 205,  // the preview takes this id when the display has no gamma support
  kLinkId = 219,
  kResetId = 234,
};

inline constexpr char kPagePropertyName[] = "PROP_CPLPAGE";

class ColourPage : public PropertyPage {
 public:
  explicit ColourPage(HINSTANCE resources);
  ~ColourPage() override;

  BOOL OnInitDialog() override;
  void OnDestroy() override;
  BOOL OnApply() override;
  void OnReset() override;
  BOOL OnHelp(const HELPINFO* info) override;
  void OnContextMenu(HWND window, int x, int y) override;
  void OnScroll(int code, int position, HWND control) override;
  void OnPaint() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  void OnCommand(int id) override;

  const colour::GammaRamp& WorkingRamp() const { return ramp_; }

  static LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void SubclassPreview();
  void ShowNoGammaText();
  void SetUpSliders();
  void DisableControls();
  void Carry(const colour::SliderUpdate& update);
  void Recompute();
  void MarkChanged(bool changed);
  void PaintPreview(HWND preview);

  HINSTANCE resources_;
  colour::SliderPanel panel_;
  colour::GammaRamp ramp_ = {};
  bool gammaSupported_ = false;
  bool changed_ = false;
  HBRUSH faceBrush_ = nullptr;
  WNDPROC previewProc_ = nullptr;
};

}  // namespace clrcpl
