// A gtest fixture that boots a fresh station in its own temporary folder for
// each test and shuts it down afterwards.
#pragma once

#include <gtest/gtest.h>
#include <host/station.h>

#include <string>

namespace host::testing {

// A new empty folder under the system's temporary folder, removed by the destructor.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class StationTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Shuts the station down and boots it again on the same folder.
  void Reboot();
  // Reads a station file by its Windows path ("" when missing).
  std::string ReadStationFile(const std::string& windowsPath) const;
  void WriteStationFile(const std::string& windowsPath, const std::string& bytes) const;
  const std::string& root() const { return folder_.path(); }
  StationConfig config_;

 private:
  TempFolder folder_;
};

}  // namespace host::testing
