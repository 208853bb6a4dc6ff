// A property page as a class: the page's PROPSHEETPAGE, its window, and a
// dialog procedure that hands each message to a virtual operation. The page
// object is the page's lParam and lives until the sheet releases the page.
#pragma once

#include <prsht.h>
#include <windows.h>

#include "clrcpl_module.h"
#include "page_background.h"
#include "transparent_controls.h"

namespace clrcpl {

class PropertyPage {
 public:
  PropertyPage(HINSTANCE resources, int templateId, int iconId);
  PropertyPage(const PropertyPage&) = delete;
  PropertyPage& operator=(const PropertyPage&) = delete;

  virtual BOOL OnInitDialog();
  virtual void OnDestroy();
  virtual BOOL OnApply();
  virtual void OnReset();
  virtual void ApplyHook();
  virtual void ResetHook();
  virtual BOOL OnSetActive();
  virtual BOOL OnKillActive();
  virtual BOOL OnQueryCancel();
  virtual BOOL OnHelp(const HELPINFO* info);
  virtual void OnContextMenu(HWND window, int x, int y);
  virtual void OnScroll(int code, int position, HWND control);
  virtual void OnPaint();
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT message);
  virtual void OnCommand(int id);
  virtual ~PropertyPage();
  // Answers the sheet's PSN_* notifications; TRUE with *result when handled.
  virtual BOOL OnNotify(HWND sender, const NMHDR* header, LRESULT* result);

  const PROPSHEETPAGEA& SheetPage() const { return sheetPage_; }
  HWND Window() const { return window_; }
  const PageBackground& Background() const { return background_; }

  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static UINT CALLBACK PageCallback(HWND window, UINT message, PROPSHEETPAGEA* page);

 private:
  // The labels, frames and the check box that are drawn over the background.
  static constexpr int kTransparentControls = 14;
  static constexpr int kTransparentTextSize = 255;

  static INT_PTR InitDialog(HWND dialog, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void BuildBackground();
  void MakeControlsTransparent();
  void ChangeSystemColours();
  BOOL EraseBackground(HDC dc);

  LiveObject live_;
  PROPSHEETPAGEA sheetPage_;
  HWND window_ = nullptr;
  PageBackground background_ = {};
  TransparentPage transparentPage_ = {&background_, nullptr};
  WNDPROC transparentPrevious_[kTransparentControls] = {};
  char transparentTexts_[kTransparentControls][kTransparentTextSize] = {};
};

}  // namespace clrcpl
