#include "registry/registry_tree.h"

#include <algorithm>

namespace host::registry {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool IsWritableName(std::string_view name) {
  return std::none_of(name.begin(), name.end(), [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

std::shared_ptr<Key> Key::FindSubkey(std::string_view subkeyName) const {
  for (auto& subkey : subkeys)
    if (NamesEqual(subkey->name, subkeyName)) return subkey;
  return nullptr;
}

std::shared_ptr<Key> Key::FindOrAddSubkey(std::string_view subkeyName, bool* created) {
  if (auto existing = FindSubkey(subkeyName)) {
    if (created) *created = false;
    return existing;
  }
  auto subkey = std::make_shared<Key>();
  subkey->name = subkeyName;
  subkey->parent = this;
  subkeys.push_back(subkey);
  if (created) *created = true;
  return subkey;
}

Value* Key::FindValue(std::string_view valueName) {
  for (auto& value : values)
    if (NamesEqual(value.name, valueName)) return &value;
  return nullptr;
}

void Key::SetValue(std::string_view valueName, DWORD type, std::vector<BYTE> data) {
  Value* value = FindValue(valueName);
  if (!value) {
    values.push_back(Value{std::string(valueName), type, {}});
    value = &values.back();
  }
  value->type = type;
  value->data = std::move(data);
}

bool Key::RemoveValue(std::string_view valueName) {
  auto found =
      std::find_if(values.begin(), values.end(), [&](const Value& value) { return NamesEqual(value.name, valueName); });
  if (found == values.end()) return false;
  values.erase(found);
  return true;
}

bool Key::RemoveSubkey(std::string_view subkeyName) {
  auto found = std::find_if(subkeys.begin(), subkeys.end(),
                            [&](const std::shared_ptr<Key>& subkey) { return NamesEqual(subkey->name, subkeyName); });
  if (found == subkeys.end()) return false;
  std::shared_ptr<Key> removed = *found;
  subkeys.erase(found);
  MarkDeleted(*removed);
  return true;
}

void MarkDeleted(Key& key) {
  key.deleted = true;
  key.parent = nullptr;
  // Open handles may still hold subkeys: each learns it was deleted.
  for (auto& subkey : key.subkeys) MarkDeleted(*subkey);
  key.subkeys.clear();
  key.values.clear();
}

std::string Key::Path() const {
  std::string path = name;
  for (const Key* up = parent; up; up = up->parent) path = up->name + "\\" + path;
  return path;
}

bool Key::IsAncestorOrSelfOf(const Key* other) const {
  for (; other; other = other->parent)
    if (other == this) return true;
  return false;
}

LONG SplitKeyPath(std::string_view path, std::vector<std::string_view>& names) {
  names.clear();
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  while (!path.empty()) {
    std::size_t end = path.find('\\');
    std::string_view name = path.substr(0, end);
    if (name.empty() || !IsWritableName(name)) return ERROR_BADKEY;
    names.push_back(name);
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
  return ERROR_SUCCESS;
}

}  // namespace host::registry
