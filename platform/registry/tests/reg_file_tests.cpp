// The REGEDIT4 text: how values are written, and what the reader makes of
// damaged text.
#include <gtest/gtest.h>

#include <sstream>

#include "registry/reg_file.h"
#include "registry_test_support.h"

using namespace host::registry;
using registry_test::Bytes;
using registry_test::ToBytes;

namespace {

TEST(RegFile, ValueLines) {
  struct Case {
    const char* what;
    Value value;
    const char* line;
  } cases[] = {
      {"text", {"Name", REG_SZ, ToBytes(std::string("text", 5))}, "\"Name\"=\"text\""},
      {"escapes", {"a\"b\\c", REG_SZ, ToBytes(std::string("C:\\x \"y\"", 9))}, "\"a\\\"b\\\\c\"=\"C:\\\\x \\\"y\\\"\""},
      {"default value", {"", REG_SZ, {0}}, "@=\"\""},
      {"high ANSI bytes stay text", {"e", REG_SZ, {0xe9, 0}}, "\"e\"=\"\xe9\""},
      {"dword", {"n", REG_DWORD, {0x0a, 0, 0, 0x80}}, "\"n\"=dword:8000000a"},
      {"dword of 3 bytes", {"n", REG_DWORD, {1, 2, 3}}, "\"n\"=hex(4):01,02,03"},
      {"REG_SZ without NUL", {"s", REG_SZ, ToBytes("ab")}, "\"s\"=hex(1):61,62"},
      {"REG_SZ with a newline", {"s", REG_SZ, ToBytes(std::string("a\nb", 4))}, "\"s\"=hex(1):61,0a,62,00"},
      {"REG_SZ with an inner NUL", {"s", REG_SZ, ToBytes(std::string("a\0b", 4))}, "\"s\"=hex(1):61,00,62,00"},
      {"empty binary", {"b", REG_BINARY, {}}, "\"b\"=hex:"},
      {"REG_EXPAND_SZ", {"x", REG_EXPAND_SZ, ToBytes(std::string("%a%", 4))}, "\"x\"=hex(2):25,61,25,00"},
      {"REG_NONE", {"z", REG_NONE, {0xff}}, "\"z\"=hex(0):ff"},
      {"large type number", {"t", 0xdeadbeef, {1}}, "\"t\"=hex(deadbeef):01"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatValueLine(c.value), c.line) << c.what;
}

TEST(RegFile, LongHexListsWrapAt80ColumnsAndReadBack) {
  Value value{"Blob", REG_BINARY, Bytes(100)};
  for (int i = 0; i < 100; ++i) value.data[i] = static_cast<BYTE>(i * 7);
  std::string line = FormatValueLine(value);
  std::istringstream lines(line);
  std::string part;
  int count = 0;
  while (std::getline(lines, part)) {
    ++count;
    EXPECT_LE(part.size(), 80u) << part;
    if (count > 1) {
      EXPECT_EQ(part.substr(0, 2), "  ");
    }
  }
  EXPECT_GT(count, 1);
  ParsedFile parsed = ParseRegFile("REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n" + line + "\n");
  ASSERT_TRUE(parsed.problems.empty()) << parsed.problems.front();
  ASSERT_EQ(parsed.sections.size(), 1u);
  ASSERT_EQ(parsed.sections[0].values.size(), 1u);
  EXPECT_EQ(parsed.sections[0].values[0].data, value.data);
}

TEST(RegFile, ReadsWhatItWrites) {
  Key key;
  key.name = "HKEY_LOCAL_MACHINE";
  key.className = "has \"quotes\"";
  key.values = {{"", REG_SZ, ToBytes(std::string("d", 2))},
                {"Multi", REG_MULTI_SZ, ToBytes(std::string("a\0b\0\0", 5))},
                {"@", REG_DWORD, {1, 2, 3, 4}}};
  bool created;
  key.FindOrAddSubkey("Empty", &created)->className = "tab\tin class";
  std::string text = kRegFileHeader;
  AppendKeySections(text, key.name, key);
  ParsedFile parsed = ParseRegFile(text);
  ASSERT_TRUE(parsed.problems.empty()) << parsed.problems.front();
  ASSERT_EQ(parsed.sections.size(), 2u);
  EXPECT_EQ(parsed.sections[0].className, key.className);
  ASSERT_EQ(parsed.sections[0].values.size(), 3u);
  for (std::size_t i = 0; i < key.values.size(); ++i) {
    EXPECT_EQ(parsed.sections[0].values[i].name, key.values[i].name);
    EXPECT_EQ(parsed.sections[0].values[i].type, key.values[i].type);
    EXPECT_EQ(parsed.sections[0].values[i].data, key.values[i].data);
  }
  EXPECT_EQ(parsed.sections[1].path, "HKEY_LOCAL_MACHINE\\Empty");
  EXPECT_EQ(parsed.sections[1].className, "tab\tin class") << "written as a hex list";
  EXPECT_TRUE(parsed.sections[1].values.empty());
}

TEST(RegFile, AcceptsCrlfAndHandWrittenForms) {
  ParsedFile parsed = ParseRegFile(
      "REGEDIT4\r\n\r\n[HKEY_USERS\\x]\r\n; a comment\r\n\"a\" = dword:A\r\n\"b\"=hex:1, 2,\\\r\n   FF\r\n"
      "\"c\"=-\r\n[-HKEY_USERS\\y]\r\n");
  ASSERT_TRUE(parsed.problems.empty()) << parsed.problems.front();
  ASSERT_EQ(parsed.sections.size(), 2u);
  const auto& values = parsed.sections[0].values;
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].data, (Bytes{0x0a, 0, 0, 0}));
  EXPECT_EQ(values[1].data, (Bytes{1, 2, 0xff}));
  EXPECT_TRUE(values[2].remove);
  EXPECT_TRUE(parsed.sections[1].remove);
}

