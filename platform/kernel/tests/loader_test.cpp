// The module loader: search, reference counts per hosted process, attach and
// detach order, decorated names, and programs started as hosted processes.
#include <host_testing/station_fixture.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using Loader = host::testing::StationTest;

std::vector<std::string> AttachLines() {
  std::vector<std::string> lines;
  for (auto& line : host::DebugOutput())
    if (line.rfind("TESTA ", 0) == 0 || line.rfind("REFUSE ", 0) == 0) lines.push_back(line);
  return lines;
}

std::string Pid(const char* event, int count) {
  char text[64];
  wsprintfA(text, "TESTA %s %d pid %lx\n", event, count, GetCurrentProcessId());
  return text;
}

TEST_F(Loader, CountsReferencesAndAttachesOncePerProcess) {
  HMODULE first = LoadLibraryA("TESTA.DLL");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(LoadLibraryA("testa"), first) << "name without extension, other case";
  EXPECT_EQ(AttachLines(), std::vector<std::string>{Pid("attach", 1)});
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(AttachLines().size(), 1u) << "one reference is still held";
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(AttachLines(), (std::vector<std::string>{Pid("attach", 1), Pid("detach", 1)}));
  EXPECT_FALSE(FreeLibrary(first)) << "a freed module handle is stale";
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

std::vector<std::string> LinesStartingWith(std::initializer_list<const char*> prefixes) {
  std::vector<std::string> lines;
  for (auto& line : host::DebugOutput())
    for (const char* prefix : prefixes)
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

TEST_F(Loader, LoadTimeDependenciesAttachBeforeAndDetachAfterTheirModule) {
  HMODULE b = LoadLibraryA("TESTB.DLL");
  ASSERT_NE(b, nullptr);
  HMODULE a = GetModuleHandleA("TESTA.DLL");
  ASSERT_NE(a, nullptr) << "the dependency is a loaded module of the process";
  EXPECT_EQ(LinesStartingWith({"TESTA ", "TESTB "}), (std::vector<std::string>{Pid("attach", 1), "TESTB attach\n"}));
  EXPECT_EQ(LoadLibraryA("testa"), a) << "the same module, no second attach";
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(LinesStartingWith({"TESTA ", "TESTB "}).back(), "TESTB detach\n") << "TESTA is still held by name";
  EXPECT_EQ(GetModuleHandleA("TESTB.DLL"), nullptr);
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(LinesStartingWith({"TESTA ", "TESTB "}),
            (std::vector<std::string>{Pid("attach", 1), "TESTB attach\n", "TESTB detach\n", Pid("detach", 1)}));
}

TEST_F(Loader, DependencyReleasedWithItsModule) {
  HMODULE b = LoadLibraryA("TESTB.DLL");
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(LinesStartingWith({"TESTA ", "TESTB "}),
            (std::vector<std::string>{Pid("attach", 1), "TESTB attach\n", "TESTB detach\n", Pid("detach", 1)}));
  EXPECT_EQ(GetModuleHandleA("TESTA.DLL"), nullptr);
}

TEST_F(Loader, RefusedDependencyFailsTheLoadBeforeTheModuleAttaches) {
  EXPECT_EQ(LoadLibraryA("NEEDREFUSE.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DLL_INIT_FAILED);
  EXPECT_EQ(LinesStartingWith({"REFUSE ", "NEEDREFUSE "}),
            (std::vector<std::string>{"REFUSE attach\n", "REFUSE detach\n"}));
  EXPECT_EQ(GetModuleHandleA("NEEDREFUSE.DLL"), nullptr);
  EXPECT_EQ(GetModuleHandleA("REFUSE.DLL"), nullptr);
}

TEST_F(Loader, ResolvesOnlyTheModulesOwnExportsAndUndecoratesStdcallNames) {
  HMODULE module = LoadLibraryA("TESTA.DLL");
  ASSERT_NE(module, nullptr);
  struct Case {
    const char* name;
    bool found;
  } cases[] = {
      {"_Add@8", true},     {"Add@8", true},         {"Add", true},   {"Version", true},
      {"_Version@0", true}, {"Hidden", false},       {"add", false},  {"LoadLibraryA", false},
      {"DllMain", true},    {"_Add@", false},        {"malloc", false},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    FARPROC proc = GetProcAddress(module, c.name);
    EXPECT_EQ(proc != nullptr, c.found);
    if (!c.found) {
      EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
    }
  }
  auto add = reinterpret_cast<int(WINAPI*)(int, int)>(GetProcAddress(module, "_Add@8"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(40, 2), 42);
  FreeLibrary(module);
}

TEST_F(Loader, SystemModulesAreTheHostItself) {
  HMODULE kernel = LoadLibraryA("Kernel32.Dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(LoadLibraryA("USER32"), kernel);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount")), reinterpret_cast<void*>(&GetTickCount));
  EXPECT_EQ(GetProcAddress(kernel, "NoSuchFunction"), nullptr);
  EXPECT_TRUE(FreeLibrary(kernel));
  EXPECT_TRUE(FreeLibrary(kernel));
}

TEST_F(Loader, FailuresSayWhy) {
  EXPECT_EQ(LoadLibraryA("NOSUCH.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
  WriteStationFile("C:\\WINDOWS\\SYSTEM\\JUNK.DLL", "not a module");
  EXPECT_EQ(LoadLibraryA("JUNK.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_BAD_FORMAT);
  EXPECT_EQ(LoadLibraryA("REFUSE.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DLL_INIT_FAILED);
  // Windows calls the entry point again to detach a refused module.
  EXPECT_EQ(AttachLines(), (std::vector<std::string>{"REFUSE attach\n", "REFUSE detach\n"}));
  EXPECT_EQ(GetModuleHandleA("REFUSE.DLL"), nullptr);
}

TEST_F(Loader, InstalledModuleIsFoundWhereTheInstallationPutsIt) {
  ASSERT_TRUE(host::InstallModule("TESTA.DLL", "C:\\WINDOWS\\SYSTEM"));
  HMODULE module = LoadLibraryA("testa.dll");
  ASSERT_NE(module, nullptr);
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(module, path, sizeof path), 0u);
  EXPECT_STRCASEEQ(path, "C:\\WINDOWS\\SYSTEM\\TESTA.DLL");
  EXPECT_EQ(GetModuleHandleA("TESTA"), module);
  char small[8];
  EXPECT_EQ(GetModuleFileNameA(module, small, sizeof small), 7u);
  EXPECT_STREQ(small, "C:\\WIND");
  FreeLibrary(module);
}

TEST_F(Loader, ProgramRunsAsItsOwnProcessAndDetachesItsModulesAtTheEnd) {
  ASSERT_TRUE(host::InstallModule("TESTPROG.EXE", "C:\\WINDOWS"));
  HMODULE mine = LoadLibraryA("TESTA.DLL");
  ASSERT_NE(mine, nullptr);
  DWORD process = host::StartProgram("testprog keep", SW_SHOWMINIMIZED);
  ASSERT_NE(process, 0u);
  EXPECT_EQ(host::WaitForProgram(process, 20000), 7u);
  auto lines = AttachLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], Pid("attach", 1));
  // The program's process attached and, ending with the module still loaded, detached.
  EXPECT_NE(lines[1].find("attach 2"), std::string::npos);
  EXPECT_NE(lines[2].find("detach 2"), std::string::npos);
  EXPECT_EQ(lines[1].substr(lines[1].find("pid")), lines[2].substr(lines[2].find("pid")));
  EXPECT_NE(lines[1].substr(lines[1].find("pid")), lines[0].substr(lines[0].find("pid")));
  bool sawTail = false;
  for (auto& line : host::DebugOutput()) sawTail |= line == "TESTPROG tail \"keep\" show 2 own 1\n";
  EXPECT_TRUE(sawTail);
  FreeLibrary(mine);
}

TEST_F(Loader, WinExecReportsAMissingProgram) {
  EXPECT_EQ(WinExec("nothing.exe", SW_SHOW), 2u);
  ASSERT_TRUE(host::InstallModule("TESTPROG.EXE", "C:\\Program Files\\Orvane OVX Deskforge"));
  // Unquoted, the blank ends the program name.
  EXPECT_EQ(WinExec("C:\\Program Files\\Orvane OVX Deskforge\\TESTPROG.EXE", SW_SHOW), 2u);
  UINT started = WinExec("\"C:\\Program Files\\Orvane OVX Deskforge\\TESTPROG.EXE\" x", SW_SHOW);
  EXPECT_GT(started, 31u);
}

}  // namespace
