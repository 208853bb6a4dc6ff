#include "gamma_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace colour {

const SliderInfo kSliders[kSliderCount] = {
    {211, 212, 20, 40, 0, 160, 200, -200, 0},
    {213, 214, 20, 40, 0, 160, 200, -200, 0},
    {215, 216, 20, 40, 0, 160, 200, -200, 0},
    {221, 222, 5, 2, 0, 20, 0, 20, kNeutralWhitePoint},
};

namespace {

const WhitePoint kWhitePoints[kWhitePointCount] = {
    {1.0, 0.77244, 0.49983}, {1.0, 0.80265, 0.55351}, {1.0, 0.83084, 0.60692}, {1.0, 0.85716, 0.65975},
    {1.0, 0.88176, 0.71179}, {1.0, 0.90475, 0.76284}, {1.0, 0.92628, 0.81278}, {1.0, 0.94645, 0.86148},
    {1.0, 0.96538, 0.90889}, {1.0, 0.98322, 0.95514}, {1.0, 1.0, 1.0},         {0.95833, 0.97347, 1.0},
    {0.92116, 0.94943, 1.0}, {0.88781, 0.92756, 1.0}, {0.85777, 0.90758, 1.0}, {0.83058, 0.88928, 1.0},
    {0.80587, 0.87245, 1.0}, {0.78333, 0.85693, 1.0}, {0.7627, 0.84258, 1.0},  {0.74376, 0.82928, 1.0},
    {0.72631, 0.81692, 1.0},
};

// i / 255 as the ramp computes it.
constexpr double kStep = 0.00392156862745098;

// Step 3 truncated and step 4 clamped. The general form can go below zero
// (an offset above the curve) or lose its number (0 / 0): both give 0, as an
// undefined float-to-int conversion must not happen.
int LevelOf(double z) {
  if (!(z >= 0.0)) return 0;
  if (z > 255.0) return 255;
  return static_cast<int>(z);
}

// Skips flags, width and precision of a conversion; returns its letter.
const char* ConversionLetter(const char* p) {
  while (*p == '-' || *p == '#' || *p == '0') ++p;
  while (*p >= '0' && *p <= '9') ++p;
  if (*p == '.') {
    ++p;
    while (*p >= '0' && *p <= '9') ++p;
  }
  return p;
}

bool TakesOneStringAtMost(const char* text) {
  int conversions = 0;
  for (const char* p = text; *p; ++p) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      ++p;
      continue;
    }
    p = ConversionLetter(p + 1);
    if (*p != 's' || ++conversions > 1) return false;
  }
  return true;
}

}  // namespace

int PositionToValue(int slider, int position) {
  const SliderInfo& s = kSliders[slider];
  return s.valueAtMin + MulDiv(position - s.positionMin, s.valueAtMax - s.valueAtMin, s.positionMax - s.positionMin);
}

int ValueToPosition(int slider, int value) {
  const SliderInfo& s = kSliders[slider];
  return s.positionMin + MulDiv(value - s.valueAtMin, s.positionMax - s.positionMin, s.valueAtMax - s.valueAtMin);
}

int ClampPosition(int slider, int position) {
  return std::clamp(position, kSliders[slider].positionMin, kSliders[slider].positionMax);
}

int ClampValue(int slider, int value) {
  const SliderInfo& s = kSliders[slider];
  return std::clamp(value, std::min(s.valueAtMin, s.valueAtMax), std::max(s.valueAtMin, s.valueAtMax));
}

double GammaExponent(int value) { return 1.0 / DisplayedGamma(value); }

double DisplayedGamma(int value) { return std::pow(2.0, value / 100.0); }

const WhitePoint& WhitePointRow(int index) { return kWhitePoints[std::clamp(index, 0, kWhitePointCount - 1)]; }

bool operator==(const GammaRamp& a, const GammaRamp& b) { return std::memcmp(&a, &b, sizeof(GammaRamp)) == 0; }

void ComputeChannel(const ChannelCurve& curve, WORD entries[256]) {
  for (int i = 0; i < 256; ++i) {
    double x = i * kStep;
    double y = std::pow(x, curve.numerator / curve.denominator);
    double z = (y - curve.offset) / (1.0 - curve.offset) * curve.scale * 255 + 0.5;
    entries[i] = static_cast<WORD>((LevelOf(z) % 256) << 8);
  }
}

void ComputeRamp(const double exponents[kGammaSliderCount], const WhitePoint& whitePoint, GammaRamp& ramp) {
  ComputeChannel({exponents[kRed], 1.0, 0.0, whitePoint.red}, ramp.red);
  ComputeChannel({exponents[kGreen], 1.0, 0.0, whitePoint.green}, ramp.green);
  ComputeChannel({exponents[kBlue], 1.0, 0.0, whitePoint.blue}, ramp.blue);
}

std::string FormatValue(int slider, int value) {
  char text[32];
  if (IsGammaSlider(slider))
    std::snprintf(text, sizeof(text), "%.2f", DisplayedGamma(value));
  else
    std::snprintf(text, sizeof(text), "%d", value);
  return text;
}

std::string FormatLabel(const char* labelTemplate, const std::string& valueText) {
  char kept[kLabelTemplateBytes] = "%s";
  if (labelTemplate && TakesOneStringAtMost(labelTemplate)) lstrcpynA(kept, labelTemplate, sizeof(kept));
  // Cutting the template at 31 characters can leave a lone '%' at its end.
  if (!TakesOneStringAtMost(kept)) lstrcpyA(kept, "%s");
  char label[1024];  // wsprintfA's own limit
  wsprintfA(label, kept, valueText.c_str());
  return label;
}

}  // namespace colour
