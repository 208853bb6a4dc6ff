#include "slider_panel.h"

#include <commctrl.h>

namespace colour {

SliderPanel::SliderPanel() {
  for (int s = 0; s < kSliderCount; ++s) {
    value_[s] = kSliders[s].defaultValue;
    position_[s] = ClampPosition(s, ValueToPosition(s, value_[s]));
    lstrcpyA(template_[s], "%s");
  }
}

void SliderPanel::SetLabelTemplate(int slider, const char* text) {
  lstrcpynA(template_[slider], text ? text : "", kLabelTemplateBytes);
}

bool SliderPanel::LoadFromRegistry() {
  Settings settings;
  bool loaded = LoadSettings(settings);
  if (loaded)
    Load(SlidersFromSettings(settings));
  else
    SnapToGrid(nullptr);
  return loaded;
}

void SliderPanel::Load(const SliderValues& values) {
  for (int s = 0; s < kSliderCount; ++s) value_[s] = ClampValue(s, values.value[s]);
  linked_ = values.linked;
  SnapToGrid(nullptr);
}

SliderValues SliderPanel::Values() const {
  SliderValues values{};
  for (int s = 0; s < kSliderCount; ++s) values.value[s] = value_[s];
  values.linked = linked_;
  return values;
}

std::string SliderPanel::LabelText(int slider) const {
  return FormatLabel(template_[slider], FormatValue(slider, value_[slider]));
}

SliderUpdate SliderPanel::Scroll(int slider, int code, int thumbPosition, int trackbarPosition) {
  SliderUpdate update;
  update.recompute = true;
  if (code == TB_ENDTRACK) {
    update.markChanged = true;
    return update;
  }
  bool fromThumb = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
  int position = fromThumb ? thumbPosition : trackbarPosition;
  MoveTo(slider, position, code != TB_THUMBTRACK, update);
  if (linked_ && IsGammaSlider(slider)) {
    for (int other = 0; other < kGammaSliderCount; ++other)
      if (other != slider) MoveTo(other, position_[slider], true, update);
  }
  return update;
}

SliderUpdate SliderPanel::SetLinked(bool checked, int greenPosition) {
  SliderUpdate update;
  linked_ = checked;
  if (!checked) return update;
  int position = ClampPosition(kGreen, greenPosition);
  for (int s = 0; s < kGammaSliderCount; ++s) MoveTo(s, position, true, update);
  update.recompute = true;
  update.markChanged = true;
  return update;
}

SliderUpdate SliderPanel::Reset() {
  SliderUpdate update;
  for (int s = 0; s < kSliderCount; ++s) value_[s] = kSliders[s].defaultValue;
  SnapToGrid(&update);
  update.recompute = true;
  update.markChanged = true;
  return update;
}

bool SliderPanel::ResetEnabled() const {
  for (int s = 0; s < kSliderCount; ++s)
    if (value_[s] != kSliders[s].defaultValue) return true;
  return false;
}

void SliderPanel::ComputeWorkingRamp(GammaRamp& ramp) const {
  double exponents[kGammaSliderCount];
  for (int c = 0; c < kGammaSliderCount; ++c) exponents[c] = GammaExponent(value_[c]);
  ComputeRamp(exponents, WhitePointRow(value_[kWhitePoint]), ramp);
}

void SliderPanel::MoveTo(int slider, int position, bool setPosition, SliderUpdate& update) {
  position_[slider] = ClampPosition(slider, position);
  value_[slider] = PositionToValue(slider, position_[slider]);
  update.relabel[slider] = true;
  update.setPosition[slider] = update.setPosition[slider] || setPosition;
}

// Position from the value, then the value again from that position: a value
// between two grid points lands on one.
void SliderPanel::SnapToGrid(SliderUpdate* update) {
  SliderUpdate ignored;
  for (int s = 0; s < kSliderCount; ++s) MoveTo(s, ValueToPosition(s, value_[s]), true, update ? *update : ignored);
}

}  // namespace colour
