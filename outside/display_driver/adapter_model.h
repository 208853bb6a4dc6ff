// The adapter's state, shared by the parts of the model. Everything is
// guarded by the model's lock; listeners are called after it is released.
#pragma once

#include <host/adapter.h>

#include <map>
#include <mutex>
#include <vector>

#include "timings.h"

namespace host::adapter {

struct Model {
  std::recursive_mutex lock;
  Config config;  // the hardware, and the mode in force
  DWORD timing[kTimingWords] = {};
  int modeChangeDepth = 0;
  int restartRequests = 0;
  Faults faults;
  std::vector<LogEntry> log;
  int openDCs = 0;
  GammaMode gammaMode = GammaMode::Full;
  WORD ramp[768] = {};
  std::map<int, Listener> listeners;
  int nextListener = 1;
};

Model& TheModel();

// Collects the notifications of one operation and sends them once the lock
// is released: hold one of these, then lock.
class Notifications {
 public:
  Notifications() = default;
  Notifications(const Notifications&) = delete;
  Notifications& operator=(const Notifications&) = delete;
  ~Notifications();
  void Add(Event event);

 private:
  std::vector<Event> events_;
};

// The limit the built-in timings are filtered by: the active board's.
DWORD ActiveBoardClockMHz(const Config& config);
// Whether the adapter can show a mode (see escape 0xC4D8ACEE).
bool ModeSettable(const Config& hardware, int displayWidth, int displayHeight, int desktopWidth, int desktopHeight,
                  int bitsPerPixel, int offscreenUsage, int zoom);
// Keeps the visible part inside the desktop; true when the origin moved.
bool ClampOrigin(Config& mode);
void MoveOrigin(Config& mode, int x, int y, Notifications& notes);
// A full mode change to this desktop and depth: the display size follows the
// "Display Resolution" rule; false when the result cannot be shown.
bool ApplyFullModeChange(Model& model, int desktopWidth, int desktopHeight, int bitsPerPixel, bool test,
                         Notifications& notes);
// A new display size inside the unchanged desktop.
bool ApplyDisplayResolution(Model& model, int displayWidth, int displayHeight, Notifications& notes);
void ResetTimingState(Model& model);

int HandleDriverEscape(Model& model, int inSize, const BYTE* in, int outSize, BYTE* out, Notifications& notes);

}  // namespace host::adapter
