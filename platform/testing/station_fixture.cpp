#include <host/user.h>
#include <host_testing/station_fixture.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace host::testing {
namespace {

// A modal loop that found nothing to do (no scripted step, no timer) ended on its own: the test missed a
// step. A test that provokes one on purpose clears the records (host::user::ClearRecords) after checking.
void FailOnStuckLoops() {
  if (!IsStationBooted()) return;
  for (const std::string& loop : host::user::StuckLoops()) ADD_FAILURE() << "modal loop left stuck: " << loop;
}

}  // namespace

TempFolder::TempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/ovx-station-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void StationTest::SetUp() {
  config_.root = folder_.path();
  BootStation(config_);
}

void StationTest::TearDown() {
  FailOnStuckLoops();
  if (IsStationBooted()) ShutdownStation();
}

void StationTest::Reboot() {
  FailOnStuckLoops();
  ShutdownStation();
  BootStation(config_);
}

std::string StationTest::ReadStationFile(const std::string& windowsPath) const {
  std::ifstream in(HostPath(windowsPath), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void StationTest::WriteStationFile(const std::string& windowsPath, const std::string& bytes) const {
  std::string hostPath = HostPath(windowsPath);
  std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
  std::ofstream(hostPath, std::ios::binary) << bytes;
}

}  // namespace host::testing
