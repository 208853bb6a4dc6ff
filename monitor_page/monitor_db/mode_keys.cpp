#include "mode_keys.h"

#include <string.h>

#include <initializer_list>

#include "monitor_tree.h"

namespace monitor_db {
namespace {

constexpr DWORD kDepths[4] = {8, 16, 24, 32};
constexpr const char* kDepthSuffix[4] = {".x8", ".x16", ".x24", ".x32"};
constexpr DWORD kZooms[3] = {1, 2, 4};
constexpr const char* kZoomSuffix[3] = {".z1", ".z2", ".z4"};
enum { k8, k16, k24, k32 };
enum { kZ1, kZ2, kZ4 };

// For each class of key, the last key of the group that falls into it (-1: none).
struct GroupClasses {
  int plain = -1;
  int depth[4] = {-1, -1, -1, -1};          // ".x<d>", no ".z"
  int zoom[3] = {-1, -1, -1};               // ".z<z>", no ".x"
  int depthZoom[4][3] = {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}};
  int depthZoomed[4] = {-1, -1, -1, -1};    // ".x<d>" with any ".z"
  int zoomWithDepth[3] = {-1, -1, -1};      // ".z<z>" with any ".x"
  bool anyX = false, anyZ = false;
};

GroupClasses Classify(const char* const* keys, const ModeGroupPlan& plan) {
  GroupClasses c;
  for (int i = 0; i < plan.keyCount; ++i) {
    const int index = plan.keys[i];
    const char* key = keys[index];
    const bool hasX = strstr(key, ".x") != nullptr;
    const bool hasZ = strstr(key, ".z") != nullptr;
    c.anyX = c.anyX || hasX;
    c.anyZ = c.anyZ || hasZ;
    if (!hasX && !hasZ) c.plain = index;
    for (int d = 0; d < 4; ++d) {
      if (!strstr(key, kDepthSuffix[d])) continue;
      if (!hasZ) c.depth[d] = index;
      if (hasZ) c.depthZoomed[d] = index;
      for (int z = 0; z < 3; ++z)
        if (strstr(key, kZoomSuffix[z])) c.depthZoom[d][z] = index;
    }
    for (int z = 0; z < 3; ++z) {
      if (!strstr(key, kZoomSuffix[z])) continue;
      if (!hasX) c.zoom[z] = index;
      if (hasX) c.zoomWithDepth[z] = index;
    }
  }
  return c;
}

int FirstOf(std::initializer_list<int> candidates) {
  for (int key : candidates)
    if (key >= 0) return key;
  return -1;
}

// 32 bits per pixel falls back on the 24-bit keys when it has none of its own.
int DepthKey(const GroupClasses& c, int d) { return d == k32 && c.depth[k32] < 0 ? c.depth[k24] : c.depth[d]; }
const int* DepthZoomKeys(const GroupClasses& c, int d) {
  if (d == k32 && c.depthZoom[k32][kZ1] < 0 && c.depthZoom[k32][kZ2] < 0 && c.depthZoom[k32][kZ4] < 0)
    return c.depthZoom[k24];
  return c.depthZoom[d];
}

int NearestDepthKey(const GroupClasses& c, int d) {
  static constexpr int kOrder[4][4] = {{k8, k16, k24, k32}, {k16, k8, k24, k32}, {k24, k16, k8, k32}, {k32, k24, k16, k8}};
  for (int other : kOrder[d])
    if (DepthKey(c, other) >= 0) return DepthKey(c, other);
  return -1;
}

int NearestOtherDepthKey(const GroupClasses& c, int d) {
  static constexpr int kOrder[4][3] = {{k16, k24, k32}, {k8, k24, k32}, {k16, k8, k32}, {k24, k16, k8}};
  for (int other : kOrder[d]) {
    if (c.depth[other] >= 0) return c.depth[other];
    if (c.depthZoomed[other] >= 0) return c.depthZoomed[other];
  }
  return -1;
}

int NearestZoomKey(const GroupClasses& c, int z) {
  static constexpr int kOrder[3][2] = {{kZ2, kZ4}, {kZ1, kZ4}, {kZ2, kZ1}};
  for (int other : kOrder[z]) {
    if (c.zoom[other] >= 0) return c.zoom[other];
    if (c.zoomWithDepth[other] >= 0) return c.zoomWithDepth[other];
  }
  return -1;
}

bool Add(ModeGroupPlan* plan, int key, DWORD depth, DWORD zoom) {
  if (key < 0) return false;
  plan->timings[plan->timingCount++] = {key, depth, zoom};
  return true;
}

}  // namespace

