// ovx_rc <preprocessed script> <script.rc> <output.cpp> [--depfile <file>] [-I <dir>]...
//
// The build runs the C preprocessor over the script first (RC_INVOKED
// defined) and hands its output here with the original script's name; the
// output is written only when the script compiles, so a broken script never
// leaves a stale table behind.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "rc_compiler.h"

namespace {

bool WriteWhole(const std::string& path, const std::string& text) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!(out << text)) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string DepfilePath(const std::string& path) {
  std::string escaped;
  for (char c : path) {
    if (c == ' ' || c == '#') escaped += '\\';
    if (c == '$') escaped += '$';
    escaped += c;
  }
  return escaped;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> positional, searchDirs;
  std::string depfile;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--depfile" && i + 1 < argc)
      depfile = argv[++i];
    else if (arg == "-I" && i + 1 < argc)
      searchDirs.push_back(argv[++i]);
    else
      positional.push_back(arg);
  }
  if (positional.size() != 3) {
    std::cerr << "usage: ovx_rc <preprocessed> <script.rc> <output.cpp> [--depfile <file>] [-I <dir>]...\n";
    return 2;
  }
  const std::string &input = positional[0], &script = positional[1], &output = positional[2];
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::cerr << input << ": error: cannot read the preprocessed script\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  try {
    rc::Script compiled = rc::Compile(text.str(), script, searchDirs);
    if (!WriteWhole(output, rc::EmitTableSource(compiled, script))) {
      std::cerr << output << ": error: cannot write\n";
      return 1;
    }
    if (!depfile.empty()) {
      std::string deps = DepfilePath(output) + ":";
      for (const std::string& file : compiled.dependencies) deps += " \\\n  " + DepfilePath(file);
      if (!WriteWhole(depfile, deps + "\n")) {
        std::cerr << depfile << ": error: cannot write\n";
        return 1;
      }
    }
  } catch (const rc::CompileError& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
