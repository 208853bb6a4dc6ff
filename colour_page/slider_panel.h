// The Colour page's sliders without their windows: the page passes in what
// its trackbars report and carries out the returned update (TBM_SETPOS,
// label texts, recomputing and showing the ramp, marking the page changed).
#pragma once

#include <windows.h>

#include <string>

#include "colour_settings.h"
#include "gamma_model.h"

namespace colour {

// What the page has to do after a change.
struct SliderUpdate {
  bool relabel[kSliderCount] = {};      // the label shows a new value: set it to LabelText
  bool setPosition[kSliderCount] = {};  // move the trackbar to Position (TBM_SETPOS)
  bool recompute = false;               // recompute the working ramp, redraw the preview, show it live
  bool markChanged = false;             // mark the page changed (PSM_CHANGED)
};

class SliderPanel {
 public:
  // 0, 0, 0 and 10, not linked, every label template "%s".
  SliderPanel();

  // The label control's own text, read once at page start.
  void SetLabelTemplate(int slider, const char* text);

  // Page start: the loaded values when LoadSettings succeeds, else the
  // current ones; either way each value is snapped to its slider's grid.
  // Returns whether the settings were loaded.
  bool LoadFromRegistry();
  void Load(const SliderValues& values);
  SliderValues Values() const;
  Settings ToSettings() const { return SettingsFromSliders(Values()); }

  int Position(int slider) const { return position_[slider]; }
  int Value(int slider) const { return value_[slider]; }
  std::string LabelText(int slider) const;
  bool Linked() const { return linked_; }

  // A trackbar's scroll notification: its code (TB_THUMBTRACK ...), the
  // thumb position it carries and the trackbar's own position (TBM_GETPOS).
  SliderUpdate Scroll(int slider, int code, int thumbPosition, int trackbarPosition);
  // The link check box; `greenPosition` is the green trackbar's (TBM_GETPOS).
  SliderUpdate SetLinked(bool checked, int greenPosition);
  // Gammas 0, white point 10; the link stays as it is.
  SliderUpdate Reset();
  // Enabled exactly when some gamma value is not 0 or the white point is not 10.
  bool ResetEnabled() const;

  // The working ramp of the current values.
  void ComputeWorkingRamp(GammaRamp& ramp) const;

 private:
  // Takes a position (clamped to the slider's range) and derives the value.
  void MoveTo(int slider, int position, bool setPosition, SliderUpdate& update);
  void SnapToGrid(SliderUpdate* update);

  int position_[kSliderCount];
  int value_[kSliderCount];
  char template_[kSliderCount][kLabelTemplateBytes];
  bool linked_ = false;
};

}  // namespace colour
