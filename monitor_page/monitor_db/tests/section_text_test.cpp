// The sectioned text engine: its text rules, section delete, file edits and
// appends, and the header index agreeing with plain scanning.
#include <gtest/gtest.h>

#include <random>

#include "test_support.h"

namespace monitor_db {
namespace {

using testing::CrLf;
using testing::SplitNameList;

class SectionText : public testing::MonitorDbTest {
 protected:
  // Runs `check` on the text held by the engine (indexed) and on a plain copy
  // the engine does not hold, so both ways of finding sections are covered.
  template <class Check>
  void OnHeldAndPlain(const std::string& text, Check check) {
    WriteStationFile("C:\\MON\\T.TXT", text);
    char* held = LoadSectionText("C:\\MON\\T.TXT");
    ASSERT_NE(held, nullptr);
    {
      SCOPED_TRACE("held text");
      check(held);
    }
    FreeSectionText(held);
    std::string plain = text;
    SCOPED_TRACE("plain text");
    check(plain.data());
  }
};

std::vector<std::string> Names(const char* text, DWORD capacity = 4096, int* ok = nullptr) {
  std::vector<char> out(capacity + 1, 'Z');
  int result = ListSectionNames(text, out.data(), capacity);
  if (ok) *ok = result;
  return SplitNameList(out.data());
}

TEST_F(SectionText, SectionHeaders) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"headers at the start and after CR LF", CrLf({"[A]", "x=1", "[B]", ""}), {"A", "B"}},
      {"a header on the last line without CR LF is none", CrLf({"[A]", "x=1", "[B]"}), {"A"}},
      {"a `[` not at a line start", CrLf({"x [A]", " [B]", "[C]", ""}), {"C"}},
      {"a lone LF or CR does not start a line", "[A]\r\nx\n[B]\r\ny\r[C]\r\n", {"A"}},
      {"no `]` on the line", CrLf({"[A", "]", "[B]", ""}), {"B"}},
      {"the name ends at the first `]`, further `[` dropped", CrLf({"[Ac[me]x]", ""}), {"Acme"}},
      {"text after the `]`", CrLf({"[A] ; note", ""}), {"A"}},
      {"empty text", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OnHeldAndPlain(c.text, [&](const char* text) { EXPECT_EQ(Names(text), c.names); });
  }
}

TEST_F(SectionText, ListingFailsOnEmptyNameOrFullBufferKeepingWhatFits) {
  OnHeldAndPlain(CrLf({"[A]", "[]", "[B]", ""}), [](const char* text) {
    int ok = 1;
    EXPECT_EQ(Names(text, 4096, &ok), std::vector<std::string>{"A"});
    EXPECT_EQ(ok, 0);
  });
  OnHeldAndPlain(CrLf({"[Alpha]", "[Beta]", ""}), [](const char* text) {
    int ok = 1;
    // "Alpha\0" and the closing NUL fit in 7 bytes; "Beta\0" does not.
    EXPECT_EQ(Names(text, 7, &ok), std::vector<std::string>{"Alpha"});
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Names(text, 12, &ok), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(ok, 1);
  });
}

TEST_F(SectionText, FindSection) {
  const std::string text = CrLf({"[Acme.Pro]", "v=[Other]", "[*T,(640X480)]", "[Last]"});
  struct Case {
    const char* name;
    long position;  // of the name inside the header, -1 for none
  };
  const Case cases[] = {
      {"Acme.Pro", 1}, {"ACME.PRO", 1}, {"acme.pro", 1}, {"Acme", -1},
      {"Other", -1},  // inside a value
      {"*T,(640X480)", 24}, {"*t,(640x480)", 24},
      {"Last", -1},  // the last line without CR LF
  };
  OnHeldAndPlain(text, [&](const char* t) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      const char* found = FindSection(t, c.name);
      EXPECT_EQ(found ? found - t : -1, c.position);
    }
  });
}

TEST_F(SectionText, CaseFoldingIsAsciiOnly) {
  OnHeldAndPlain(CrLf({"[caf\xe9]", "k=1", ""}), [](const char* text) {
    EXPECT_NE(FindSection(text, "CAF\xe9"), nullptr);
    EXPECT_EQ(FindSection(text, "CAF\xc9"), nullptr);  // É is not é
  });
}

