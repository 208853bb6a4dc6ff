// `ovx station init DIR --adapter NAME|FILE`: each preset is applied and kept
// as the station's adapter.ini; an unknown name is refused and says why.
#include <gtest/gtest.h>
#include <host/adapter.h>
#include <host/station.h>

#include <filesystem>

#include "station_layout.h"

namespace {

namespace fs = std::filesystem;

class StationCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ovx-station-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    if (host::IsStationBooted()) host::ShutdownStation();
    fs::remove_all(root_);
  }
  // Boots the laid-out station again and answers its adapter as configured.
  host::adapter::Config BootedAdapter() {
    host::StationConfig config;
    config.root = root_;
    host::BootStation(config);
    host::adapter::Config adapter = host::adapter::CurrentConfig();
    host::ShutdownStation();
    return adapter;
  }
  std::string root_;
};

TEST_F(StationCommand, EachPresetIsKeptAsTheStationsAdapter) {
  for (const std::string& name : host::adapter::PresetNames()) {
    SCOPED_TRACE(name);
    fs::remove_all(root_);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(ovx::InitStationCommand(root_, name), 0);
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("adapter: " + name), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(fs::path(root_) / "adapter.ini"));
    host::adapter::Config expected = *host::adapter::Preset(name);
    host::adapter::Config booted = BootedAdapter();
    EXPECT_EQ(booted.desktopWidth, expected.desktopWidth);
    EXPECT_EQ(booted.displayWidth, expected.displayWidth);
    EXPECT_EQ(booted.zoom, expected.zoom);
    EXPECT_EQ(booted.version, expected.version);
    EXPECT_EQ(booted.onTheFlyDepth, expected.onTheFlyDepth);
    EXPECT_EQ(booted.boards.size(), expected.boards.size());
    EXPECT_EQ(booted.monitorDeviceKey, expected.monitorDeviceKey);
  }
}

TEST_F(StationCommand, AnAdapterFileIsRead) {
  std::string file = root_ + "-adapter.ini";
  host::adapter::Config written;
  written.desktopWidth = 1280;
  written.desktopHeight = 1024;
  ASSERT_TRUE(host::adapter::WriteConfigFile(file, written));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(ovx::InitStationCommand(root_, file), 0);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(BootedAdapter().desktopWidth, 1280);
  fs::remove(file);
}

TEST_F(StationCommand, AnUnknownAdapterIsRefusedAndNamed) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ovx::InitStationCommand(root_, "no-such-board"), 1);
  std::string err = ::testing::internal::GetCapturedStderr();
  ::testing::internal::GetCapturedStdout();
  EXPECT_NE(err.find("no adapter preset or file named \"no-such-board\""), std::string::npos) << err;
  EXPECT_NE(err.find("panning"), std::string::npos) << "the presets are listed: " << err;
  EXPECT_FALSE(fs::exists(fs::path(root_) / "adapter.ini"));
  EXPECT_EQ(BootedAdapter().desktopWidth, host::adapter::Config{}.desktopWidth) << "the default adapter stays";
}

}  // namespace
