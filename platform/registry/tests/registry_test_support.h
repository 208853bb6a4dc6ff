// Small helpers shared by the registry tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace registry_test {

using Bytes = std::vector<BYTE>;

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Creates the key (and what leads to it); fails the test when it cannot.
inline HKEY Create(HKEY parent, const char* path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS)
      << path;
  return key;
}

inline LONG Set(HKEY key, const char* name, DWORD type, const Bytes& data) {
  return RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

struct Read {
  LONG error = ERROR_SUCCESS;
  DWORD type = 0;
  Bytes data;
};

inline Read Get(HKEY key, const char* name) {
  Read read;
  DWORD size = 0;
  read.error = RegQueryValueExA(key, name, nullptr, &read.type, nullptr, &size);
  if (read.error != ERROR_SUCCESS) return read;
  read.data.resize(size);
  read.error = RegQueryValueExA(key, name, nullptr, &read.type, read.data.data(), &size);
  read.data.resize(size);
  return read;
}

inline std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[256];
  for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
  return names;
}

inline std::vector<std::string> ValueNames(HKEY key) {
  std::vector<std::string> names;
  char name[256];
  DWORD size = sizeof name;
  for (DWORD i = 0; RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i) {
    names.push_back(name);
    size = sizeof name;
  }
  return names;
}

}  // namespace registry_test
