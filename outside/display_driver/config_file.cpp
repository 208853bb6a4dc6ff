// Adapter files and named presets: which adapter a station has.
#include <host/station.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "adapter_model.h"

namespace host::adapter {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

// A whole unsigned number, decimal or 0x hexadecimal, at most `limit`.
bool ParseNumber(const std::string& text, unsigned long limit, unsigned long& value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long parsed = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || parsed > limit) return false;
  value = parsed;
  return true;
}

bool ParseInt(const std::string& text, int& value) {
  unsigned long parsed;
  if (!ParseNumber(text, 0x7FFFFFFF, parsed)) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ParsePair(const std::string& text, char separator, int& a, int& b) {
  size_t at = text.find(separator);
  return at != std::string::npos && ParseInt(Trim(text.substr(0, at)), a) && ParseInt(Trim(text.substr(at + 1)), b);
}

bool ParseFlag(const std::string& text, bool& value) {
  if (text != "0" && text != "1") return false;
  value = text == "1";
  return true;
}

bool SetModeKey(Config& c, const std::string& key, const std::string& value) {
  unsigned long number = 0;
  if (key == "display") return ParsePair(value, 'x', c.displayWidth, c.displayHeight);
  if (key == "desktop") return ParsePair(value, 'x', c.desktopWidth, c.desktopHeight);
  if (key == "origin") return ParsePair(value, ',', c.originX, c.originY);
  if (key == "bits_per_pixel") return ParseInt(value, c.bitsPerPixel);
  if (key == "offscreen_usage") return ParseInt(value, c.offscreenUsage);
  if (key == "zoom") return ParseInt(value, c.zoom);
  if (key == "font_dpi") return ParseInt(value, c.fontDpi);
  if (key == "video_memory") return ParseNumber(value, 0xFFFFFFFF, number) && (c.videoMemory = number, true);
  if (key == "version") return ParseNumber(value, 0xFFFFFFFF, number) && (c.version = number, true);
  if (key == "timing_source") return ParseNumber(value, 2, number) && (c.timingSource = number, true);
  if (key == "on_the_fly_depth") return ParseFlag(value, c.onTheFlyDepth);
  if (key == "monitor_ddc") return ParseFlag(value, c.monitorAnswersDdc);
  if (key == "mode_suits_pnp_monitor") return ParseFlag(value, c.modeSuitsPnpMonitor);
  if (key == "monitor_device_key") return c.monitorDeviceKey = value, true;
  return false;
}

bool SetBoardKey(Board& b, const std::string& key, const std::string& value) {
  unsigned long number = 0;
  if (key == "flags") return ParseNumber(value, 0xFFFFFFFF, number) && (b.flags = number, true);
  if (key == "device_id") return ParseNumber(value, 0xFFFF, number) && (b.deviceId = number, true);
  if (key == "board_id") return ParseNumber(value, 0xFFFF, number) && (b.boardId = number, true);
  if (key == "max_pixel_clock_mhz") return ParseNumber(value, 0xFFFF, number) && (b.maxPixelClockMHz = number, true);
  if (key == "name") return b.name = value, true;
  return false;
}

std::string Hex(unsigned long value) {
  std::ostringstream text;
  text << "0x" << std::hex << std::uppercase << value;
  return text.str();
}

}  // namespace

std::vector<std::string> PresetNames() {
  return {"default", "panning", "zoomed", "two-boards", "pnp-monitor", "exact-version", "old-driver"};
}

