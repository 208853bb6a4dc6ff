// The registry's keys and values in memory. Subkeys and values keep their
// creation order (enumeration and the file follow it); names are matched
// without regard to ASCII case and keep the case they were created with.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host::registry {

bool NamesEqual(std::string_view a, std::string_view b);

// Key and value names must be writable in a REGEDIT4 line: no control characters.
bool IsWritableName(std::string_view name);

struct Value {
  std::string name;  // "" is the default value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  std::string name;  // a root's name is its full root name, "HKEY_LOCAL_MACHINE"
  std::string className;
  Key* parent = nullptr;  // null for a root and for a deleted key
  bool deleted = false;
  std::vector<std::shared_ptr<Key>> subkeys;
  std::vector<Value> values;

  std::shared_ptr<Key> FindSubkey(std::string_view subkeyName) const;
  // The existing subkey of that name, or a new one appended last.
  std::shared_ptr<Key> FindOrAddSubkey(std::string_view subkeyName, bool* created);
  Value* FindValue(std::string_view valueName);
  // Replaces the data of an existing value in place (its position and the
  // case of its name stay) or appends a new value.
  void SetValue(std::string_view valueName, DWORD type, std::vector<BYTE> data);
  bool RemoveValue(std::string_view valueName);
  // Detaches the subkey and marks it and everything below it deleted.
  bool RemoveSubkey(std::string_view subkeyName);
  // "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes": names up to the root.
  std::string Path() const;
  bool IsAncestorOrSelfOf(const Key* other) const;
};

void MarkDeleted(Key& key);

// Splits a subkey path at backslashes. Leading and trailing backslashes are
// ignored (Windows 95 accepts "\\Software"); an empty name between two
// backslashes or a control character gives ERROR_BADKEY.
LONG SplitKeyPath(std::string_view path, std::vector<std::string_view>& names);

}  // namespace host::registry
