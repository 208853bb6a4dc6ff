// The Win32 registry calls as hosted programs see them.
#include <host/registry.h>
#include <host_testing/station_fixture.h>

#include <cstring>
#include <set>
#include <thread>

#include "registry_test_support.h"

using namespace registry_test;

namespace {

class RegistryApi : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    software_ = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test");
  }
  void TearDown() override {
    RegCloseKey(software_);
    StationTest::TearDown();
  }
  HKEY software_ = nullptr;
};

TEST_F(RegistryApi, CreateMakesIntermediateKeysAndTellsWhetherTheKeyIsNew) {
  HKEY key;
  DWORD disposition = 0;
  char className[] = "Settings";
  ASSERT_EQ(RegCreateKeyExA(software_, "A\\B\\C", 0, className, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExA(software_, "A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  char stored[32];
  DWORD size = sizeof stored;
  ASSERT_EQ(RegQueryInfoKeyA(key, stored, &size, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(stored, "Settings");
  EXPECT_EQ(size, 8u);
  RegCloseKey(key);
  // Only the last key gets the class.
  ASSERT_EQ(RegOpenKeyA(software_, "A\\B", &key), ERROR_SUCCESS);
  size = sizeof stored;
  RegQueryInfoKeyA(key, stored, &size, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_STREQ(stored, "");
  RegCloseKey(key);
}

TEST_F(RegistryApi, OpenAndCreateErrors) {
  RegCloseKey(Create(software_, "Present"));
  HKEY closed = Create(software_, "Closed");
  RegCloseKey(closed);
  struct Case {
    const char* what;
    HKEY parent;
    const char* path;
    LONG openError;
    LONG createError;
  } cases[] = {
      {"missing key", software_, "Missing", ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"missing parent", software_, "Missing\\Child", ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
      {"present key, other case", software_, "pRESENT", ERROR_SUCCESS, ERROR_SUCCESS},
      {"leading and trailing backslash", software_, "\\Present\\", ERROR_SUCCESS, ERROR_SUCCESS},
      {"empty name between backslashes", software_, "Present\\\\X", ERROR_BADKEY, ERROR_BADKEY},
      {"control character in a name", software_, "Bad\nName", ERROR_BADKEY, ERROR_BADKEY},
      {"closed handle", closed, "Present", ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
      {"made-up handle", reinterpret_cast<HKEY>(0x1234), "Present", ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
      {"no performance data on Windows 95", HKEY_PERFORMANCE_DATA, "", ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HKEY key = reinterpret_cast<HKEY>(1);
    LONG error = RegOpenKeyExA(c.parent, c.path, 0, KEY_READ, &key);
    EXPECT_EQ(error, c.openError);
    if (error == ERROR_SUCCESS) {
      RegCloseKey(key);
    } else {
      EXPECT_EQ(key, nullptr);
    }
    error = RegCreateKeyExA(c.parent, c.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    EXPECT_EQ(error, c.createError);
    if (error == ERROR_SUCCESS) RegCloseKey(key);
  }
  EXPECT_EQ(RegOpenKeyExA(software_, "Present", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExA(software_, "Present", 1, KEY_READ, &closed), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, EachOpenIsANewHandleAndClosedHandlesStayInvalid) {
  std::set<HKEY> handles;
  for (int i = 0; i < 3; ++i) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test", &key), ERROR_SUCCESS);
    handles.insert(key);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Set(key, "x", REG_BINARY, {}), ERROR_INVALID_HANDLE);
  }
  EXPECT_EQ(handles.size(), 3u) << "a handle was reused";
  // An empty subkey opens the same key through a handle of its own.
  HKEY again;
  ASSERT_EQ(RegOpenKeyA(software_, nullptr, &again), ERROR_SUCCESS);
  EXPECT_NE(again, software_);
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  EXPECT_EQ(Set(software_, "still open", REG_BINARY, {}), ERROR_SUCCESS);
}

TEST_F(RegistryApi, PredefinedHandlesCloseHarmlessly) {
  for (HKEY root :
       {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA}) {
    EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
    HKEY key = Create(root, "Probe");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(root, "Probe"), ERROR_SUCCESS);
  }
}

TEST_F(RegistryApi, HandleFromBeforeARebootIsRefused) {
  Reboot();
  EXPECT_EQ(Set(software_, "x", REG_BINARY, {}), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(software_), ERROR_INVALID_HANDLE);
  software_ = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test");
}

TEST_F(RegistryApi, ValuesComeBackExactlyAsWritten) {
  struct Case {
    const char* what;
    const char* name;
    DWORD type;
    Bytes data;
  } cases[] = {
      {"REG_SZ with its NUL", "WithNul", REG_SZ, ToBytes(std::string("text", 5))},
      {"REG_SZ without its NUL", "NoNul", REG_SZ, ToBytes("text")},
      {"empty REG_SZ without NUL", "Empty", REG_SZ, {}},
      {"REG_DWORD", "Number", REG_DWORD, {0x0a, 0, 0, 0}},
      {"REG_DWORD of 2 bytes", "Short", REG_DWORD, {1, 2}},
      {"binary with NULs", "Binary", REG_BINARY, {0, 0xff, 0, 0x7f}},
      {"REG_MULTI_SZ", "Multi", REG_MULTI_SZ, ToBytes(std::string("a\0b\0\0", 5))},
      {"made-up type", "Odd", 0x12345, {1}},
  };
  for (const Case& c : cases) ASSERT_EQ(Set(software_, c.name, c.type, c.data), ERROR_SUCCESS) << c.what;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Read read = Get(software_, c.name);
    EXPECT_EQ(read.error, ERROR_SUCCESS);
    EXPECT_EQ(read.type, c.type);
    EXPECT_EQ(read.data, c.data);
  }
}

TEST_F(RegistryApi, QueryValueSizesAndMoreData) {
  Bytes text = ToBytes(std::string("hello", 6));
  ASSERT_EQ(Set(software_, "Text", REG_SZ, text), ERROR_SUCCESS);
  struct Case {
    const char* what;
    bool withBuffer;
    DWORD sizeIn;
    LONG error;
    DWORD sizeOut;
    bool copied;
  } cases[] = {
      {"size only (no buffer)", false, 0, ERROR_SUCCESS, 6, false},
      {"exact buffer", true, 6, ERROR_SUCCESS, 6, true},
      {"larger buffer", true, 100, ERROR_SUCCESS, 6, true},
      {"one byte short", true, 5, ERROR_MORE_DATA, 6, false},
      {"zero-byte buffer", true, 0, ERROR_MORE_DATA, 6, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BYTE buffer[100];
    std::memset(buffer, 0xcc, sizeof buffer);
    DWORD type = 0, size = c.sizeIn;
    EXPECT_EQ(RegQueryValueExA(software_, "Text", nullptr, &type, c.withBuffer ? buffer : nullptr, &size), c.error);
    EXPECT_EQ(size, c.sizeOut);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::memcmp(buffer, text.data(), text.size()) == 0, c.copied);
  }
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(software_, "Text", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS) << "existence";
  BYTE buffer[8];
  EXPECT_EQ(RegQueryValueExA(software_, "Text", nullptr, &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
  DWORD reserved = 0, size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(software_, "Text", &reserved, &type, buffer, &size), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(software_, "Missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApi, DefaultValueIsTheEmptyNameOrNull) {
  EXPECT_EQ(Get(software_, nullptr).error, ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Set(software_, nullptr, REG_SZ, ToBytes(std::string("dflt", 5))), ERROR_SUCCESS);
  EXPECT_EQ(Get(software_, "").data, ToBytes(std::string("dflt", 5)));
  ASSERT_EQ(Set(software_, "", REG_SZ, ToBytes(std::string("new", 4))), ERROR_SUCCESS);
  EXPECT_EQ(Get(software_, nullptr).data, ToBytes(std::string("new", 4)));
  EXPECT_EQ(ValueNames(software_), std::vector<std::string>{""});
  EXPECT_EQ(RegDeleteValueA(software_, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(software_, ""), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApi, SetValueAAndQueryValueAWorkOnTheDefaultValueOfASubkey) {
  ASSERT_EQ(RegSetValueA(software_, "Sub\\Key", REG_SZ, "shown", 0), ERROR_SUCCESS);
  HKEY sub;
  ASSERT_EQ(RegOpenKeyA(software_, "Sub\\Key", &sub), ERROR_SUCCESS);
  EXPECT_EQ(Get(sub, "").data, ToBytes(std::string("shown", 6)));
  RegCloseKey(sub);

  char text[16];
  LONG size = sizeof text;
  ASSERT_EQ(RegQueryValueA(software_, "Sub\\Key", text, &size), ERROR_SUCCESS);
  EXPECT_STREQ(text, "shown");
  EXPECT_EQ(size, 6);
  size = 3;
  EXPECT_EQ(RegQueryValueA(software_, "Sub\\Key", text, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6);
  // No default value reads as "", a string stored without NUL gets one.
  size = sizeof text;
  ASSERT_EQ(RegQueryValueA(software_, "Sub", text, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1);
  ASSERT_EQ(Set(software_, "", REG_SZ, ToBytes("bare")), ERROR_SUCCESS);
  size = sizeof text;
  ASSERT_EQ(RegQueryValueA(software_, nullptr, text, &size), ERROR_SUCCESS);
  EXPECT_STREQ(text, "bare");
  EXPECT_EQ(size, 5);
  EXPECT_EQ(RegQueryValueA(software_, "Missing", text, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueA(software_, "Sub", REG_DWORD, "x", 0), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, NamesMatchWithoutCaseAndKeepTheirCase) {
  RegCloseKey(Create(software_, "MixedCase"));
  HKEY key = Create(software_, "MIXEDCASE");
  ASSERT_EQ(Set(key, "ValueName", REG_SZ, ToBytes("first")), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "Second", REG_SZ, ToBytes("2")), ERROR_SUCCESS);
  // Overwriting through another case keeps the stored name and its place.
  ASSERT_EQ(Set(key, "VALUENAME", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(software_), std::vector<std::string>{"MixedCase"});
  EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"ValueName", "Second"}));
  Read read = Get(key, "valuename");
  EXPECT_EQ(read.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(RegDeleteValueA(key, "sECOND"), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteKeyA(software_, "mixedcase"), ERROR_SUCCESS);
  EXPECT_TRUE(SubkeyNames(software_).empty());
}

TEST_F(RegistryApi, EnumerationFollowsCreationOrder) {
  for (const char* name : {"zeta", "Alpha", "mid"}) {
    RegCloseKey(Create(software_, name));
    ASSERT_EQ(Set(software_, name, REG_BINARY, {}), ERROR_SUCCESS);
  }
  ASSERT_EQ(RegDeleteKeyA(software_, "Alpha"), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueA(software_, "Alpha"), ERROR_SUCCESS);
  RegCloseKey(Create(software_, "alpha"));
  ASSERT_EQ(Set(software_, "alpha", REG_BINARY, {}), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(software_), (std::vector<std::string>{"zeta", "mid", "alpha"}));
  EXPECT_EQ(ValueNames(software_), (std::vector<std::string>{"zeta", "mid", "alpha"}));
  char name[16];
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyA(software_, 3, name, sizeof name), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumValueA(software_, 3, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApi, EnumerationMoreDataRules) {
  char className[] = "Cls";
  HKEY sub;
  ASSERT_EQ(RegCreateKeyExA(software_, "Name5", 0, className, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(sub);
  ASSERT_EQ(Set(software_, "Val5", REG_BINARY, {1, 2, 3}), ERROR_SUCCESS);

  struct Case {
    const char* what;
    DWORD nameRoom;
    DWORD classRoom;
    LONG error;
    DWORD nameOut;
  } keyCases[] = {
      {"room for name and NUL", 6, 4, ERROR_SUCCESS, 5},
      {"no room for the NUL", 5, 4, ERROR_MORE_DATA, 5},
      {"no room for the class NUL", 6, 3, ERROR_MORE_DATA, 6},
  };
  for (const Case& c : keyCases) {
    SCOPED_TRACE(c.what);
    char name[16], cls[16];
    DWORD nameSize = c.nameRoom, classSize = c.classRoom;
    FILETIME time{1, 1};
    EXPECT_EQ(RegEnumKeyExA(software_, 0, name, &nameSize, nullptr, cls, &classSize, &time), c.error);
    EXPECT_EQ(nameSize, c.nameOut);
    if (c.error == ERROR_SUCCESS) {
      EXPECT_STREQ(name, "Name5");
      EXPECT_STREQ(cls, "Cls");
      EXPECT_EQ(classSize, 3u);
      EXPECT_EQ(time.dwLowDateTime | time.dwHighDateTime, 0u) << "Windows 95 keeps no key times";
    }
  }
  char name[16];
  EXPECT_EQ(RegEnumKeyA(software_, 0, name, 5), ERROR_MORE_DATA);

  struct ValueCase {
    const char* what;
    DWORD nameRoom;
    DWORD dataRoom;
    LONG error;
    DWORD nameOut;
    DWORD dataOut;
  } valueCases[] = {
      {"everything fits", 5, 3, ERROR_SUCCESS, 4, 3},
      {"name too long", 4, 3, ERROR_MORE_DATA, 4, 3},
      {"data too long: name given, size needed", 5, 2, ERROR_MORE_DATA, 4, 3},
  };
  for (const ValueCase& c : valueCases) {
    SCOPED_TRACE(c.what);
    BYTE data[8];
    DWORD nameSize = c.nameRoom, dataSize = c.dataRoom, type = 0;
    EXPECT_EQ(RegEnumValueA(software_, 0, name, &nameSize, nullptr, &type, data, &dataSize), c.error);
    EXPECT_EQ(nameSize, c.nameOut);
    EXPECT_EQ(dataSize, c.dataOut);
  }
}

TEST_F(RegistryApi, QueryInfoKeyCountsAndLongest) {
  char className[] = "LongClass";
  HKEY sub;
  ASSERT_EQ(RegCreateKeyExA(software_, "Sub", 0, className, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_SUCCESS);
  RegCloseKey(sub);
  RegCloseKey(Create(software_, "LongerSub"));
  ASSERT_EQ(Set(software_, "v", REG_BINARY, Bytes(40)), ERROR_SUCCESS);
  ASSERT_EQ(Set(software_, "LongName", REG_SZ, ToBytes("x")), ERROR_SUCCESS);
  DWORD subkeys, maxSubkey, maxClass, values, maxValueName, maxValue, security = 7;
  ASSERT_EQ(RegQueryInfoKeyA(software_, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, &maxClass, &values,
                             &maxValueName, &maxValue, &security, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 2u);
  EXPECT_EQ(maxSubkey, 9u);
  EXPECT_EQ(maxClass, 9u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxValueName, 8u);
  EXPECT_EQ(maxValue, 40u);
  EXPECT_EQ(security, 0u);
}

TEST_F(RegistryApi, DeleteKeyTakesItsSubkeysWithIt) {
  HKEY child = Create(software_, "Tree\\Child\\Grandchild");
  ASSERT_EQ(Set(child, "v", REG_SZ, ToBytes("x")), ERROR_SUCCESS);
  HKEY tree;
  ASSERT_EQ(RegOpenKeyA(software_, "Tree", &tree), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(software_, "Tree"), ERROR_SUCCESS) << "Windows 95 deletes a key with subkeys";
  HKEY gone;
  EXPECT_EQ(RegOpenKeyA(software_, "Tree\\Child", &gone), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(software_, "Tree"), ERROR_FILE_NOT_FOUND);

  // Handles to the deleted key and to keys below it now fail, except for closing.
  for (HKEY stale : {tree, child}) {
    char name[16];
    DWORD size = sizeof name;
    HKEY key;
    EXPECT_EQ(Set(stale, "v", REG_SZ, ToBytes("y")), ERROR_KEY_DELETED);
    EXPECT_EQ(Get(stale, "v").error, ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumValueA(stale, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyA(stale, "New", &key), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyA(stale, nullptr, &key), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryInfoKeyA(stale, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_KEY_DELETED);
  }
  // A key created again under the old name is a new key: the old handle stays deleted.
  RegCloseKey(Create(software_, "Tree"));
  EXPECT_EQ(Set(tree, "v", REG_SZ, ToBytes("y")), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(tree), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
}

TEST_F(RegistryApi, DeleteKeyRefusals) {
  struct Case {
    const char* what;
    HKEY parent;
    const char* path;
    LONG error;
  } cases[] = {
      {"empty name", software_, "", ERROR_BADKEY},
      {"null name", software_, nullptr, ERROR_BADKEY},
      {"only a backslash", software_, "\\", ERROR_BADKEY},
      {"what HKEY_CLASSES_ROOT stands on", HKEY_LOCAL_MACHINE, "SOFTWARE", ERROR_ACCESS_DENIED},
      {"HKEY_CLASSES_ROOT itself", HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes", ERROR_ACCESS_DENIED},
      {"HKEY_CURRENT_USER itself", HKEY_USERS, ".DEFAULT", ERROR_ACCESS_DENIED},
      {"HKEY_CURRENT_CONFIG's parent", HKEY_LOCAL_MACHINE, "Config", ERROR_ACCESS_DENIED},
      {"missing key", software_, "Missing", ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) EXPECT_EQ(RegDeleteKeyA(c.parent, c.path), c.error) << c.what;
  HKEY key;
  EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, nullptr, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistryApi, AliasesShowTheSameKeys) {
  struct Case {
    HKEY alias;
    HKEY real;
    const char* realPath;
  } cases[] = {
      {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes"},
      {HKEY_CURRENT_USER, HKEY_USERS, ".Default"},
      {HKEY_CURRENT_CONFIG, HKEY_LOCAL_MACHINE, "Config\\0001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.realPath);
    HKEY throughAlias = Create(c.alias, "Shared");
    ASSERT_EQ(Set(throughAlias, "v", REG_SZ, ToBytes("seen")), ERROR_SUCCESS);
    HKEY throughReal;
    ASSERT_EQ(RegOpenKeyA(c.real, (std::string(c.realPath) + "\\Shared").c_str(), &throughReal), ERROR_SUCCESS);
    EXPECT_EQ(Get(throughReal, "v").data, ToBytes("seen"));
    ASSERT_EQ(Set(throughReal, "w", REG_SZ, ToBytes("back")), ERROR_SUCCESS);
    EXPECT_EQ(Get(throughAlias, "w").data, ToBytes("back"));
    RegCloseKey(throughReal);
    RegCloseKey(throughAlias);
  }
}

TEST_F(RegistryApi, InjectedFaultsHitOnlyTheirKeyAndValue) {
  using host::registry::Op;
  RegCloseKey(Create(software_, "Locked"));
  host::registry::InjectFault(Op::Open, "HKLM\\software\\test\\locked", ERROR_ACCESS_DENIED);
  host::registry::InjectFault(Op::Create, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\NoCreate", ERROR_CANTWRITE);
  host::registry::InjectFault(Op::Set, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test", "Guarded", ERROR_ACCESS_DENIED);
  host::registry::InjectFault(Op::Set, "HKEY_CURRENT_USER\\Frozen", ERROR_WRITE_FAULT);
  HKEY frozen = Create(HKEY_USERS, ".Default\\Frozen");

  HKEY key;
  EXPECT_EQ(RegOpenKeyExA(software_, "Locked", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test\\LOCKED", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyA(software_, "NoCreate", &key), ERROR_CANTWRITE);
  EXPECT_EQ(RegOpenKeyA(software_, "NoCreate", &key), ERROR_FILE_NOT_FOUND) << "nothing was created";
  EXPECT_EQ(RegSetValueA(software_, "NoCreate", REG_SZ, "x", 0), ERROR_CANTWRITE);
  EXPECT_EQ(Set(software_, "guarded", REG_SZ, ToBytes("x")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Get(software_, "Guarded").error, ERROR_FILE_NOT_FOUND) << "nothing was set";
  EXPECT_EQ(Set(frozen, "any", REG_SZ, ToBytes("x")), ERROR_WRITE_FAULT);
  EXPECT_EQ(Set(frozen, "", REG_SZ, ToBytes("x")), ERROR_WRITE_FAULT);

  // Neighbours are untouched.
  EXPECT_EQ(Set(software_, "Other", REG_SZ, ToBytes("x")), ERROR_SUCCESS);
  HKEY locked = Create(software_, "Locked");  // creating is not opening
  RegCloseKey(locked);
  RegCloseKey(Create(software_, "Locked\\Child"));

  host::registry::ClearFaults();
  ASSERT_EQ(RegOpenKeyExA(software_, "Locked", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(Set(software_, "Guarded", REG_SZ, ToBytes("x")), ERROR_SUCCESS);
  EXPECT_EQ(Set(frozen, "any", REG_SZ, ToBytes("x")), ERROR_SUCCESS);
  RegCloseKey(frozen);
}

TEST_F(RegistryApi, BadArguments) {
  EXPECT_EQ(RegSetValueExA(software_, "v", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(software_, "v", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(Set(software_, "tab\tin name", REG_SZ, ToBytes("x")), ERROR_INVALID_PARAMETER);
  char name[8];
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumValueA(software_, 0, nullptr, &size, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegEnumKeyA(software_, 0, nullptr, 8), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegFlushKey(reinterpret_cast<HKEY>(0x99)), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegFlushKey(software_), ERROR_SUCCESS);
}

TEST_F(RegistryApi, ThreadsChangeTheRegistryTogether) {
  constexpr int kThreads = 4, kValues = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      std::string path = "SOFTWARE\\Test\\Thread" + std::to_string(t);
      HKEY key = Create(HKEY_LOCAL_MACHINE, path.c_str());
      for (int i = 0; i < kValues; ++i) Set(key, ("v" + std::to_string(i)).c_str(), REG_DWORD, {BYTE(i), 0, 0, 0});
      RegCloseKey(key);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(SubkeyNames(software_).size(), static_cast<std::size_t>(kThreads));
  for (int t = 0; t < kThreads; ++t) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(software_, ("Thread" + std::to_string(t)).c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key).size(), static_cast<std::size_t>(kValues));
    RegCloseKey(key);
  }
}

}  // namespace
