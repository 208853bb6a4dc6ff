// The configuration manager's device list under HKEY_DYN_DATA, made at boot
// from the monitors the registry file holds.
#include <host_testing/station_fixture.h>

#include <fstream>

#include "registry_test_support.h"

using namespace registry_test;

namespace {

class ConfigManager : public host::testing::StationTest {
 protected:
  void BootWithRegistry(const std::string& text) {
    host::ShutdownStation();
    std::ofstream(root() + "/registry.reg", std::ios::binary) << "REGEDIT4\r\n\r\n" << text;
    host::BootStation(config_);
  }
  // Each entry as "name=HardWareKey".
  static std::vector<std::string> Entries() {
    std::vector<std::string> entries;
    HKEY list = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum", 0, KEY_READ, &list), ERROR_SUCCESS);
    for (const std::string& name : SubkeyNames(list)) {
      HKEY entry = nullptr;
      RegOpenKeyExA(list, name.c_str(), 0, KEY_READ, &entry);
      Read path = Get(entry, "HardWareKey");
      EXPECT_EQ(path.type, static_cast<DWORD>(REG_SZ));
      EXPECT_TRUE(!path.data.empty() && path.data.back() == 0) << "the length counts the NUL";
      for (const char* flag : {"Problem", "Status"}) {
        Read value = Get(entry, flag);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_BINARY)) << flag;
        EXPECT_EQ(value.data, (Bytes{0, 0, 0, 0})) << flag;
      }
      entries.push_back(name + "=" + reinterpret_cast<const char*>(path.data.data()));
      RegCloseKey(entry);
    }
    RegCloseKey(list);
    return entries;
  }
};

TEST_F(ConfigManager, BootListsEveryMonitorInstanceInEnumerationOrder) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> entries;
  } cases[] = {
      {"no monitor", "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0C01\\0000]\r\n\r\n", {}},
      {"a monitor device without instances", "[HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\DEFAULT_MONITOR]\r\n\r\n", {}},
      {"two monitors",
       "[HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\DEFAULT_MONITOR\\0001]\r\n\"Driver\"=\"MONITOR\\\\0000\"\r\n\r\n"
       "[HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\ORV0417\\0000]\r\n\"HardwareID\"=\"MONITOR\\\\ORV0417\"\r\n\r\n"
       "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0C01\\0000]\r\n\r\n",
       {"00000001=MONITOR\\DEFAULT_MONITOR\\0001", "00000002=MONITOR\\ORV0417\\0000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BootWithRegistry(c.file);
    EXPECT_EQ(Entries(), c.entries);
  }
}

TEST_F(ConfigManager, EachBootMakesTheListAfreshAndNoneOfItIsSaved) {
  BootWithRegistry("[HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\DEFAULT_MONITOR\\0001]\r\n\r\n");
  HKEY stale = Create(HKEY_DYN_DATA, "Config Manager\\Enum\\00000002");
  RegCloseKey(stale);
  Reboot();
  EXPECT_EQ(Entries(), std::vector<std::string>{"00000001=MONITOR\\DEFAULT_MONITOR\\0001"});
  std::ifstream in(root() + "/registry.reg", std::ios::binary);
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(file.find("Config Manager"), std::string::npos);
}

}  // namespace
