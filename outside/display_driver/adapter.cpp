// The virtual OVX adapter: its mode, visible origin, gamma ramp, fault
// switches and device log, and its place in the station's life.
//
// Mode rules:
// - A mode can be shown when its depth is 8, 16, 24 or 32 bits, its zoom 1, 2
//   or 4, its display size a standard resolution that the active board has a
//   built-in timing for, its desktop at least as large as the display, and
//   desktop plus off-screen buffers fit the video memory.
// - After a full mode change (ChangeDisplaySettingsA, or the on-the-fly depth
//   change 0xC4D8ACD7) the display size is HKLM "SOFTWARE\Orvane\Deskforge\Current Settings"
//   "Display Resolution" ("W,H") when that is a resolution
//   the adapter scans and it fits the new desktop; otherwise the display is as
//   large as the desktop. Zoom and off-screen usage stay; the origin is clamped.
// - Every mode change restarts the timing state with the display size's
//   preferred built-in timing (60 Hz when listed).
#include <host/station.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "adapter_model.h"

namespace host::adapter {

Model& TheModel() {
  static Model model;
  return model;
}

Notifications::~Notifications() {
  if (events_.empty()) return;
  std::vector<Listener> listeners;
  {
    std::lock_guard guard(TheModel().lock);
    for (auto& [id, listener] : TheModel().listeners) listeners.push_back(listener);
  }
  for (Event event : events_)
    for (auto& listener : listeners) listener(event);
}

void Notifications::Add(Event event) {
  if (std::find(events_.begin(), events_.end(), event) == events_.end()) events_.push_back(event);
}

namespace {

int BytesPerPixel(int bitsPerPixel) { return (bitsPerPixel + 7) / 8; }

bool ValidDepth(int bpp) { return bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }
bool ValidZoom(int zoom) { return zoom == 1 || zoom == 2 || zoom == 4; }

// Off-screen usage reserves memory beside the desktop: "2D" a cache as large
// as the display, "Z" a 16-bit depth buffer, "3D" both a back buffer and depth.
DWORD OffscreenBytes(int usage, int displayWidth, int displayHeight, int bpp) {
  DWORD display = static_cast<DWORD>(displayWidth) * displayHeight;
  switch (usage) {
    case 1:
      return display * BytesPerPixel(bpp);
    case 2:
      return display * 2;
    case 3:
      return display * BytesPerPixel(bpp) + display * 2;
    default:
      return 0;
  }
}

void IdentityRamp(Model& model) {
  for (int channel = 0; channel < 3; ++channel)
    for (int i = 0; i < 256; ++i) model.ramp[channel * 256 + i] = static_cast<WORD>(i * 257);
}

bool ReadDisplayResolutionSetting(int& width, int& height) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Deskforge\\Current Settings", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  char text[64] = {};
  DWORD size = sizeof(text) - 1;
  DWORD type = 0;
  LONG status = RegQueryValueExA(key, "Display Resolution", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  char tail = 0;
  return std::sscanf(text, "%d,%d%c", &width, &height, &tail) == 2;
}

bool ConsistentConfig(const Config& c, std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (c.boards.empty()) return fail("the adapter needs at least one board");
  if (!ValidDepth(c.bitsPerPixel)) return fail("bits per pixel must be 8, 16, 24 or 32");
  if (!ValidZoom(c.zoom)) return fail("zoom must be 1, 2 or 4");
  if (c.offscreenUsage < 0 || c.offscreenUsage > 3) return fail("off-screen usage must be 0 to 3");
  if (c.fontDpi <= 0) return fail("font dpi must be positive");
  if (c.timingSource > 2) return fail("timing source must be 0, 1 or 2");
  if (!ModeSettable(c, c.displayWidth, c.displayHeight, c.desktopWidth, c.desktopHeight, c.bitsPerPixel,
                    c.offscreenUsage, c.zoom))
    return fail("the mode cannot be shown by this adapter (resolution, desktop or video memory)");
  return true;
}

// What the previous Windows session stored (CDS_UPDATEREGISTRY, the on-the-fly
// depth change, font installation) takes effect when the station boots.
void ApplyRegistryModeAtBoot(Model& model) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_CONFIG, "Display\\Settings", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  auto readNumbers = [&](const char* name, int& a, int* b) {
    char text[64] = {};
    DWORD size = sizeof(text) - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
      return false;
    return b ? std::sscanf(text, "%d,%d", &a, b) == 2 : std::sscanf(text, "%d", &a) == 1;
  };
  Config& c = model.config;
  int width = c.desktopWidth, height = c.desktopHeight, bpp = c.bitsPerPixel, dpi = c.fontDpi;
  readNumbers("Resolution", width, &height);
  readNumbers("BitsPerPixel", bpp, nullptr);
  if (readNumbers("DPILogicalX", dpi, nullptr) && dpi > 0) c.fontDpi = dpi;
  RegCloseKey(key);
  Notifications ignored;
  if (width != c.desktopWidth || height != c.desktopHeight || bpp != c.bitsPerPixel)
    ApplyFullModeChange(model, width, height, bpp, false, ignored);
}

void BootAdapter() {
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  model.config = Config{};
  std::string path = StationConfigPath();
  std::error_code error;
  if (std::filesystem::exists(path, error)) {
    Config fromFile;
    std::string why;
    if (ReadConfigFile(path, fromFile, &why) && ConsistentConfig(fromFile, &why))
      model.config = fromFile;
    else
      std::fprintf(stderr, "adapter: %s: %s; the default adapter is used\n", path.c_str(), why.c_str());
  }
  model.modeChangeDepth = 0;
  model.restartRequests = 0;
  model.faults = Faults{};
  model.log.clear();
  model.openDCs = 0;
  model.gammaMode = GammaMode::Full;
  model.listeners.clear();
  IdentityRamp(model);
  ClampOrigin(model.config);
  ResetTimingState(model);
  ApplyRegistryModeAtBoot(model);
}

// After the registry (10), before the window manager.
const bool kRegistered = [] {
  RegisterStationHook(20, BootAdapter, [] {});
  return true;
}();

}  // namespace

