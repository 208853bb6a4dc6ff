// The station's registry: its keys, the open HKEYs, injected faults and the
// file it persists to. Everything below needs the registry lock held.
#pragma once

#include <host/registry.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_tree.h"

namespace host::registry {

std::unique_lock<std::mutex> LockRegistry();

// The key behind a predefined or opened HKEY. ERROR_INVALID_HANDLE for an
// unknown or closed handle (or no station), ERROR_KEY_DELETED for a handle
// whose key was deleted.
LONG ResolveKey(HKEY handle, std::shared_ptr<Key>& key);
// A new handle: handles are never reused within an OS process.
HKEY AddKeyHandle(std::shared_ptr<Key> key);
// Predefined handles close harmlessly.
LONG CloseKeyHandle(HKEY handle);

// "HKEY_LOCAL_MACHINE\\SOFTWARE\\X": where `names` lead from `key`.
std::string TargetPath(const Key& key, const std::vector<std::string_view>& names);
// The injected error for the operation, ERROR_SUCCESS when none. `valueName`
// is null for keys.
LONG InjectedFault(Op op, const std::string& keyPath, const std::string* valueName);

// Roots and the keys behind HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and
// HKEY_CURRENT_CONFIG (and their parents) cannot be deleted.
bool IsProtectedKey(const Key& key);

// Records a change and writes the file (atomically, not yet forced to the disk).
void SaveAfterChange();
// Writes what a failed save left and forces the file to the disk; ERROR_CANTWRITE when it cannot.
LONG SaveNow();

}  // namespace host::registry