std::optional<Config> Preset(const std::string& name) {
  Config c;
  if (name == "default") return c;
  if (name == "panning") {
    c.desktopWidth = 1600;
    c.desktopHeight = 1200;
    return c;
  }
  if (name == "zoomed") {
    c.displayWidth = c.desktopWidth = 1280;
    c.displayHeight = c.desktopHeight = 1024;
    c.zoom = 2;
    return c;
  }
  if (name == "two-boards") {
    c.boards = {Board{0, 0x519, 0x0201, 135, "Orvane OVX 2000"}, Board{}};
    return c;
  }
  if (name == "pnp-monitor") {
    c.monitorDeviceKey = "Enum\\MONITOR\\ORV0417\\0001";
    c.monitorAnswersDdc = true;
    return c;
  }
  if (name == "exact-version") {
    c.version = 0x30008;
    c.onTheFlyDepth = false;
    return c;
  }
  if (name == "old-driver") {
    c.version = 0x30007;
    c.onTheFlyDepth = false;
    return c;
  }
  return std::nullopt;
}

bool ReadConfigFile(const std::string& hostPath, Config& config, std::string* error) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot read " + hostPath;
    return false;
  }
  Config c;
  bool sawBoard = false;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    auto fail = [&](const std::string& why) {
      if (error) *error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line == "[board]") {
      if (!sawBoard) c.boards.clear();
      sawBoard = true;
      c.boards.emplace_back();
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) return fail("expected \"key = value\" or \"[board]\"");
    std::string key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
    bool ok = sawBoard ? SetBoardKey(c.boards.back(), key, value) : SetModeKey(c, key, value);
    if (!ok) return fail("unknown key or bad value: " + key + " = " + value);
  }
  config = c;
  return true;
}

bool WriteConfigFile(const std::string& hostPath, const Config& c) {
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  out << "# The station's OVX adapter\n"
      << "display = " << c.displayWidth << "x" << c.displayHeight << "\n"
      << "desktop = " << c.desktopWidth << "x" << c.desktopHeight << "\n"
      << "bits_per_pixel = " << c.bitsPerPixel << "\n"
      << "offscreen_usage = " << c.offscreenUsage << "\n"
      << "zoom = " << c.zoom << "\n"
      << "font_dpi = " << c.fontDpi << "\n"
      << "origin = " << c.originX << "," << c.originY << "\n"
      << "video_memory = " << c.videoMemory << "\n"
      << "on_the_fly_depth = " << (c.onTheFlyDepth ? 1 : 0) << "\n"
      << "version = " << Hex(c.version) << "\n"
      << "timing_source = " << c.timingSource << "\n"
      << "monitor_device_key = " << c.monitorDeviceKey << "\n"
      << "monitor_ddc = " << (c.monitorAnswersDdc ? 1 : 0) << "\n"
      << "mode_suits_pnp_monitor = " << (c.modeSuitsPnpMonitor ? 1 : 0) << "\n";
  for (const Board& b : c.boards)
    out << "\n[board]\n"
        << "flags = " << Hex(b.flags) << "\n"
        << "device_id = " << Hex(b.deviceId) << "\n"
        << "board_id = " << Hex(b.boardId) << "\n"
        << "max_pixel_clock_mhz = " << b.maxPixelClockMHz << "\n"
        << "name = " << b.name << "\n";
  out.flush();
  return static_cast<bool>(out);
}

std::string StationConfigPath() {
  return (std::filesystem::path(CurrentStationConfig().root) / "adapter.ini").string();
}

bool UseConfig(const std::string& presetOrFile, std::string* error) {
  Config config;
  std::error_code missing;
  if (auto preset = Preset(presetOrFile)) {
    config = *preset;
  } else if (!std::filesystem::exists(presetOrFile, missing)) {
    if (error) {
      *error = "no adapter preset or file named \"" + presetOrFile + "\" (presets:";
      for (const std::string& name : PresetNames()) *error += " " + name;
      *error += ")";
    }
    return false;
  } else if (!ReadConfigFile(presetOrFile, config, error)) {
    return false;
  }
  if (!Configure(config, error)) return false;
  if (!WriteConfigFile(StationConfigPath(), config)) {
    if (error) *error = "cannot write " + StationConfigPath();
    return false;
  }
  return true;
}

}  // namespace host::adapter
