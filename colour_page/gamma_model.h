// The Colour page's gamma model: the four sliders and their value maps, the
// exponent and white point of each channel, the 3 x 256 gamma ramp built from
// them, and the label texts. Pure arithmetic; nothing here touches a window,
// the display or the registry.
#pragma once

#include <windows.h>

#include <string>

namespace colour {

enum Slider { kRed = 0, kGreen = 1, kBlue = 2, kWhitePoint = 3 };
inline constexpr int kSliderCount = 4;
inline constexpr int kGammaSliderCount = 3;
inline bool IsGammaSlider(int slider) { return slider >= kRed && slider <= kBlue; }

struct SliderInfo {
  int trackbarId;
  int labelId;
  int pageSize;
  int tickFrequency;
  int positionMin, positionMax;
  int valueAtMin, valueAtMax;  // the gamma sliders run backwards: 200 at the left end
  int defaultValue;
};
extern const SliderInfo kSliders[kSliderCount];

// Gamma values are hundredths of a base-2 logarithm: 2^(v/100) is shown.
inline constexpr int kGammaValueLimit = 200;
inline constexpr int kWhitePointCount = 21;
inline constexpr int kNeutralWhitePoint = 10;

// Linear maps between the position range and the value range (MulDiv, so
// rounded to nearest). Neither clamps; see ClampPosition.
int PositionToValue(int slider, int position);
int ValueToPosition(int slider, int value);
int ClampPosition(int slider, int position);
int ClampValue(int slider, int value);

// E = 1 / 2^(v/100): the exponent a gamma value puts on the ramp.
double GammaExponent(int value);
// 2^(v/100): the gamma the user sees.
double DisplayedGamma(int value);

struct WhitePoint {
  double red, green, blue;
};
// Rows 0..20; 10 is neutral. Any index is clamped into the table.
const WhitePoint& WhitePointRow(int index);

// 3 x 256 entries, red then green then blue: SetDeviceGammaRamp's layout.
struct GammaRamp {
  WORD red[256];
  WORD green[256];
  WORD blue[256];
};
static_assert(sizeof(GammaRamp) == 1536, "three channels of 256 16-bit entries");
bool operator==(const GammaRamp& a, const GammaRamp& b);

// One channel's curve in its general form: x^(numerator / denominator),
// less the black offset, scaled by (1 - offset) and the white-point scale.
struct ChannelCurve {
  double numerator;
  double denominator;
  double offset;
  double scale;
};
void ComputeChannel(const ChannelCurve& curve, WORD entries[256]);
// The page's form: (E(c), 1.0, 0.0, W(c)) for each channel.
void ComputeRamp(const double exponents[kGammaSliderCount], const WhitePoint& whitePoint, GammaRamp& ramp);

// A label template is the label control's own text (at most 31 characters
// are kept); the formatted value goes in as its "%s" argument.
inline constexpr int kLabelTemplateBytes = 32;
// The value as the label shows it: "%.2f" of the gamma, "%d" of the white-point index.
std::string FormatValue(int slider, int value);
// wsprintfA(template, value text). A template that asks for anything but one
// string argument would read arguments that are not there, so it is replaced by "%s".
std::string FormatLabel(const char* labelTemplate, const std::string& valueText);

}  // namespace colour
