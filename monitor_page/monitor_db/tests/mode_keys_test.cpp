// Mode keys of a model section -> the timings they make, and the key each
// timing comes from.
#include "mode_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "monitor_db/monitor_tree.h"

namespace monitor_db {
namespace {

struct Made {
  LONG resolution;
  DWORD depth, zoom;
  std::string key;
  bool operator==(const Made&) const = default;
};

void PrintTo(const Made& m, std::ostream* os) {
  *os << "{" << m.resolution << ", " << m.depth << ", " << m.zoom << ", " << m.key << "}";
}

// Plans every group of `keys`; the status is that of the last step.
PlanStatus Plan(const std::vector<std::string>& keys, std::vector<Made>* made, char separator = '.') {
  std::vector<std::string> lower = keys;
  for (std::string& k : lower) std::transform(k.begin(), k.end(), k.begin(), ::tolower);
  std::vector<const char*> pointers;
  for (const std::string& k : lower) pointers.push_back(k.c_str());
  std::unique_ptr<bool[]> taken(new bool[keys.size() + 1]());
  ModeKeyPlanner planner(pointers.data(), static_cast<int>(keys.size()), taken.get(), separator);
  for (;;) {
    ModeGroupPlan plan;
    PlanStatus status = planner.Next(&plan);
    if (status != PlanStatus::kGroup) return status;
    for (int i = 0; i < plan.timingCount; ++i)
      made->push_back({plan.resolution, plan.timings[i].depth, plan.timings[i].zoom, keys[plan.timings[i].key]});
  }
}

struct Case {
  const char* what;
  std::vector<std::string> keys;
  std::vector<Made> made;  // in the order the timings are made
};

class ModeKeys : public ::testing::TestWithParam<Case> {};

TEST_P(ModeKeys, MakeTimings) {
  std::vector<Made> made;
  EXPECT_EQ(Plan(GetParam().keys, &made), PlanStatus::kDone);
  EXPECT_EQ(made, GetParam().made);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ModeKeys,
    ::testing::Values(
        Case{"plain keys and depth keys with the nearest depth filling in",
             {"640x480", "800x600.x8", "800x600.x16"},
             {{0, 0, 0, "640x480"},
              {1, 8, 0, "800x600.x8"},
              {1, 16, 0, "800x600.x16"},
              {1, 24, 0, "800x600.x16"},
              {1, 32, 0, "800x600.x16"}}},
        Case{"zoom keys: zoom 4 from the nearest zoom key",
             {"1024x768.z1", "1024x768.z2"},
             {{2, 0, 1, "1024x768.z1"}, {2, 0, 2, "1024x768.z2"}, {2, 0, 4, "1024x768.z2"}}},
        Case{"640x480 and 800x600 have two zoom positions",
             {"640x480.z1", "640x480.z2"},
             {{0, 0, 1, "640x480.z1"}, {0, 0, 2, "640x480.z2"}}},
        Case{"a group of one key ignores its suffixes", {"1280x1024.x16.z2"}, {{4, 0, 0, "1280x1024.x16.z2"}}},
        Case{"plain keys only: one timing from the first key",
             {"1152x864", "1152x864"},
             {{3, 0, 0, "1152x864"}}},
        Case{"television resolutions", {"NTSC", "PAL"}, {{6, 0, 0, "NTSC"}, {7, 0, 0, "PAL"}}},
        Case{"a key joins the group whose resolution part it contains; groups in text order",
             {"800x600.x8", "1024x768", "800x600"},
             {{1, 8, 0, "800x600.x8"},
              {1, 16, 0, "800x600"},
              {1, 24, 0, "800x600"},
              {1, 32, 0, "800x600"},
              {2, 0, 0, "1024x768"}}},
        Case{"32 bpp falls back on the 24-bit depth key",
             {"1024x768.x8", "1024x768.x24"},
             {{2, 8, 0, "1024x768.x8"}, {2, 16, 0, "1024x768.x8"}, {2, 24, 0, "1024x768.x24"},
              {2, 32, 0, "1024x768.x24"}}},
        Case{"depth-and-zoom keys: two of them make one timing per zoom position",
             {"1024x768.x8.z1", "1024x768.x8.z2"},
             {{2, 8, 1, "1024x768.x8.z1"},
              {2, 8, 2, "1024x768.x8.z2"},
              {2, 8, 4, "1024x768.x8.z2"},  // no (8, 4) key and no depth key: the nearest depth key is
                                            // none, the nearest zoom key for 4 is a z2 key with depth
              {2, 16, 0, "1024x768.x8.z2"},  // 16 has no key of its own: the last x8 zoomed key
              {2, 24, 0, "1024x768.x8.z2"},
              {2, 32, 0, "1024x768.x8.z2"}}},
        Case{"one depth-and-zoom key with its depth key, and 32 bpp reusing 24-bit zoom keys",
             {"1600x1200.x24.z1", "1600x1200.x24", "1600x1200.x8"},
             {{5, 8, 0, "1600x1200.x8"},
              {5, 16, 0, "1600x1200.x8"},
              {5, 24, 1, "1600x1200.x24.z1"},
              {5, 24, 2, "1600x1200.x24"},
              {5, 24, 4, "1600x1200.x24"},
              {5, 32, 1, "1600x1200.x24.z1"},
              {5, 32, 2, "1600x1200.x24"},
              {5, 32, 4, "1600x1200.x24"}}},
        Case{"any zoom key makes every depth zoomed, from its zoom key before a plain key",
             {"1280x1024.x16", "1280x1024.z2", "1280x1024"},
             {{4, 8, 1, "1280x1024"},      // (8,1): no dz, no x8, no z1 -> plain
              {4, 8, 2, "1280x1024.z2"},   // zoom key of 2
              {4, 8, 4, "1280x1024"},      // plain comes before the nearest keys
              {4, 16, 1, "1280x1024.x16"},  // the depth key comes before a zoom key
              {4, 16, 2, "1280x1024.x16"},
              {4, 16, 4, "1280x1024.x16"},
              {4, 24, 1, "1280x1024"},
              {4, 24, 2, "1280x1024.z2"},
              {4, 24, 4, "1280x1024"},
              {4, 32, 1, "1280x1024"},
              {4, 32, 2, "1280x1024.z2"},
              {4, 32, 4, "1280x1024"}}},
        Case{"the last key of a class counts", {"640x480.x8", "640x480.x8", "640x480.x16"},
             {{0, 8, 0, "640x480.x8"}, {0, 16, 0, "640x480.x16"}, {0, 24, 0, "640x480.x16"},
              {0, 32, 0, "640x480.x16"}}},
        Case{"a width the table does not know makes no timing", {"720x400", "720x400.x8", "640x480"},
             {{0, 0, 0, "640x480"}}},
        Case{"keys are compared in lower case", {"1024X768.X16.Z1", "1024X768.X16.Z2", "1024X768.X16.Z4"},
             {{2, 8, 0, "1024X768.X16.Z4"},  // no 8-bit key: the last x16 zoomed key, zoomless
              {2, 16, 1, "1024X768.X16.Z1"}, {2, 16, 2, "1024X768.X16.Z2"}, {2, 16, 4, "1024X768.X16.Z4"},
              {2, 24, 0, "1024X768.X16.Z4"}, {2, 32, 0, "1024X768.X16.Z4"}}}),
    [](const ::testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

TEST(ModeKeyLimits, GroupSizeAndKeyLengthFailCleanly) {
  std::vector<std::string> sixteen, seventeen;
  for (int i = 0; i < 16; ++i) sixteen.push_back("640x480.k" + std::to_string(i));
  seventeen = sixteen;
  seventeen.push_back("640x480.k16");
  std::vector<Made> made;
  EXPECT_EQ(Plan(sixteen, &made), PlanStatus::kDone);
  EXPECT_EQ(Plan(seventeen, &made), PlanStatus::kTooManyKeys);
  // 29 characters are allowed, 30 are not.
  EXPECT_EQ(Plan({"1024x768." + std::string(20, 'a')}, &made), PlanStatus::kDone);
  EXPECT_EQ(Plan({"1024x768." + std::string(21, 'a')}, &made), PlanStatus::kKeyTooLong);
  EXPECT_EQ(Plan({"1024x768", "1024x768." + std::string(21, 'a')}, &made), PlanStatus::kKeyTooLong);
}

TEST(ModeKeyLimits, ATimingWithoutAnyKeyToComeFromFails) {
  // ".x" with no depth the table knows: 8 bpp finds no key at all.
  std::vector<Made> made;
  EXPECT_EQ(Plan({"1024x768.x12", "1024x768.x15"}, &made), PlanStatus::kNoKeyChosen);
}

TEST(ModeKeyLimits, SpaceModeResolutionPartEndsAtASpace) {
  // Keys have their spaces removed, so in space mode the whole key is its
  // resolution part and suffixed keys form groups of their own.
  std::vector<Made> made;
  EXPECT_EQ(Plan({"800x600.x8", "800x600.x16"}, &made, ' '), PlanStatus::kDone);
  EXPECT_EQ(made, (std::vector<Made>{{1, 0, 0, "800x600.x8"}, {1, 0, 0, "800x600.x16"}}));
}

}  // namespace
}  // namespace monitor_db