TEST(RegFile, DamagedTextKeepsWhatParses) {
  struct Case {
    const char* what;
    const char* text;
    std::size_t goodValues;  // values of the last section that survive
    const char* problem;     // start of the first problem reported
  } cases[] = {
      {"empty file", "", 0, "the file is empty"},
      {"no header", "[HKEY_USERS\\x]\n\"a\"=\"1\"\n", 1, "line 1: no REGEDIT4 header"},
      {"unterminated text", "REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=\"1\n\"b\"=\"2\"\n", 1, "line 3: unterminated text"},
      {"bad dword", "REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=dword:123456789\n\"b\"=dword:1\n", 1, "line 3: bad dword"},
      {"bad hex byte", "REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=hex:01,zz,\\\n  03\n\"b\"=hex:\n", 1, "line 3: bad byte"},
      {"hex cut at the end", "REGEDIT4\n[HKEY_USERS\\x]\n\"b\"=hex:\n\"a\"=hex:01,\\", 1, "line 4: hex value cut"},
      {"garbage line", "REGEDIT4\n[HKEY_USERS\\x]\nrubbish\n\"b\"=\"2\"\n", 1, "line 3: not a section"},
      {"unknown value kind", "REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=qword:1\n\"b\"=\"2\"\n", 1, "line 3: unknown kind"},
      {"unterminated section", "REGEDIT4\n[HKEY_USERS\\x\n\"a\"=\"1\"\n[HKEY_USERS\\y]\n\"b\"=\"2\"\n", 1,
       "line 2: unterminated key name"},
      {"value before any key", "REGEDIT4\n\"a\"=\"1\"\n[HKEY_USERS\\y]\n\"b\"=\"2\"\n", 1, "line 2: value outside"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ParsedFile parsed = ParseRegFile(c.text);
    ASSERT_FALSE(parsed.problems.empty());
    EXPECT_EQ(parsed.problems.front().rfind(c.problem, 0), 0u) << parsed.problems.front();
    std::size_t survivors = parsed.sections.empty() ? 0 : parsed.sections.back().values.size();
    EXPECT_EQ(survivors, c.goodValues);
  }
}

}  // namespace
