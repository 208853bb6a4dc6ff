// Turning a model section's mode keys into timings: keys are grouped by
// their resolution part, and each timing (depth, zoom) of a group is taken
// from the key that suits it best. Pure logic on lower-cased keys.
#pragma once

#include <windows.h>

namespace monitor_db {

constexpr int kMaxGroupKeys = 16;
constexpr int kMaxModeKeyLength = 29;
constexpr int kMaxGroupTimings = 12;  // four depths at three zoom positions

struct PlannedTiming {
  int key;  // index into the model's key list
  DWORD depth;
  DWORD zoom;
};

struct ModeGroupPlan {
  LONG resolution;  // -1: the width has no table index, the group makes no timing
  int keyCount;
  int keys[kMaxGroupKeys];  // in text order; keys[0] opened the group
  int timingCount;
  PlannedTiming timings[kMaxGroupTimings];  // in the order they are made
};

enum class PlanStatus {
  kGroup,         // `plan` holds the next group
  kDone,          // every key is used
  kTooManyKeys,   // a group would hold more than 16 keys
  kKeyTooLong,    // a key of the group is longer than 29 characters
  kNoKeyChosen,   // a timing of the group has no key to come from
};

// Walks the groups of one model section. `keys` are lower-cased, in text
// order; `taken` has `count` entries, all false at the start.
class ModeKeyPlanner {
 public:
  ModeKeyPlanner(const char* const* keys, int count, bool* taken, char separator)
      : keys_(keys), count_(count), taken_(taken), separator_(separator) {}
  PlanStatus Next(ModeGroupPlan* plan);
  // The key that opened the group the last status refers to (-1 for kDone).
  int failedKey() const { return failedKey_; }

 private:
  PlanStatus ChooseTimings(ModeGroupPlan* plan) const;

  const char* const* keys_;
  int count_;
  bool* taken_;
  char separator_;
  int failedKey_ = -1;
};

// Resolution index named by a group's first key, -1 when none.
LONG ResolutionOfModeKey(const char* lowerKey);

}  // namespace monitor_db
