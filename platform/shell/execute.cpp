// ShellExecuteA: a program is started with its parameters; a document is
// opened by the command its extension's class registers under HKCR
// "<class>\\shell\\<verb>\\command", "%1" standing for the document.
#include <windows.h>

#include <cctype>
#include <string>

#include "kernel/paths.h"
#include "kernel/process_table.h"

namespace host::shell {
namespace {

constexpr UINT_PTR kStarted = 33;  // above 32: success

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Extension(const std::string& file) {
  size_t slash = file.find_last_of("\\/:");
  size_t dot = file.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lower(file.substr(dot));
}

bool IsProgram(const std::string& file) {
  std::string ext = Extension(file);
  return ext.empty() || ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".pif";
}

bool IsRelative(const std::string& file) {
  return file.find(':') == std::string::npos && !file.empty() && file[0] != '\\' && file[0] != '/';
}

std::string Quoted(const std::string& path) {
  return path.find_first_of(" \t") == std::string::npos ? path : "\"" + path + "\"";
}

bool ClassesValue(const std::string& key, std::string* value) {
  char text[MAX_PATH * 2];
  LONG size = sizeof text;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), text, &size) != ERROR_SUCCESS) return false;
  text[sizeof text - 1] = 0;
  *value = text;
  return !value->empty();
}

// The registered command for a document, "%1" replaced by its path; a
// command without "%1" gets the path at its end, as the shell does.
bool DocumentCommand(const std::string& document, const std::string& verb, std::string* command) {
  std::string documentClass;
  if (!ClassesValue(Extension(document), &documentClass)) return false;
  if (!ClassesValue(documentClass + "\\shell\\" + verb + "\\command", command)) return false;
  size_t at = command->find("%1");
  if (at == std::string::npos)
    *command += " " + Quoted(document);
  else
    command->replace(at, 2, document);
  return true;
}

HINSTANCE Result(UINT_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

UINT_PTR StartError(DWORD error) {
  if (error == ERROR_PATH_NOT_FOUND) return SE_ERR_PNF;
  if (error == ERROR_BAD_FORMAT) return ERROR_BAD_FORMAT;
  if (error == ERROR_ACCESS_DENIED) return SE_ERR_ACCESSDENIED;
  return SE_ERR_FNF;
}

UINT_PTR Start(const std::string& commandLine, int show, const std::string& directory) {
  DWORD error = 0;
  if (!kernel::StartProgramProcess(commandLine, show, directory, error, nullptr)) return StartError(error);
  return kStarted;
}

// A relative name is looked for in the given folder first.
std::string InFolder(const std::string& file, const std::string& directory) {
  if (directory.empty() || !IsRelative(file)) return file;
  std::string candidate = directory + (directory.back() == '\\' ? "" : "\\") + file;
  kernel::ResolvedPath found = kernel::ResolveWindowsPath(candidate.c_str());
  return found.ok && found.exists ? found.windowsPath : file;
}

}  // namespace
}  // namespace host::shell

using namespace host::shell;

extern "C" HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                                          LPCSTR lpDirectory, INT nShowCmd) {
  if (!lpFile || !*lpFile) return Result(SE_ERR_FNF);
  std::string verb = lpOperation && *lpOperation ? Lower(lpOperation) : "open";
  std::string directory;
  if (lpDirectory && *lpDirectory) {
    host::kernel::ResolvedPath folder = host::kernel::ResolveWindowsPath(lpDirectory);
    if (!folder.ok || !folder.exists || !folder.isDirectory) return Result(SE_ERR_PNF);
    directory = folder.windowsPath;
  }
  std::string file = InFolder(lpFile, directory);
  std::string parameters = lpParameters && *lpParameters ? std::string(" ") + lpParameters : "";
  if (IsProgram(file)) {
    // lpFile is one path, blanks and all: quoted so the command line keeps it whole.
    if (verb != "open") return Result(SE_ERR_NOASSOC);
    return Result(Start("\"" + file + "\"" + parameters, nShowCmd, directory));
  }
  host::kernel::ResolvedPath document = host::kernel::ResolveWindowsPath(file.c_str());
  if (!document.ok) return Result(document.error == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF);
  if (!document.exists) return Result(SE_ERR_FNF);
  std::string command;
  if (!DocumentCommand(document.windowsPath, verb, &command)) return Result(SE_ERR_NOASSOC);
  return Result(Start(command + parameters, nShowCmd, directory));
}
