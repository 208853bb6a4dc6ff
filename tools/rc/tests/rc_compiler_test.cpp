// The resource compiler's diagnostics and its handling of preprocessed
// input; what it writes is read back by the kernel's resource tests.
#include "rc_compiler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct ErrorCase {
  const char* what;
  std::string text;
  const char* file;
  int line;
  const char* message;
};

TEST(RcCompiler, ReportsFaultsWithFileAndLine) {
  const std::string rc = "# 1 \"dlg.rc\"\n";
  ErrorCase cases[] = {
      {"unknown type", rc + "\n1 DIALOGG 0, 0, 10, 10\n", "dlg.rc", 2, "unknown resource type 'DIALOGG'"},
      {"undefined symbol", rc + "1 DIALOG 0, 0, 10, 10\nSTYLE WS_BOGUS | 1\nBEGIN\nEND\n", "dlg.rc", 2,
       "undefined symbol 'WS_BOGUS'"},
      {"missing operand", rc + "1 DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 1, 2, 3\nEND\n", "dlg.rc", 4,
       "expected ',' but found 'END'"},
      {"unknown control", rc + "1 DIALOG 0, 0, 10, 10\nBEGIN\n  BUTTONX \"a\", 1, 2, 3, 4, 5\nEND\n", "dlg.rc", 3,
       "unknown control 'BUTTONX'"},
      {"unknown class word", rc + "1 DIALOG 0,0,9,9\nBEGIN\n CONTROL \"\", 1, TRACKER, 0, 1, 2, 3, 4\nEND\n", "dlg.rc",
       3, "unknown control class 'TRACKER'"},
      {"no END at the end", rc + "1 DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 1, 2, 3, 4, 5\n", "dlg.rc", 4,
       "expected END but found end of file"},
      {"coordinate range", rc + "1 DIALOG 0, 0, 40000, 10\nBEGIN\nEND\n", "dlg.rc", 1,
       "coordinate out of range: 40000"},
      {"id range", rc + "70000 MENU\nBEGIN\nMENUITEM \"a\", 1\nEND\n", "dlg.rc", 1, "resource id out of range: 70000"},
      {"unterminated string", rc + "STRINGTABLE\nBEGIN\n 1 \"abc\nEND\n", "dlg.rc", 3, "unterminated string"},
      {"duplicate string", rc + "STRINGTABLE\nBEGIN\n 1 \"a\"\n\n 1 \"b\"\nEND\n", "dlg.rc", 5,
       "duplicate string id 1"},
      {"duplicate resource", rc + "5 MENU\nBEGIN\nMENUITEM \"a\", 1\nEND\n5 MENU\nBEGIN\nMENUITEM \"b\", 2\nEND\n",
       "dlg.rc", 5, "duplicate resource 5"},
      {"duplicate name, other case",
       rc + "Main MENU\nBEGIN\nMENUITEM \"a\", 1\nEND\nMAIN MENU\nBEGIN\nMENUITEM \"a\", 1\nEND\n", "dlg.rc", 5,
       "duplicate resource MAIN"},
      {"empty popup", rc + "1 MENU\nBEGIN\n POPUP \"&File\"\n BEGIN\n END\nEND\n", "dlg.rc", 3, "empty menu"},
      {"menu option", rc + "1 MENU\nBEGIN\n MENUITEM \"a\", 1, GREYED\nEND\n", "dlg.rc", 3,
       "unknown menu option 'GREYED'"},
      {"accelerator key", rc + "1 ACCELERATORS\nBEGIN\n \"ab\", 1\nEND\n", "dlg.rc", 3,
       "accelerator key must be one character or ^letter: \"ab\""},
      {"modifier without VIRTKEY", rc + "1 ACCELERATORS\nBEGIN\n \"a\", 1, SHIFT\nEND\n", "dlg.rc", 3,
       "SHIFT and CONTROL apply only to VIRTKEY accelerators"},
      {"division by zero", rc + "1 DIALOG 0, 0, 10 / (2 - 2), 10\nBEGIN\nEND\n", "dlg.rc", 1, "division by zero"},
      {"missing bitmap", rc + "\n7 BITMAP \"no_such.bmp\"\n", "dlg.rc", 2, "cannot open file \"no_such.bmp\""},
      {"in an included script", rc + "# 1 \"menus.rc\" 1\n\n1 MENU\nBEGIN\nEND\n# 2 \"dlg.rc\" 2\n", "menus.rc", 2,
       "empty menu"},
      {"back in the including script", rc + "# 1 \"menus.rc\" 1\n# 2 \"dlg.rc\" 2\n\n\nBOGUS, 1\n", "dlg.rc", 4,
       "expected a resource type but found ','"},
      {"no line markers", "\n\n1 CURSORS 0, 0\n", "script.rc", 3, "unknown resource type 'CURSORS'"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      rc::Compile(c.text, "script.rc", {});
      ADD_FAILURE() << "compiled";
    } catch (const rc::CompileError& error) {
      EXPECT_EQ(error.file(), c.file);
      EXPECT_EQ(error.line(), c.line);
      EXPECT_EQ(std::string(error.what()),
                std::string(c.file) + ":" + std::to_string(c.line) + ": error: " + c.message);
    }
  }
}