TEST_F(SectionText, SectionKeys) {
  struct Case {
    const char* what;
    std::string text;
    const char* section;
    std::vector<std::string> keys;
  };
  const Case cases[] = {
      {"keys in text order, duplicates kept", CrLf({"[S]", "b=1", "a=2", "b=3", "[T]", "c=4", ""}), "S",
       {"b", "a", "b"}},
      {"inner spaces removed, tabs kept", CrLf({"[S]", "PIXEL CLK = 5", "a\tb=1", ""}), "S", {"PIXELCLK", "a\tb"}},
      {"comments and lines without = are not keys", CrLf({"[S]", ";c=1", "note", " ;d=2", ""}), "S", {";d"}},
      {"the body ends at the next header", CrLf({"[S]", "a=1", "[T]", "b=2"}), "S", {"a"}},
      {"the last line without CR LF is read", CrLf({"[S]", "a=1", "b=2"}), "S", {"a", "b"}},
      {"a key of spaces alone is left out", CrLf({"[S]", "a=1", "  =2", "b=3", ""}), "S", {"a", "b"}},
      {"the header line is not a key line", CrLf({"[S]x=1", "a=2", ""}), "S", {"a"}},
      {"a `[` line that is no header is a key line", CrLf({"[S]", "[x=1", ""}), "S", {"[x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OnHeldAndPlain(c.text, [&](const char* text) {
      char keys[256];
      ASSERT_EQ(ListSectionKeys(text, c.section, keys, sizeof keys), 1);
      EXPECT_EQ(SplitNameList(keys), c.keys);
    });
  }
}

TEST_F(SectionText, TheFirstLineIsNeverAKeyLine) {
  // Only the text's first line can fail to follow a CR LF; no section owns it.
  OnHeldAndPlain(CrLf({"KEY=1", "[S]", "A=2", ""}), [](const char* text) {
    char keys[64];
    ASSERT_EQ(ListSectionKeys(text, "S", keys, sizeof keys), 1);
    EXPECT_EQ(SplitNameList(keys), std::vector<std::string>{"A"});
    char value[16];
    EXPECT_EQ(GetSectionValue(text, "S", "KEY", value, sizeof value), 0);
  });
}

TEST_F(SectionText, ValuesAndNumbers) {
  const std::string text = CrLf({"[S]", "KEY=    42   ", "EMPTY=", "WORD=abc", "H_SYNC_POL=1", "LEAD=7x9", "SP  =  v",
                                 "BIG=4294967296", "MAX=4294967295", "[T]", "ONLY_T=5", ""});
  struct Case {
    const char* key;
    int valueOk;
    const char* value;
    int numberOk;
    DWORD number;
  };
  const Case cases[] = {
      {"KEY", 1, "42   ", 1, 42},       // spaces after = dropped, trailing spaces kept
      {"EMPTY", 1, "", 1, 0},          // an empty value is 0
      {"WORD", 1, "abc", 0, 0},        // a value must begin with a digit
      {"H_SYNC", 0, "", 0, 0},         // H_SYNC does not match H_SYNC_POL
      {"LEAD", 1, "7x9", 1, 7},        // cut at the first non-digit
      {"sp", 1, "v", 0, 0},            // key case and spaces before = ignored
      {"BIG", 1, "4294967296", 0, 0},  // beyond 32 bits: a failure, not a wrapped number
      {"MAX", 1, "4294967295", 1, 4294967295u},
      {"ONLY_T", 0, "", 0, 0},  // a key of a later section is not found
  };
  OnHeldAndPlain(text, [&](const char* t) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.key);
      char value[64] = "unchanged";
      EXPECT_EQ(GetSectionValue(t, "S", c.key, value, sizeof value), c.valueOk);
      if (c.valueOk) {
        EXPECT_STREQ(value, c.value);
      }
      DWORD number = 12345;
      EXPECT_EQ(GetSectionNumber(t, "S", c.key, &number), c.numberOk);
      if (c.numberOk) {
        EXPECT_EQ(number, c.number);
      }
    }
    char small[5];
    EXPECT_EQ(GetSectionValue(t, "S", "KEY", small, 5), 0);  // five characters need six bytes
    char fits[6];
    EXPECT_EQ(GetSectionValue(t, "S", "KEY", fits, 6), 1);
  });
}