DWORD ActiveBoardClockMHz(const Config& config) {
  for (const Board& board : config.boards)
    if (board.flags & 1) return board.maxPixelClockMHz;
  return config.boards.empty() ? 0 : config.boards.front().maxPixelClockMHz;
}

bool ModeSettable(const Config& hardware, int displayWidth, int displayHeight, int desktopWidth, int desktopHeight,
                  int bitsPerPixel, int offscreenUsage, int zoom) {
  if (!ValidDepth(bitsPerPixel) || !ValidZoom(zoom) || offscreenUsage < 0 || offscreenUsage > 3) return false;
  if (TimingsFor(displayWidth, displayHeight, ActiveBoardClockMHz(hardware)).empty()) return false;
  if (desktopWidth < displayWidth || desktopHeight < displayHeight || desktopWidth > 4096 || desktopHeight > 4096)
    return false;
  unsigned long long bytes = 1ull * desktopWidth * desktopHeight * BytesPerPixel(bitsPerPixel) +
                             OffscreenBytes(offscreenUsage, displayWidth, displayHeight, bitsPerPixel);
  return bytes <= hardware.videoMemory;
}

bool ClampOrigin(Config& c) {
  int maxX = std::max(0, c.desktopWidth - c.displayWidth / c.zoom);
  int maxY = std::max(0, c.desktopHeight - c.displayHeight / c.zoom);
  int x = std::clamp(c.originX, 0, maxX), y = std::clamp(c.originY, 0, maxY);
  if (x == c.originX && y == c.originY) return false;
  c.originX = x;
  c.originY = y;
  return true;
}

void ResetTimingState(Model& model) {
  std::fill(std::begin(model.timing), std::end(model.timing), 0);
  const Timing* timing =
      PreferredTiming(model.config.displayWidth, model.config.displayHeight, ActiveBoardClockMHz(model.config));
  if (timing) TimingToWords(*timing, model.timing);
}

