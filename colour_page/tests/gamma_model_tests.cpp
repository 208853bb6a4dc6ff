// Slider maps, the ramp arithmetic and the label texts.
#include <gtest/gtest.h>

#include <string>

#include "gamma_model.h"

namespace colour {
namespace {

TEST(SliderMapTest, EveryPositionMapsToAValueThatMapsBack) {
  for (int s = 0; s < kSliderCount; ++s) {
    for (int p = kSliders[s].positionMin; p <= kSliders[s].positionMax; ++p) {
      SCOPED_TRACE(testing::Message() << "slider " << s << " position " << p);
      EXPECT_EQ(p, ValueToPosition(s, PositionToValue(s, p)));
    }
  }
}

TEST(SliderMapTest, GammaValuesRoundHalfAwayFromZero) {
  struct Case {
    int position, value;
  } cases[] = {{0, 200}, {1, 197}, {2, 195}, {3, 192}, {79, 2}, {80, 0}, {81, -3}, {159, -198}, {160, -200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    EXPECT_EQ(c.value, PositionToValue(kRed, c.position));
    EXPECT_EQ(c.value, PositionToValue(kBlue, c.position));
  }
  // Values between grid points go to the nearest position.
  EXPECT_EQ(60, ValueToPosition(kGreen, 51));
  EXPECT_EQ(0, ValueToPosition(kGreen, 199));
  EXPECT_EQ(14, PositionToValue(kWhitePoint, 14));
}

TEST(SliderMapTest, ClampsKeepPositionsAndValuesInRange) {
  EXPECT_EQ(0, ClampPosition(kRed, -7));
  EXPECT_EQ(160, ClampPosition(kRed, 65535));
  EXPECT_EQ(20, ClampPosition(kWhitePoint, 21));
  EXPECT_EQ(-200, ClampValue(kRed, -100000));
  EXPECT_EQ(200, ClampValue(kBlue, 201));
  EXPECT_EQ(0, ClampValue(kWhitePoint, -1));
  EXPECT_EQ(20, ClampValue(kWhitePoint, 99));
}

TEST(WhitePointTest, OutOfTableIndexesUseTheEndRows) {
  EXPECT_EQ(&WhitePointRow(0), &WhitePointRow(-5));
  EXPECT_EQ(&WhitePointRow(20), &WhitePointRow(21));
  EXPECT_EQ(0.72631, WhitePointRow(20).red);
  EXPECT_EQ(1.0, WhitePointRow(kNeutralWhitePoint).blue);
}

GammaRamp RampFor(int red, int green, int blue, int whitePoint) {
  double exponents[] = {GammaExponent(red), GammaExponent(green), GammaExponent(blue)};
  GammaRamp ramp;
  ComputeRamp(exponents, WhitePointRow(whitePoint), ramp);
  return ramp;
}

TEST(RampTest, EveryEntryHasAZeroLowByteAndRisesWithTheIndex) {
  for (int v : {-200, -57, 0, 113, 200}) {
    for (int wp : {0, 10, 20}) {
      SCOPED_TRACE(testing::Message() << "v " << v << " white point " << wp);
      GammaRamp ramp = RampFor(v, v, v, wp);
      for (const WORD* channel : {ramp.red, ramp.green, ramp.blue}) {
        EXPECT_EQ(0, channel[0]);
        for (int i = 0; i < 256; ++i) EXPECT_EQ(0, channel[i] & 0xFF) << i;
        for (int i = 1; i < 256; ++i) EXPECT_LE(channel[i - 1], channel[i]) << i;
      }
    }
  }
}

TEST(RampTest, ExponentBendsTheCurve) {
  // E = 0.25 lifts the middle, E = 4 presses it down: trunc(255 x (128/255)^E + 0.5).
  EXPECT_EQ(0xD700, RampFor(200, 0, 0, 10).red[128]);
  EXPECT_EQ(0x1000, RampFor(0, -200, 0, 10).green[128]);
}

TEST(RampTest, GeneralFormNeverLeavesTheEightBitRange) {
  WORD entries[256];
  ComputeChannel({1.0, 1.0, 0.5, 1.0}, entries);  // below the offset the curve is negative
  EXPECT_EQ(0, entries[0]);
  EXPECT_EQ(0, entries[100]);
  EXPECT_EQ(0xFF00, entries[255]);
  ComputeChannel({1.0, 1.0, 0.0, 3.0}, entries);  // a scale above 1 saturates
  EXPECT_EQ(0xFF00, entries[200]);
  ComputeChannel({0.0, 0.0, 0.0, 1.0}, entries);  // 0/0: no number at all, but 1 to any power is 1
  for (int i = 0; i < 255; ++i) EXPECT_EQ(0, entries[i]) << i;
  EXPECT_EQ(0xFF00, entries[255]);
}

TEST(LabelTest, ValuesGoThroughTheLabelTemplate) {
  struct Case {
    const char* labelTemplate;
    int slider, value;
    const char* text;
  } cases[] = {
      {"%s", kRed, 0, "1.00"},
      {"%s", kGreen, 200, "4.00"},
      {"%s", kBlue, -200, "0.25"},
      {"%s", kRed, 50, "1.41"},
      {"%s", kWhitePoint, 7, "7"},
      {"Gamma %s", kRed, -100, "Gamma 0.50"},
      {"%6s|", kWhitePoint, 20, "    20|"},
      {"100%% at %s", kWhitePoint, 10, "100% at 10"},
      {"Temperature", kWhitePoint, 3, "Temperature"},
      {"", kRed, 0, ""},
      // A template that would read arguments that are not there shows the value alone.
      {"%s and %s", kRed, 0, "1.00"},
      {"%d", kWhitePoint, 4, "4"},
      {"%ls", kRed, 0, "1.00"},
      {"50%", kRed, 0, "1.00"},
      // Only 31 characters are kept: the cut drops the "%s" or leaves a lone '%'.
      {"0123456789012345678901234567890%s", kRed, 0, "0123456789012345678901234567890"},
      {"012345678901234567890123456789%s", kRed, 0, "1.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.labelTemplate);
    EXPECT_EQ(c.text, FormatLabel(c.labelTemplate, FormatValue(c.slider, c.value)));
  }
}

}  // namespace
}  // namespace colour