TEST_F(SectionText, MissingArgumentsEmptyNamesAndZeroCapacityFail) {
  std::string text = CrLf({"[S]", "k=1", ""});
  char out[64];
  DWORD n;
  EXPECT_EQ(ListSectionNames(nullptr, out, 64), 0);
  EXPECT_EQ(ListSectionNames(text.c_str(), out, 0), 0);
  EXPECT_EQ(ListSectionKeys(text.c_str(), "", out, 64), 0);
  EXPECT_EQ(ListSectionKeys(text.c_str(), nullptr, out, 64), 0);
  EXPECT_EQ(GetSectionValue(text.c_str(), "S", "", out, 64), 0);
  EXPECT_EQ(GetSectionValue(text.c_str(), "S", "k", out, 0), 0);
  EXPECT_EQ(GetSectionNumber(text.c_str(), "S", "k", nullptr), 0);
  EXPECT_EQ(GetSectionNumber(text.c_str(), "S", nullptr, &n), 0);
  EXPECT_EQ(FindSection(text.c_str(), ""), nullptr);
  EXPECT_EQ(DeleteSection(text.data(), ""), 0);
  EXPECT_EQ(LoadSectionText(""), nullptr);
  EXPECT_EQ(AppendToTextFile("C:\\MON\\X.TXT", nullptr), 0);
}

TEST_F(SectionText, NameLengthLimits) {
  const std::string name126(126, 'n'), name127(127, 'n'), name83(83, 'd'), name84(84, 'd');
  std::string text = CrLf({"[" + name126 + "]", "k=1", "[" + name127 + "]", "k=2", "[" + name83 + "]", "[" + name84 + "]",
                           "[Z]", ""});
  EXPECT_NE(FindSection(text.c_str(), name126.c_str()), nullptr);
  EXPECT_EQ(FindSection(text.c_str(), name127.c_str()), nullptr);
  char value[8];
  EXPECT_EQ(GetSectionValue(text.c_str(), name127.c_str(), "k", value, sizeof value), 0);
  EXPECT_EQ(DeleteSection(text.data(), name84.c_str()), 0);
  EXPECT_EQ(DeleteSection(text.data(), name83.c_str()), 1);
}

