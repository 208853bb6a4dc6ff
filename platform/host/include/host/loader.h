// Control API of the module loader, for tests of modules' callers.
#pragma once

#include <string>

namespace host {

// GetProcAddress finds no export `procName` (decorated or bare) in the module
// whose file name is `moduleFile` (no folder, any letter case), as if its
// linker had left it out. Lasts until ClearHiddenExports or the next boot.
void HideExport(const std::string& moduleFile, const std::string& procName);
void ClearHiddenExports();

}  // namespace host