bool ApplyFullModeChange(Model& model, int desktopWidth, int desktopHeight, int bpp, bool test, Notifications& notes) {
  Config& c = model.config;
  int displayWidth = desktopWidth, displayHeight = desktopHeight;
  int w = 0, h = 0;
  if (ReadDisplayResolutionSetting(w, h) && w > 0 && h > 0 && w <= desktopWidth && h <= desktopHeight &&
      IsStandardResolution(w, h)) {
    displayWidth = w;
    displayHeight = h;
  }
  if (!ModeSettable(c, displayWidth, displayHeight, desktopWidth, desktopHeight, bpp, c.offscreenUsage, c.zoom))
    return false;
  if (test) return true;
  bool changed = c.displayWidth != displayWidth || c.displayHeight != displayHeight || c.desktopWidth != desktopWidth ||
                 c.desktopHeight != desktopHeight || c.bitsPerPixel != bpp;
  c.displayWidth = displayWidth;
  c.displayHeight = displayHeight;
  c.desktopWidth = desktopWidth;
  c.desktopHeight = desktopHeight;
  c.bitsPerPixel = bpp;
  if (!changed) return true;
  if (ClampOrigin(c)) notes.Add(Event::Panned);
  ResetTimingState(model);
  notes.Add(Event::ModeChanged);
  return true;
}

bool ApplyDisplayResolution(Model& model, int displayWidth, int displayHeight, Notifications& notes) {
  Config& c = model.config;
  if (!ModeSettable(c, displayWidth, displayHeight, c.desktopWidth, c.desktopHeight, c.bitsPerPixel, c.offscreenUsage,
                    c.zoom))
    return false;
  if (c.displayWidth == displayWidth && c.displayHeight == displayHeight) return true;
  c.displayWidth = displayWidth;
  c.displayHeight = displayHeight;
  if (ClampOrigin(c)) notes.Add(Event::Panned);
  ResetTimingState(model);
  notes.Add(Event::ModeChanged);
  return true;
}

// The origin moves to (x, y), clamped; a move is a pan.
void MoveOrigin(Config& c, int x, int y, Notifications& notes) {
  int oldX = c.originX, oldY = c.originY;
  c.originX = x;
  c.originY = y;
  ClampOrigin(c);
  if (c.originX != oldX || c.originY != oldY) notes.Add(Event::Panned);
}

// ---- Control API ----

bool Configure(const Config& config, std::string* error) {
  if (!ConsistentConfig(config, error)) return false;
  Notifications notes;
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  model.config = config;
  if (ClampOrigin(model.config)) notes.Add(Event::Panned);
  ResetTimingState(model);
  notes.Add(Event::ModeChanged);
  return true;
}

Config CurrentConfig() {
  std::lock_guard guard(TheModel().lock);
  return TheModel().config;
}

State CurrentState() {
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  const Config& c = model.config;
  State s{c.displayWidth,
          c.displayHeight,
          c.desktopWidth,
          c.desktopHeight,
          c.bitsPerPixel,
          c.offscreenUsage,
          c.zoom,
          c.fontDpi,
          c.originX,
          c.originY,
          c.displayWidth / c.zoom,
          c.displayHeight / c.zoom,
          c.timingSource,
          {},
          model.modeChangeDepth,
          model.restartRequests};
  std::copy(std::begin(model.timing), std::end(model.timing), s.timing);
  return s;
}

bool SetZoom(int zoom) {
  if (!ValidZoom(zoom)) return false;
  Notifications notes;
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  if (model.config.zoom == zoom) return true;
  model.config.zoom = zoom;
  if (ClampOrigin(model.config)) notes.Add(Event::Panned);
  notes.Add(Event::ModeChanged);
  return true;
}

void SetOrigin(int x, int y) {
  Notifications notes;
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  MoveOrigin(model.config, x, y, notes);
}

void OnCursorMoved(int x, int y) {
  Notifications notes;
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  Config& c = model.config;
  int visibleWidth = c.displayWidth / c.zoom, visibleHeight = c.displayHeight / c.zoom;
  int ox = c.originX, oy = c.originY;
  if (x < ox) ox = x;
  if (x >= ox + visibleWidth) ox = x - visibleWidth + 1;
  if (y < oy) oy = y;
  if (y >= oy + visibleHeight) oy = y - visibleHeight + 1;
  MoveOrigin(c, ox, oy, notes);
}

