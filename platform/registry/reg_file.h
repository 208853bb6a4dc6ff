// The registry's file: REGEDIT4 text, as regedit exports it.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Orvane]
//   ;Class="text"                      (only when the key has a class)
//   @="default value"
//   "Text"="with \\ and \" escaped"
//   "Count"=dword:0000000a
//   "Bytes"=hex:00,ff,\              (long lists go on in the next line)
//     10
//   "Odd"=hex(2):25,00
//
// A REG_SZ is written as text only when it is one NUL-terminated string of
// printable bytes; a REG_DWORD as dword: only when it has exactly 4 bytes;
// everything else as a hex list, so every value reads back byte for byte.
// Key classes have no place in REGEDIT4: they go in a comment line that other
// readers skip. Lines end with LF; the reader accepts CRLF too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_tree.h"

namespace host::registry {

inline constexpr char kRegFileHeader[] = "REGEDIT4\n\n";

// Appends the section of `key` (named `path`) and those of its subkeys in
// creation order, parents before children.
void AppendKeySections(std::string& out, const std::string& path, const Key& key);

// `"Name"=...` (or `@=...`) with hex lists wrapped at 80 columns.
std::string FormatValueLine(const Value& value);

struct ParsedValue {
  std::string name;
  bool remove = false;  // "Name"=- asks to delete the value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct ParsedSection {
  std::string path;
  bool remove = false;  // [-path] asks to delete the key
  bool hasClass = false;
  std::string className;
  std::vector<ParsedValue> values;
  int line = 0;
};

struct ParsedFile {
  std::vector<ParsedSection> sections;
  // "line 12: ..." for each line that did not parse; those lines are skipped.
  std::vector<std::string> problems;
};

ParsedFile ParseRegFile(std::string_view text);

}  // namespace host::registry
