// The sliders' behaviour as the page drives it.
#include <commctrl.h>
#include <host_testing/station_fixture.h>

#include <vector>

#include "colour_test_support.h"
#include "slider_panel.h"

namespace colour {
namespace {

std::vector<int> Positions(const SliderPanel& panel) {
  return {panel.Position(kRed), panel.Position(kGreen), panel.Position(kBlue), panel.Position(kWhitePoint)};
}

std::vector<bool> Flags(const bool (&flags)[kSliderCount]) { return std::vector<bool>(flags, flags + kSliderCount); }

TEST(SliderPanelTest, StartsNeutral) {
  SliderPanel panel;
  EXPECT_EQ((std::vector<int>{80, 80, 80, 10}), Positions(panel));
  EXPECT_FALSE(panel.Linked());
  EXPECT_FALSE(panel.ResetEnabled());
  EXPECT_EQ("1.00", panel.LabelText(kRed));
  EXPECT_EQ("10", panel.LabelText(kWhitePoint));
  GammaRamp ramp;
  panel.ComputeWorkingRamp(ramp);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(i * 256, ramp.green[i]) << i;
}

TEST(SliderPanelTest, ScrollCodesTakeThePositionFromTheirSource) {
  struct Case {
    int code;
    int thumb, trackbar;
    int position;  // -1: the slider is not touched
    bool setPosition, markChanged;
  } cases[] = {
      {TB_THUMBTRACK, 60, 99, 60, false, false},
      {TB_THUMBPOSITION, 60, 99, 60, true, false},
      {TB_LINEUP, 0, 79, 79, true, false},
      {TB_LINEDOWN, 0, 81, 81, true, false},
      {TB_PAGEUP, 0, 60, 60, true, false},
      {TB_PAGEDOWN, 0, 100, 100, true, false},
      {TB_TOP, 0, 0, 0, true, false},
      {TB_BOTTOM, 0, 160, 160, true, false},
      {TB_ENDTRACK, 12, 34, -1, false, true},
      // Positions outside the range are clamped.
      {TB_THUMBTRACK, 65535, 0, 160, false, false},
      {TB_LINEUP, 0, -3, 0, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code << " thumb " << c.thumb << " trackbar " << c.trackbar);
    SliderPanel panel;
    SliderUpdate update = panel.Scroll(kRed, c.code, c.thumb, c.trackbar);
    EXPECT_TRUE(update.recompute);
    EXPECT_EQ(c.markChanged, update.markChanged);
    EXPECT_EQ((std::vector<bool>{c.position >= 0, false, false, false}), Flags(update.relabel));
    EXPECT_EQ((std::vector<bool>{c.setPosition, false, false, false}), Flags(update.setPosition));
    int expected = c.position >= 0 ? c.position : 80;
    EXPECT_EQ(expected, panel.Position(kRed));
    EXPECT_EQ(PositionToValue(kRed, expected), panel.Value(kRed));
  }
}

TEST(SliderPanelTest, LinkedGammaSlidersMoveTogether) {
  SliderPanel panel;
  panel.SetLinked(true, 80);
  SliderUpdate update = panel.Scroll(kBlue, TB_THUMBTRACK, 40, 0);
  EXPECT_EQ((std::vector<int>{40, 40, 40, 10}), Positions(panel));
  EXPECT_EQ((std::vector<bool>{true, true, true, false}), Flags(update.relabel));
  EXPECT_EQ((std::vector<bool>{true, true, false, false}), Flags(update.setPosition));
  EXPECT_EQ("2.00", panel.LabelText(kRed));

  update = panel.Scroll(kWhitePoint, TB_THUMBPOSITION, 3, 0);
  EXPECT_EQ((std::vector<int>{40, 40, 40, 3}), Positions(panel)) << "the white point is not linked";
  EXPECT_EQ((std::vector<bool>{false, false, false, true}), Flags(update.relabel));

  panel.SetLinked(false, 40);
  panel.Scroll(kGreen, TB_THUMBTRACK, 120, 0);
  EXPECT_EQ((std::vector<int>{40, 120, 40, 3}), Positions(panel));
}

TEST(SliderPanelTest, LinkingCopiesGreenToAllThree) {
  SliderPanel panel;
  panel.Scroll(kRed, TB_THUMBPOSITION, 10, 0);
  panel.Scroll(kBlue, TB_THUMBPOSITION, 150, 0);
  SliderUpdate update = panel.SetLinked(true, 100);  // green's trackbar position
  EXPECT_TRUE(panel.Linked());
  EXPECT_EQ((std::vector<int>{100, 100, 100, 10}), Positions(panel));
  EXPECT_EQ((std::vector<bool>{true, true, true, false}), Flags(update.setPosition));
  EXPECT_TRUE(update.recompute);
  EXPECT_TRUE(update.markChanged);

  update = panel.SetLinked(false, 30);
  EXPECT_FALSE(panel.Linked());
  EXPECT_EQ((std::vector<int>{100, 100, 100, 10}), Positions(panel)) << "unlinking changes nothing";
  EXPECT_FALSE(update.recompute);
  EXPECT_FALSE(update.markChanged);
}

TEST(SliderPanelTest, ResetRestoresTheNeutralValuesAndKeepsTheLink) {
  SliderPanel panel;
  panel.SetLinked(true, 30);
  panel.Scroll(kWhitePoint, TB_THUMBPOSITION, 2, 0);
  EXPECT_TRUE(panel.ResetEnabled());
  SliderUpdate update = panel.Reset();
  EXPECT_EQ((std::vector<int>{80, 80, 80, 10}), Positions(panel));
  EXPECT_TRUE(panel.Linked());
  EXPECT_EQ((std::vector<bool>{true, true, true, true}), Flags(update.setPosition));
  EXPECT_EQ((std::vector<bool>{true, true, true, true}), Flags(update.relabel));
  EXPECT_TRUE(update.markChanged);
  EXPECT_FALSE(panel.ResetEnabled());
}

TEST(SliderPanelTest, ResetIsEnabledByAnyNonNeutralValue) {
  struct Case {
    int slider, position;
    bool enabled;
  } cases[] = {{kRed, 79, true},        {kGreen, 81, true},       {kBlue, 0, true},
               {kWhitePoint, 11, true}, {kWhitePoint, 10, false}, {kRed, 80, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "slider " << c.slider << " position " << c.position);
    SliderPanel panel;
    panel.Scroll(c.slider, TB_THUMBTRACK, c.position, 0);
    EXPECT_EQ(c.enabled, panel.ResetEnabled());
  }
}

TEST(SliderPanelTest, LabelsUseTheirTemplates) {
  SliderPanel panel;
  panel.SetLabelTemplate(kRed, "R %s");
  panel.SetLabelTemplate(kWhitePoint, "WP %s");
  panel.Scroll(kRed, TB_THUMBTRACK, 0, 0);
  EXPECT_EQ("R 4.00", panel.LabelText(kRed));
  EXPECT_EQ("WP 10", panel.LabelText(kWhitePoint));
  EXPECT_EQ("1.00", panel.LabelText(kGreen));
}

TEST(SliderPanelTest, LoadedValuesSnapToTheGrid) {
  SliderPanel panel;
  SliderValues values{};
  test_support::SetSliders(values, 51, 1, -1000, 99);
  values.linked = true;
  panel.Load(values);
  EXPECT_EQ((std::vector<int>{60, 80, 160, 20}), Positions(panel));
  EXPECT_EQ(50, panel.Value(kRed));
  EXPECT_EQ(0, panel.Value(kGreen));
  EXPECT_TRUE(panel.Linked());
}

class SliderPanelRegistryTest : public host::testing::StationTest {};

TEST_F(SliderPanelRegistryTest, FailedLoadKeepsTheCurrentValues) {
  test_support::Store({test_support::Dword("Gamma Red", 50), test_support::Dword("WPRed", 255)});
  SliderPanel panel;
  panel.Scroll(kGreen, TB_THUMBTRACK, 20, 0);
  EXPECT_FALSE(panel.LoadFromRegistry());
  EXPECT_EQ((std::vector<int>{80, 20, 80, 10}), Positions(panel));
}

TEST_F(SliderPanelRegistryTest, SavedSettingsComeBackOnTheSliders) {
  SliderPanel panel;
  panel.Scroll(kRed, TB_THUMBPOSITION, 60, 0);
  panel.Scroll(kBlue, TB_THUMBPOSITION, 100, 0);
  panel.Scroll(kWhitePoint, TB_THUMBPOSITION, 14, 0);
  ASSERT_TRUE(SaveSettings(panel.ToSettings()));
  SliderPanel reopened;
  EXPECT_TRUE(reopened.LoadFromRegistry());
  EXPECT_EQ((std::vector<int>{60, 80, 100, 14}), Positions(reopened));
  GammaRamp saved, loaded;
  panel.ComputeWorkingRamp(saved);
  reopened.ComputeWorkingRamp(loaded);
  EXPECT_TRUE(saved == loaded);
}

}  // namespace
}  // namespace colour
