// The resource-script compiler: a preprocessed Win32 resource script (with
// the preprocessor's line markers) in, each resource's Win32 binary form out,
// and a C++ source that defines the module's resource table from them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace rc {

struct Resource {
  std::string typeName;  // upper case; empty when typeId is the type
  uint16_t typeId = 0;
  std::string name;  // upper case; empty when nameId is the name
  uint16_t nameId = 0;
  uint16_t language = 0;
  std::vector<uint8_t> data;
};

struct Script {
  std::vector<Resource> resources;
  std::vector<std::string> dependencies;  // every file read: included headers, bitmaps, icons
};

// A fault in the script, at a file and line of the original sources.
class CompileError : public std::runtime_error {
 public:
  CompileError(std::string file, int line, const std::string& message)
      : std::runtime_error(file + ":" + std::to_string(line) + ": error: " + message),
        file_(std::move(file)),
        line_(line) {}
  const std::string& file() const { return file_; }
  int line() const { return line_; }

 private:
  std::string file_;
  int line_;
};

// `scriptPath` names the script when the text carries no line markers; files
// named by BITMAP, ICON and CURSOR are looked for beside the file naming them,
// then in `searchDirs`.
Script Compile(const std::string& preprocessed, const std::string& scriptPath,
               const std::vector<std::string>& searchDirs);

// The C++ source defining `ovx_module_resources` (platform/kernel/resource_table.h).
std::string EmitTableSource(const Script& script, const std::string& scriptPath);

// Windows-1252, the scripts' character set, to UTF-16.
std::u16string WidenAnsi(const std::string& text);

}  // namespace rc
