// Starting program modules: WinExec, CreateProcessA and the control API's
// StartProgram all run a module's WinMain as a new hosted process.
#include "kernel/module_table.h"
#include "kernel/paths.h"
#include "kernel/process_table.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace host::kernel {
namespace {

struct ParsedCommand {
  std::string program;    // as written, quotes removed
  std::string arguments;  // what WinMain receives
};

// The program is the first token: a quoted string, or everything up to the
// first blank. An unquoted path with blanks therefore breaks at the blank, as
// it does on Windows 95.
ParsedCommand ParseCommandLine(const std::string& line) {
  ParsedCommand parsed;
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos) return parsed;
  size_t end;
  if (line[at] == '"') {
    end = line.find('"', at + 1);
    parsed.program = line.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    end = end == std::string::npos ? line.size() : end + 1;
  } else {
    end = line.find_first_of(" \t", at);
    if (end == std::string::npos) end = line.size();
    parsed.program = line.substr(at, end - at);
  }
  size_t args = line.find_first_not_of(" \t", end);
  if (args != std::string::npos) parsed.arguments = line.substr(args);
  return parsed;
}

std::string WithExeExtension(std::string name) {
  auto slash = name.find_last_of("\\/:");
  std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
  if (file.find('.') == std::string::npos) name += ".EXE";
  return name;
}

// A program named without a folder is looked for in the current folder, the
// Windows folder and the system folder.
ResolvedPath FindProgram(const std::string& name) {
  if (name.find_first_of("\\/:") != std::string::npos) return ResolveWindowsPath(name.c_str());
  ResolvedPath last;
  for (const std::string& folder :
       {CurrentProcess().currentDirectory, std::string(kWindowsDirectory), std::string(kSystemDirectory)}) {
    last = ResolveWindowsPath((folder + "\\" + name).c_str());
    if (last.ok && last.exists) return last;
  }
  last.exists = false;
  return last;
}

// Whether a new process's program module loaded, told by its first thread.
class LoadOutcome {
 public:
  void Tell(bool loaded) {
    std::lock_guard lock(lock_);
    if (told_) return;
    told_ = true;
    loaded_ = loaded;
    changed_.notify_all();
  }
  bool Wait() {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [this] { return told_; });
    return loaded_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool told_ = false, loaded_ = false;
};

// Reports a failed load however the thread leaves before the program runs.
class LoadReport {
 public:
  explicit LoadReport(LoadOutcome& outcome) : outcome_(outcome) {}
  ~LoadReport() { outcome_.Tell(false); }
  void Loaded() { outcome_.Tell(true); }

 private:
  LoadOutcome& outcome_;
};

}  // namespace

DWORD StartProgramProcess(const std::string& commandLine, int showCommand, DWORD& error,
                          std::shared_ptr<ProcessState>* started) {
  return StartProgramProcess(commandLine, showCommand, std::string(), error, started);
}

DWORD StartProgramProcess(const std::string& commandLine, int showCommand, const std::string& currentDirectory,
                          DWORD& error, std::shared_ptr<ProcessState>* started) {
  ParsedCommand parsed = ParseCommandLine(commandLine);
  if (parsed.program.empty()) {
    error = ERROR_FILE_NOT_FOUND;
    return 0;
  }
  ResolvedPath image = FindProgram(WithExeExtension(parsed.program));
  if (!image.ok || !image.exists) {
    error = image.ok || image.error == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : image.error;
    return 0;
  }
  auto process = NewProcess(image.windowsPath, commandLine);
  std::string folder = image.windowsPath.substr(0, image.windowsPath.find_last_of('\\'));
  process->process.currentDirectory = folder.size() == 2 ? folder + "\\" : folder;
  if (!currentDirectory.empty()) process->process.currentDirectory = currentDirectory;
  // The program's own module is loaded on its thread, so DllMain calls and
  // everything WinMain does happen inside the new process. The starter waits
  // for the load, so a file that is no program is reported, not started.
  std::string imagePath = image.windowsPath;
  std::string arguments = parsed.arguments;
  auto load = std::make_shared<LoadOutcome>();
  StartThread(process, [imagePath, arguments, showCommand, load]() -> DWORD {
    LoadReport report(*load);
    HMODULE exe = LoadLibraryA(imagePath.c_str());
    if (!exe) return ERROR_BAD_FORMAT;
    CurrentProcess().exe = ModuleFromHandle(exe);
    auto winMain = reinterpret_cast<PWINMAIN>(GetProcAddress(exe, "WinMain"));
    if (!winMain) return ERROR_BAD_FORMAT;
    report.Loaded();
    std::string commandTail = arguments;
    DWORD code = static_cast<DWORD>(winMain(exe, NULL, commandTail.data(), showCommand));
    std::lock_guard lock(KernelLock());
    CurrentThread()->owner->exitCode = code;
    return code;
  }, false);
  if (!load->Wait()) {
    error = ERROR_BAD_FORMAT;
    return 0;
  }
  if (started) *started = process;
  error = ERROR_SUCCESS;
  return process->process.id;
}

}  // namespace host::kernel

