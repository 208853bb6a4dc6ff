#include "fuzz_station.h"

#include <host/station.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>

namespace monitor_db_fuzz {
namespace {

std::string g_root;

// The station is not shut down at exit: the host's own statics may already
// be gone by then. Its folder is all that needs to go.
void RemoveStation() {
  std::error_code ignored;
  if (!g_root.empty()) std::filesystem::remove_all(g_root, ignored);
}

}  // namespace

void EnsureStation() {
  if (host::IsStationBooted()) return;
  char pattern[] = "/tmp/ovx-fuzz-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  g_root = pattern;
  host::StationConfig config;
  config.root = g_root;
  host::BootStation(config);
  CreateDirectoryA("C:\\FUZZ", nullptr);
  std::atexit(RemoveStation);
}

bool PutStationFile(const char* windowsPath, const uint8_t* data, size_t size) {
  HANDLE file = CreateFileA(windowsPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = size == 0 || (WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size);
  CloseHandle(file);
  return ok;
}

std::string GetStationFile(const char* windowsPath) {
  std::string bytes;
  HANDLE file = CreateFileA(windowsPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) bytes.clear();
  CloseHandle(file);
  return bytes;
}

}  // namespace monitor_db_fuzz
