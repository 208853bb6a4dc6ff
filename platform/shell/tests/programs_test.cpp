// Starting programs by path: WinExec splits its command line as Windows
// does, ShellExecuteA takes one path and opens documents by association.
#include <host/station.h>
#include <host_testing/station_fixture.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

constexpr char kFolder[] = "C:\\Program Files\\Orvane OVX";
constexpr char kProgram[] = "C:\\Program Files\\Orvane OVX\\TESTPROG.EXE";

class Programs : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    ASSERT_TRUE(host::InstallModule("TESTPROG.EXE", kFolder));
    ASSERT_TRUE(host::InstallModule("TESTPROG.EXE", "C:\\WINDOWS"));
    host::ClearDebugOutput();
  }

  // What the started program reported: its command tail, or "" when none ran.
  static std::string StartedTail() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
      for (const std::string& line : host::DebugOutput())
        if (line.rfind("TESTPROG tail \"", 0) == 0) return line.substr(15, line.find("\" show") - 15);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < deadline);
    return "";
  }

  // A copy of the program under another name: what an unquoted path runs by mistake.
  void InstallProgramAs(const std::string& windowsPath) {
    std::filesystem::create_symlink(std::filesystem::absolute(host::CurrentStationConfig().moduleDir + "/TESTPROG.EXE"),
                                    host::HostPath(windowsPath));
  }
};

TEST_F(Programs, WinExecTakesTheFirstTokenAsTheProgram) {
  struct Case {
    std::string commandLine;
    UINT result;       // 33: started
    std::string tail;  // what WinMain got
  } cases[] = {
      {std::string(kProgram), 2, ""},  // breaks at the blank: C:\Program
      {"\"" + std::string(kProgram) + "\" a  b", 33, "a  b"},
      {"\"" + std::string(kProgram) + "\"x", 33, "x"},
      {"\"" + std::string(kProgram), 33, ""},  // unclosed quote: the rest is the name
      {"testprog", 33, ""},                    // found in the Windows folder, .EXE added
      {"  TESTPROG.EXE\tkeep", 33, "keep"},
      {"C:\\NOWHERE\\TESTPROG.EXE", 3, ""},
      {"C:\\WINDOWS\\WIN.INI", 11, ""},  // exists, but no program
      {"", 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    host::ClearDebugOutput();
    UINT result = WinExec(c.commandLine.c_str(), SW_SHOW);
    EXPECT_EQ(result, c.result);
    if (result > 31) {
      EXPECT_EQ(StartedTail(), c.tail);
    }
  }
}

TEST_F(Programs, AnUnquotedPathWithBlanksRunsWhatItsFirstWordNames) {
  InstallProgramAs("C:\\Program.exe");
  ASSERT_EQ(WinExec(kProgram, SW_SHOW), 33u);
  EXPECT_EQ(StartedTail(), "Files\\Orvane OVX\\TESTPROG.EXE");
}

TEST_F(Programs, ShellExecuteStartsAProgramByItsWholePath) {
  InstallProgramAs("C:\\Program.exe");  // never chosen: the path is not split
  auto result = reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, "open", kProgram, "one two", nullptr, SW_SHOW));
  EXPECT_GT(result, 32u);
  EXPECT_EQ(StartedTail(), "one two");
}

TEST_F(Programs, ShellExecuteOpensADocumentWithItsRegisteredCommand) {
  WriteStationFile("C:\\My Notes.txt", "notes");
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".txt", REG_SZ, "txtfile", 7), ERROR_SUCCESS);
  const char command[] = "C:\\WINDOWS\\TESTPROG.EXE \"%1\"";
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "txtfile\\shell\\open\\command", REG_SZ, command, sizeof command - 1),
            ERROR_SUCCESS);
  auto result = reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, nullptr, "C:\\My Notes.txt", nullptr, nullptr, 1));
  EXPECT_GT(result, 32u);
  EXPECT_EQ(StartedTail(), "\"C:\\My Notes.txt\"");
}

TEST_F(Programs, ShellExecuteLooksInTheGivenFolderFirst) {
  auto result = reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, nullptr, "TESTPROG.EXE", "here", kFolder, 1));
  EXPECT_GT(result, 32u);
  EXPECT_EQ(StartedTail(), "here");
}

TEST_F(Programs, ShellExecuteReportsWhatItCouldNotOpen) {
  WriteStationFile("C:\\data.xyz", "?");
  struct Case {
    const char* verb;
    const char* file;
    const char* directory;
    UINT_PTR result;
  } cases[] = {
      {nullptr, "C:\\Program Files\\Orvane OVX\\MISSING.EXE", nullptr, SE_ERR_FNF},
      {nullptr, "C:\\Nowhere\\TESTPROG.EXE", nullptr, SE_ERR_PNF},
      {nullptr, "C:\\missing.txt", nullptr, SE_ERR_FNF},
      {nullptr, "C:\\data.xyz", nullptr, SE_ERR_NOASSOC},
      {"print", kProgram, nullptr, SE_ERR_NOASSOC},
      {nullptr, "TESTPROG.EXE", "C:\\Nowhere", SE_ERR_PNF},
      {nullptr, "", nullptr, SE_ERR_FNF},
      {nullptr, "C:\\WINDOWS\\WIN.INI.EXE", nullptr, SE_ERR_FNF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, c.verb, c.file, nullptr, c.directory, 1)), c.result);
  }
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, nullptr, nullptr, nullptr, nullptr, 1)), SE_ERR_FNF);
}

}  // namespace