LONG ResolutionOfModeKey(const char* lowerKey) {
  if (!strncmp(lowerKey, "ntsc", 4)) return kResNtsc;
  if (!strncmp(lowerKey, "pal", 3)) return kResPal;
  int width = 0;
  const char* p = lowerKey;
  for (; *p >= '0' && *p <= '9' && width < 100000; ++p) width = width * 10 + (*p - '0');
  return p == lowerKey ? -1 : ResolutionOfWidth(width);
}

PlanStatus ModeKeyPlanner::Next(ModeGroupPlan* plan) {
  int first = 0;
  while (first < count_ && taken_[first]) ++first;
  failedKey_ = first < count_ ? first : -1;
  if (first == count_) return PlanStatus::kDone;

  // The resolution part: the first key up to its first separator character.
  const char* opener = keys_[first];
  const char* separator = strchr(opener, separator_);
  const size_t partLength = separator ? static_cast<size_t>(separator - opener) : strlen(opener);
  char part[kMaxModeKeyLength + 1];
  if (strlen(opener) > kMaxModeKeyLength) return PlanStatus::kKeyTooLong;
  memcpy(part, opener, partLength);
  part[partLength] = 0;

  plan->keyCount = 0;
  plan->timingCount = 0;
  for (int i = first; i < count_; ++i) {
    if (taken_[i] || (i != first && !strstr(keys_[i], part))) continue;
    if (plan->keyCount == kMaxGroupKeys) return PlanStatus::kTooManyKeys;
    if (strlen(keys_[i]) > kMaxModeKeyLength) return PlanStatus::kKeyTooLong;
    plan->keys[plan->keyCount++] = i;
    taken_[i] = true;
  }
  plan->resolution = ResolutionOfModeKey(opener);
  if (plan->resolution < 0) return PlanStatus::kGroup;
  return ChooseTimings(plan);
}

PlanStatus ModeKeyPlanner::ChooseTimings(ModeGroupPlan* plan) const {
  const GroupClasses c = Classify(keys_, *plan);
  const char* opener = keys_[plan->keys[0]];
  const bool twoZooms = strstr(opener, "640x480") || strstr(opener, "800x600");
  const int positions = twoZooms ? 2 : 3;

  if (plan->keyCount == 1 || (!c.anyX && !c.anyZ)) {
    Add(plan, plan->keys[0], 0, 0);
    return PlanStatus::kGroup;
  }
  bool ok = true;
  if (c.anyX) {
    const bool anyZoomKey = c.zoom[kZ1] >= 0 || c.zoom[kZ2] >= 0 || c.zoom[kZ4] >= 0;
    for (int d = 0; d < 4 && ok; ++d) {
      const int* dz = DepthZoomKeys(c, d);
      const int found = (dz[kZ1] >= 0) + (dz[kZ2] >= 0) + (dz[kZ4] >= 0);
      const int depthKey = DepthKey(c, d);
      if (found >= 2 || (found >= 1 && depthKey >= 0) || anyZoomKey) {
        for (int p = 0; p < positions && ok; ++p)
          ok = Add(plan,
                   FirstOf({dz[p], depthKey, c.zoom[p], c.plain, NearestDepthKey(c, d), NearestZoomKey(c, p)}),
                   kDepths[d], kZooms[p]);
      } else {
        ok = Add(plan, FirstOf({dz[kZ1], dz[kZ2], dz[kZ4], depthKey, c.plain, NearestOtherDepthKey(c, d)}),
                 kDepths[d], 0);
      }
    }
  } else {
    for (int p = 0; p < positions && ok; ++p)
      ok = Add(plan, FirstOf({c.zoom[p], c.plain, NearestZoomKey(c, p)}), 0, kZooms[p]);
  }
  return ok ? PlanStatus::kGroup : PlanStatus::kNoKeyChosen;
}

}  // namespace monitor_db