TEST_F(SectionText, DeleteSectionResultingBytes) {
  struct Case {
    const char* what;
    std::string text;
    const char* section;
    int result;
    std::string after;
  };
  const Case cases[] = {
      {"a middle section", CrLf({"[A]", "a=1", "[B]", "b=2", "[C]", "c=3"}), "b", 1,
       CrLf({"[A]", "a=1", "[C]", "c=3"})},
      {"the first section of a text that begins with it", CrLf({"[A]", "a=1", "[B]", "b=2"}), "A", 1,
       CrLf({"[B]", "b=2"})},
      {"the last section ends the text at the line break before it", CrLf({"[A]", "a=1", "", "[B]", "b=2"}), "B", 1,
       CrLf({"[A]", "a=1", ""})},
      {"the only section", CrLf({"[A]", "a=1"}), "A", 1, ""},
      {"empty lines before the header shrink to one", CrLf({"[A]", "a=1", "", "", "", "[B]", "b=2", "[C]"}), "B", 1,
       CrLf({"[A]", "a=1", "", "[C]"})},
      {"no empty line is added", CrLf({"[A]", "a=1", "[B]", "b=2", "", "[C]"}), "B", 1, CrLf({"[A]", "a=1", "[C]"})},
      {"a `[` in a value or comment does not end the deleted section",
       CrLf({"[A]", "a=1", "[B]", "b=x [y", ";[old]", "[not a header", "c=2", "[C]", "c=3"}), "B", 1,
       CrLf({"[A]", "a=1", "[C]", "c=3"})},
      {"a header on the last line can be deleted", CrLf({"[A]", "a=1", "[B]"}), "B", 1, CrLf({"[A]", "a=1"})},
      {"deleting the section before it keeps a header on the last line", CrLf({"[A]", "a=1", "[B]"}), "A", 1, "[B]"},
      {"names match without regard to ASCII case", CrLf({"[A]", "[Acme.Pro]", "x=1", "[B]"}), "ACME.PRO", 1,
       CrLf({"[A]", "[B]"})},
      {"a missing section", CrLf({"[A]", "a=1"}), "B", 0, CrLf({"[A]", "a=1"})},
      {"a name that only ends like the section", CrLf({"[A]", "[XB]", "b=1", ""}), "B", 0, CrLf({"[A]", "[XB]", "b=1", ""})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OnHeldAndPlain(c.text, [&](char* text) {
      EXPECT_EQ(DeleteSection(text, c.section), c.result);
      EXPECT_EQ(std::string(text), c.after);
    });
  }
}

TEST_F(SectionText, DeleteAfterDeleteKeepsTheIndexTrue) {
  // The index must follow each edit: sections move and vanish.
  const std::string text = CrLf({"[A]", "a=1", "", "[B]", "b=2", "[C]", "c=3", "[B2]", "[D]", "d=4"});
  OnHeldAndPlain(text, [&](char* t) {
    ASSERT_EQ(DeleteSection(t, "B"), 1);
    char value[8];
    ASSERT_EQ(GetSectionValue(t, "C", "c", value, sizeof value), 1);
    EXPECT_STREQ(value, "3");
    ASSERT_EQ(DeleteSection(t, "D"), 1);  // the last one: B2 now ends the text and is no header
    EXPECT_EQ(Names(t), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(FindSection(t, "B2"), nullptr);
    ASSERT_EQ(DeleteSection(t, "A"), 1);
    EXPECT_EQ(std::string(t), CrLf({"[C]", "c=3", "[B2]"}));
    ASSERT_EQ(GetSectionValue(t, "C", "c", value, sizeof value), 1);
  });
}

TEST_F(SectionText, HeldTextSlot) {
  WriteStationFile("C:\\WINDOWS\\REL.TXT", "[A]\r\n");
  char* text = LoadSectionText("REL.TXT");  // no folder: the Windows directory
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "[A]\r\n");
  EXPECT_EQ(LoadSectionText("REL.TXT"), nullptr);  // one text at a time
  char other[] = "x";
  FreeSectionText(other);  // not the held text: no effect
  EXPECT_EQ(LoadSectionText("REL.TXT"), nullptr);
  FreeSectionText(text);
  text = LoadSectionText("C:\\WINDOWS\\REL.TXT");
  EXPECT_NE(text, nullptr);
  FreeSectionText(text);
  EXPECT_EQ(LoadSectionText("C:\\WINDOWS\\MISSING.TXT"), nullptr);
  EXPECT_EQ(LoadSectionText(std::string(260, 'a').c_str()), nullptr);
  // "C:\WINDOWS\" is 11 characters: a bare name of 249 fits, one of 250 does not.
  EXPECT_EQ(LoadSectionText(std::string(249, 'a').c_str()), nullptr);  // fits, but is missing
  EXPECT_EQ(LoadSectionText(std::string(250, 'a').c_str()), nullptr);
}

TEST_F(SectionText, EditAndCommitShrinksTheFile) {
  WriteStationFile("C:\\MON\\E.TXT", CrLf({"[A]", "a=1", "[B]", "b=2", "[C]", "c=3"}));
  char* text = OpenTextForEdit("C:\\MON\\E.TXT");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(OpenTextForEdit("C:\\MON\\E.TXT"), nullptr);  // one file at a time
  char keys[32];
  ASSERT_EQ(ListSectionKeys(text, "B", keys, sizeof keys), 1);
  ASSERT_EQ(DeleteSection(text, "B"), 1);
  ASSERT_EQ(CommitEditedText(text), 1);
  EXPECT_EQ(ReadStationFile("C:\\MON\\E.TXT"), CrLf({"[A]", "a=1", "[C]", "c=3"}));
  EXPECT_EQ(CommitEditedText(text), 0);  // already committed

  // Without edits the file comes back byte for byte: the extra NUL never stays.
  text = OpenTextForEdit("C:\\MON\\E.TXT");
  ASSERT_NE(text, nullptr);
  ASSERT_EQ(CommitEditedText(text), 1);
  EXPECT_EQ(ReadStationFile("C:\\MON\\E.TXT"), CrLf({"[A]", "a=1", "[C]", "c=3"}));
  EXPECT_EQ(OpenTextForEdit("C:\\MON\\MISSING.TXT"), nullptr);
}

TEST_F(SectionText, AFileHoldingANulIsNotEditedOrAppendedTo) {
  const std::string withNul = std::string("[A]\r\na=1\r\n[B]\r\nb=") + '\0' + "2\r\n[C]\r\nc=3";
  WriteStationFile("C:\\MON\\N.TXT", withNul);
  EXPECT_EQ(OpenTextForEdit("C:\\MON\\N.TXT"), nullptr);
  EXPECT_EQ(ReadStationFile("C:\\MON\\N.TXT"), withNul);
  EXPECT_EQ(AppendToTextFile("C:\\MON\\N.TXT", "\r\n[D]\r\n"), 0);
  EXPECT_EQ(ReadStationFile("C:\\MON\\N.TXT"), withNul);
  // The slot stays free for the next edit.
  WriteStationFile("C:\\MON\\OK.TXT", "[A]\r\n");
  char* text = OpenTextForEdit("C:\\MON\\OK.TXT");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(CommitEditedText(text), 1);
}

TEST_F(SectionText, AppendRemovesTrailingLineBreaks) {
  WriteStationFile("C:\\MON\\A.TXT", "[A]\r\na=1");
  ASSERT_EQ(AppendToTextFile("C:\\MON\\A.TXT", "\r\n\r\n[B]\r\nb=2\r\n\r\n"), 1);
  EXPECT_EQ(ReadStationFile("C:\\MON\\A.TXT"), "[A]\r\na=1\r\n\r\n[B]\r\nb=2");
  // Only CR LF pairs go: a lone LF at the end stays.
  ASSERT_EQ(AppendToTextFile("C:\\MON\\A.TXT", "\r\nc=3\n\r\n"), 1);
  EXPECT_EQ(ReadStationFile("C:\\MON\\A.TXT"), "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\nc=3\n");
}

TEST_F(SectionText, AppendCreatesOnlyBareNamesInTheWindowsDirectory) {
  EXPECT_EQ(AppendToTextFile("C:\\MON\\NEW.TXT", "[A]\r\n"), 0);  // a path must name an existing file
  EXPECT_EQ(GetFileAttributesA("C:\\MON\\NEW.TXT"), INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ(AppendToTextFile("NEW.TXT", "[A]\r\n"), 1);
  EXPECT_EQ(ReadStationFile("C:\\WINDOWS\\NEW.TXT"), "[A]");
}

// Random texts built from the pieces the rules care about: the index must
// give exactly what plain scanning gives, through every edit.
TEST_F(SectionText, HeaderIndexAgreesWithPlainScanning) {
  const char* const pieces[] = {"[A]", "[a]", "[B]", "[Ab]", "[A", "]", "[]", "[[A]", "\r\n", "\r\n", "\r\n", "\r",
                                "\n",  "x=1", ";c=2", " ", "k = v", "A]", "[B]x", "[A]]", "[B"};
  const char* const names[] = {"A", "a", "B", "Ab", "[A", "A]", "x", "B]x"};
  std::mt19937 random(4);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
    SCOPED_TRACE(::testing::PrintToString(text));
    WriteStationFile("C:\\MON\\R.TXT", text);
    char* held = LoadSectionText("C:\\MON\\R.TXT");
    ASSERT_NE(held, nullptr);
    std::string plain = text;
    for (int edit = 0; edit < 6; ++edit) {
      int okHeld = 0, okPlain = 0;
      EXPECT_EQ(Names(held, 4096, &okHeld), Names(plain.c_str(), 4096, &okPlain));
      EXPECT_EQ(okHeld, okPlain);
      for (const char* name : names) {
        const char* a = FindSection(held, name);
        const char* b = FindSection(plain.c_str(), name);
        EXPECT_EQ(a ? a - held : -1, b ? b - plain.c_str() : -1) << name;
        char keysA[512] = "", keysB[512] = "";
        EXPECT_EQ(ListSectionKeys(held, name, keysA, sizeof keysA), ListSectionKeys(plain.c_str(), name, keysB, sizeof keysB));
        EXPECT_EQ(SplitNameList(keysA), SplitNameList(keysB));
      }
      const char* victim = names[random() % std::size(names)];
      EXPECT_EQ(DeleteSection(held, victim), DeleteSection(plain.data(), victim)) << victim;
      ASSERT_EQ(std::string(held), std::string(plain.c_str())) << "after deleting " << victim;
    }
    FreeSectionText(held);
  }
}

}  // namespace
}  // namespace monitor_db