namespace host {

bool InstallModule(const std::string& fileName, const std::string& windowsFolder) {
  const std::string& dir = CurrentStationConfig().moduleDir;
  fs::path source = fs::path(dir) / fileName;
  std::error_code error;
  if (dir.empty() || !fs::exists(source, error)) return false;
  // Create the folder one component at a time, matching existing ones without regard to case.
  for (size_t at = windowsFolder.find('\\', 3); ; at = windowsFolder.find('\\', at + 1)) {
    std::string prefix = windowsFolder.substr(0, at);
    if (prefix.size() > 3) CreateDirectoryA(prefix.c_str(), nullptr);
    if (at == std::string::npos) break;
  }
  kernel::ResolvedPath target = kernel::ResolveWindowsPath((windowsFolder + "\\" + fileName).c_str());
  if (!target.ok) return false;
  fs::remove(target.hostPath, error);
  fs::create_symlink(fs::absolute(source), target.hostPath, error);
  return !error;
}

namespace {

// Programs started through the control API stay findable after they end, so
// WaitForProgram gives the exit code of one that ended before it was asked.
std::vector<std::shared_ptr<kernel::ProcessState>>& StartedPrograms() {
  static std::vector<std::shared_ptr<kernel::ProcessState>> started;
  return started;
}

void ForgetStartedPrograms() {
  std::lock_guard lock(kernel::KernelLock());
  StartedPrograms().clear();
}

struct Registration {
  Registration() { RegisterStationHook(2, ForgetStartedPrograms, ForgetStartedPrograms); }
} registration;

}  // namespace

DWORD StartProgram(const std::string& commandLine, int showCommand) {
  DWORD error = 0;
  std::shared_ptr<kernel::ProcessState> process;
  DWORD id = kernel::StartProgramProcess(commandLine, showCommand, error, &process);
  if (id) {
    std::lock_guard lock(kernel::KernelLock());
    StartedPrograms().push_back(process);
  }
  return id;
}

DWORD WaitForProgram(DWORD processId, DWORD timeoutMs) {
  auto process = kernel::FindProcess(processId);
  if (!process) return STILL_ACTIVE;
  std::unique_lock lock(kernel::KernelLock());
  auto ended = [&] { return process->exited; };
  if (timeoutMs == INFINITE)
    kernel::SignalChanged().wait(lock, ended);
  else
    kernel::SignalChanged().wait_for(lock, std::chrono::milliseconds(timeoutMs), ended);
  return process->exited ? process->exitCode : STILL_ACTIVE;
}

}  // namespace host

using namespace host::kernel;

extern "C" {

UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
  if (!lpCmdLine) return 0;
  DWORD error = 0;
  if (!StartProgramProcess(lpCmdLine, static_cast<int>(uCmdShow), error, nullptr))
    return error == ERROR_PATH_NOT_FOUND ? 3 : error == ERROR_BAD_FORMAT ? 11 : 2;
  return 33;  // above 31: success
}

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation) {
  std::string line;
  if (lpApplicationName)
    line = std::string("\"") + lpApplicationName + "\"" + (lpCommandLine ? std::string(" ") + lpCommandLine : "");
  else if (lpCommandLine)
    line = lpCommandLine;
  int show = SW_SHOWNORMAL;
  if (lpStartupInfo && (lpStartupInfo->dwFlags & STARTF_USESHOWWINDOW)) show = lpStartupInfo->wShowWindow;
  DWORD error = 0;
  std::shared_ptr<ProcessState> process;
  if (!StartProgramProcess(line, show, error, &process)) {
    SetLastError(error);
    return FALSE;
  }
  if (lpProcessInformation) {
    lpProcessInformation->hProcess = NewProcessHandle(process);
    lpProcessInformation->hThread = NULL;
    lpProcessInformation->dwProcessId = process->process.id;
    lpProcessInformation->dwThreadId = 0;
  }
  return TRUE;
}

LPSTR WINAPI GetCommandLineA(void) { return CurrentProcess().commandLine.data(); }

void WINAPI GetStartupInfoA(LPSTARTUPINFOA lpStartupInfo) {
  if (!lpStartupInfo) return;
  *lpStartupInfo = STARTUPINFOA{};
  lpStartupInfo->cb = sizeof(STARTUPINFOA);
}

}  // extern "C"