int AddListener(Listener listener) {
  std::lock_guard guard(TheModel().lock);
  int id = TheModel().nextListener++;
  TheModel().listeners[id] = std::move(listener);
  return id;
}

void RemoveListener(int id) {
  std::lock_guard guard(TheModel().lock);
  TheModel().listeners.erase(id);
}

void SetFaults(const Faults& faults) {
  std::lock_guard guard(TheModel().lock);
  TheModel().faults = faults;
}

Faults CurrentFaults() {
  std::lock_guard guard(TheModel().lock);
  return TheModel().faults;
}

void ClearFaults() { SetFaults(Faults{}); }

std::vector<LogEntry> DeviceLog() {
  std::lock_guard guard(TheModel().lock);
  return TheModel().log;
}

std::vector<LogEntry> EscapeLog() {
  std::vector<LogEntry> escapes;
  for (LogEntry& entry : DeviceLog())
    if (entry.kind == LogEntry::Escape) escapes.push_back(std::move(entry));
  return escapes;
}

void ClearDeviceLog() {
  std::lock_guard guard(TheModel().lock);
  TheModel().log.clear();
}

int OpenScreenDCs() {
  std::lock_guard guard(TheModel().lock);
  return TheModel().openDCs;
}

void SetGammaMode(GammaMode mode) {
  std::lock_guard guard(TheModel().lock);
  TheModel().gammaMode = mode;
}

std::vector<WORD> GammaRamp() {
  std::lock_guard guard(TheModel().lock);
  return std::vector<WORD>(std::begin(TheModel().ramp), std::end(TheModel().ramp));
}

// ---- Device side ----

void NoteGetDC(HWND window, HDC dc) {
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  if (dc) ++model.openDCs;
  model.log.push_back(LogEntry{LogEntry::GetDC, dc, window, 0, 0, {}, 0, 0, dc ? 1 : 0});
}

void NoteReleaseDC(HWND window, HDC dc, int result) {
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  if (result) --model.openDCs;
  model.log.push_back(LogEntry{LogEntry::ReleaseDC, dc, window, 0, 0, {}, 0, 0, result});
}

bool GetDCFaultActive() {
  std::lock_guard guard(TheModel().lock);
  return TheModel().faults.getDCFails;
}

bool DeviceGetGammaRamp(WORD* ramp) {
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  if (model.gammaMode == GammaMode::Refuses) return false;
  for (int i = 0; i < 768; ++i)
    ramp[i] = model.gammaMode == GammaMode::EightBit ? static_cast<WORD>(model.ramp[i] >> 8) : model.ramp[i];
  return true;
}

bool DeviceSetGammaRamp(const WORD* ramp) {
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  if (model.gammaMode == GammaMode::Refuses) return false;
  // An 8-bit DAC keeps the high byte of each entry.
  for (int i = 0; i < 768; ++i)
    model.ramp[i] = model.gammaMode == GammaMode::EightBit ? static_cast<WORD>(ramp[i] & 0xFF00) : ramp[i];
  return true;
}

LONG DeviceChangeMode(int desktopWidth, int desktopHeight, int bitsPerPixel, bool test) {
  Notifications notes;
  Model& model = TheModel();
  std::lock_guard guard(model.lock);
  Config& c = model.config;
  if (!ApplyFullModeChange(model, desktopWidth, desktopHeight, bitsPerPixel, true, notes)) return DISP_CHANGE_BADMODE;
  if (test) return DISP_CHANGE_SUCCESSFUL;
  if (model.faults.modeSetFails) return DISP_CHANGE_FAILED;
  // Windows 95 changes the colour depth only at the next start.
  if (bitsPerPixel != c.bitsPerPixel) return DISP_CHANGE_RESTART;
  ApplyFullModeChange(model, desktopWidth, desktopHeight, bitsPerPixel, false, notes);
  return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace host::adapter
