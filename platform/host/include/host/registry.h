// Control API of the station's registry: fault injection, a simulated crash
// during a save, and a REGEDIT4 dump of a subtree (for tests and `ovx`).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace host::registry {

// The calls a fault can make fail. Each Win32 call that opens, creates or
// sets passes through one of these: RegOpenKeyA, RegQueryValueA and
// RegDeleteKeyA open; RegCreateKeyA and RegSetValueA create; RegSetValueA
// also sets.
enum class Op { Open, Create, Set };

// Makes `op` fail with `error` on the key at `keyPath` (e.g.
// "HKEY_LOCAL_MACHINE\\Software\\X"; root abbreviations such as HKLM and the
// aliases HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_CURRENT_CONFIG work;
// names match without regard to case). Faults last until ClearFaults() or the
// next boot.
void InjectFault(Op op, const std::string& keyPath, LONG error);
// As above, for Op::Set on one value only ("" is the default value).
void InjectFault(Op op, const std::string& keyPath, const std::string& valueName, LONG error);
void ClearFaults();

// The next save writes only the first `bytesWritten` bytes of the new file
// and stops as if the station died there: the old registry.reg stays, and no
// further save happens until the station boots again (shutdown skips it).
void InjectSaveCrash(std::size_t bytesWritten);

// REGEDIT4 text of the key at `keyPath` and its subtree, named as asked
// (a dump of HKEY_CURRENT_USER shows [HKEY_CURRENT_USER\...] sections);
// "" for a key that does not exist. An empty path dumps what the registry file holds.
std::string Dump(const std::string& keyPath);

// Host path of the station's registry file.
std::string RegistryFilePath();

// Problems met since boot: damage found while loading the file, saves that
// failed. Each is also written to stderr.
std::vector<std::string> Diagnostics();

}  // namespace host::registry