// Damaged image files are refused, never copied into a module.
TEST(RcCompiler, RefusesDamagedImageFiles) {
  struct Case {
    const char* statement;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"1 BITMAP", "XX" + std::string(60, '\0'), "is not a bitmap file"},
      {"1 BITMAP", "BM" + std::string(12, '\0') + std::string("\x28\0\0\0", 4) + std::string(10, '\0'),
       "has a damaged bitmap header"},
      {"1 ICON", std::string("\0\0\2\0\1\0", 6) + std::string(16, '\0'), "is not a valid icon file"},
      {"1 ICON", std::string("\0\0\1\0\1\0", 6) + std::string("\x10\x10\0\0\1\0\1\0\xff\0\0\0\x16\0\0\0", 16),
       "is not a valid icon file"},
      {"1 CURSOR", std::string("\0\0\2\0\0\0", 6), "is not a valid cursor file"},
  };
  std::string path = ::testing::TempDir() + "damaged.img";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::ofstream(path, std::ios::binary) << c.bytes;
    std::string text = std::string("# 3 \"pics.rc\"\n") + c.statement + " \"" + path + "\"\n";
    try {
      rc::Compile(text, "pics.rc", {});
      ADD_FAILURE() << "compiled";
    } catch (const rc::CompileError& error) {
      EXPECT_EQ(error.line(), 3);
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
  std::remove(path.c_str());
}

// <windows.h> is C: its declarations are skipped, while a resource script's
// own text is never skipped silently.
TEST(RcCompiler, SkipsDeclarationsOfIncludedHeaders) {
  std::string text =
      "# 1 \"app.rc\"\n"
      "# 1 \"windows.h\" 1\n"
      "typedef unsigned short WCHAR;\n"
      "struct HWND__ { int unused; }; typedef struct HWND__ *HWND;\n"
      "typedef struct tagPOINT { long x; long y; } POINT;\n"
      "HWND __attribute__((__stdcall__)) GetDesktopWindow(void);\n"
      "# 3 \"app.rc\" 2\n"
      "1 MENU\nBEGIN\n MENUITEM \"a\", 1\nEND\n";
  rc::Script script = rc::Compile(text, "app.rc", {});
  ASSERT_EQ(script.resources.size(), 1u);
  EXPECT_EQ(script.resources[0].typeId, 4);
  EXPECT_EQ(script.dependencies, (std::vector<std::string>{"app.rc", "windows.h"}));
}

TEST(RcCompiler, NamesAreUpperCaseAndStringsWiden) {
  rc::Script script = rc::Compile("Main MENU\nBEGIN\n MENUITEM \"\\x80\", 1\nEND\n", "a.rc", {});
  ASSERT_EQ(script.resources.size(), 1u);
  EXPECT_EQ(script.resources[0].name, "MAIN");
  EXPECT_EQ(rc::WidenAnsi("A\xe9\x80\x81"), (std::u16string{u'A', 0xE9, 0x20AC, 0x81}));
}

}  // namespace
