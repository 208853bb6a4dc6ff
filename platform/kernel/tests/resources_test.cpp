// The resource API over the modules in tests/resource_modules: every
// construct of all_constructs.rc read back from RESA.DLL's binary templates,
// string lookup and truncation, languages, and lookup per module.
#include "kernel/resources.h"

#include <host_testing/station_fixture.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Reads Win32 resource data field by field, little-endian.
struct Reader {
  const BYTE* data;
  DWORD size;
  DWORD at = 0;
  bool overrun = false;

  DWORD Read(int bytes) {
    if (at + bytes > size) {
      overrun = true;
      return 0;
    }
    DWORD v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | data[at + i];
    at += bytes;
    return v;
  }
  WORD Word() { return static_cast<WORD>(Read(2)); }
  DWORD Dword() { return Read(4); }
  short Short() { return static_cast<short>(Word()); }
  std::string Text() {  // NUL-terminated WCHARs, narrowed (the tests use ASCII and Latin-1)
    std::string s;
    while (WORD c = Word()) s += static_cast<char>(c);
    return s;
  }
  // A name-or-ordinal field: the ordinal as "#n".
  std::string NameOrOrdinal() {
    if (at + 2 <= size && data[at] == 0xFF && data[at + 1] == 0xFF) {
      Word();
      return "#" + std::to_string(Word());
    }
    return Text();
  }
  void Align(DWORD n) { at = (at + n - 1) / n * n; }
};

class Resources : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    a_ = LoadLibraryA("RESA.DLL");
    b_ = LoadLibraryA("RESB.DLL");
    ASSERT_NE(a_, nullptr);
    ASSERT_NE(b_, nullptr);
  }
  Reader Resource(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    EXPECT_NE(found, nullptr) << "error " << GetLastError();
    if (!found) return {nullptr, 0};
    auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return {data, SizeofResource(module, found)};
  }
  HMODULE a_ = nullptr, b_ = nullptr;
};

struct Item {
  DWORD style, exStyle, helpId;
  short x, y, cx, cy;
  DWORD id;
  std::string cls, text;
};

void ExpectItems(Reader& r, bool ex, const std::vector<Item>& expected) {
  for (const Item& want : expected) {
    SCOPED_TRACE(want.id);
    r.Align(4);
    Item got{};
    if (ex) {
      got.helpId = r.Dword();
      got.exStyle = r.Dword();
      got.style = r.Dword();
    } else {
      got.style = r.Dword();
      got.exStyle = r.Dword();
    }
    got.x = r.Short(), got.y = r.Short(), got.cx = r.Short(), got.cy = r.Short();
    got.id = ex ? r.Dword() : r.Word();
    got.cls = r.NameOrOrdinal();
    got.text = r.NameOrOrdinal();
    EXPECT_EQ(r.Word(), 0) << "no creation data";
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.exStyle, want.exStyle);
    EXPECT_EQ(got.helpId, want.helpId);
    EXPECT_EQ((std::vector<int>{got.x, got.y, got.cx, got.cy}), (std::vector<int>{want.x, want.y, want.cx, want.cy}));
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.cls, want.cls);
    EXPECT_EQ(got.text, want.text);
  }
  EXPECT_FALSE(r.overrun);
  EXPECT_EQ(r.at, r.size) << "the template ends with its last item";
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST_F(Resources, ClassicDialogTemplateRoundTrips) {
  Reader r = Resource(a_, MAKEINTRESOURCE(101), RT_DIALOG);
  ASSERT_NE(r.data, nullptr);
  EXPECT_EQ(r.Dword(), 0x80u | WS_POPUP | WS_CAPTION | WS_SYSMENU | 0x40u) << "STYLE and DS_SETFONT from FONT";
  EXPECT_EQ(r.Dword(), 0u);
  EXPECT_EQ(r.Word(), 18);
  EXPECT_EQ((std::vector<int>{r.Short(), r.Short(), r.Short(), r.Short()}), (std::vector<int>{10, 20, 200, 120}));
  EXPECT_EQ(r.NameOrOrdinal(), "#200") << "menu";
  EXPECT_EQ(r.NameOrOrdinal(), "") << "class";
  EXPECT_EQ(r.Text(), "Classic \"dialog\"");
  EXPECT_EQ(r.Word(), 8);
  EXPECT_EQ(r.Text(), "MS Sans Serif");
  ExpectItems(r, false,
              {
                  {kChild | WS_GROUP, 0, 0, 5, 6, 40, 8, 0xFFFF, "#130", "&Left:"},
                  {kChild | WS_GROUP | 0x2 | 0x100, 0, 0, 5, 16, 40, 8, 1001, "#130", "Right"},
                  {kChild | 0x1, 0, 0, 5, 26, 40, 8, 1002, "#130", "Centre"},
                  {kChild | WS_TABSTOP, 0, 0, 50, 6, 40, 14, 1003, "#128", "Push"},
                  {kChild | WS_TABSTOP | 0x1, 0, 0, 50, 22, 40, 14, IDOK, "#128", "OK"},
                  {kChild | WS_TABSTOP | 0x2, 0, 0, 50, 38, 40, 10, 1004, "#128", "Check"},
                  {kChild | WS_DISABLED | 0x3, 0, 0, 50, 50, 40, 10, 1005, "#128", "Auto check"},
                  {kChild | WS_GROUP | 0x4, 0, 0, 95, 6, 40, 10, 1006, "#128", "Radio"},
                  {kChild | 0x9, 0, 0, 95, 18, 40, 10, 1007, "#128", "Auto radio"},
                  {kChild | 0x7, 0, 0, 140, 4, 55, 40, 1008, "#128", "Group"},
                  {kChild | WS_BORDER | WS_TABSTOP | 0x2000 | 0x80, 0, 0, 5, 40, 40, 12, 1009, "#129", ""},
                  {kChild | WS_TABSTOP | WS_VSCROLL | 0x3, 0, 0, 5, 56, 40, 60, 1010, "#133", ""},
                  {kChild | WS_BORDER | 0x1, 0, 0, 5, 70, 40, 30, 1011, "#131", ""},
                  {kChild, 0, 0, -5, 104, 100, 8, 1012, "#132", ""},
                  {kChild | 0x3, 0, 0, 150, 60, 0, 0, 1013, "#130", "#500"},
                  {kChild | 0x3, 0, 0, 170, 60, 20, 20, 1014, "#130", "NamedIcon"},
                  {kChild | WS_TABSTOP | 0x1, WS_EX_CLIENTEDGE, 0, 110, 90, 80, 14, 1015, "msctls_trackbar32", ""},
                  {kChild | 0x3, 0, 0, 110, 104, 40, 10, 1016, "#128", "Btn"},
              });
}

TEST_F(Resources, ExtendedDialogTemplateRoundTrips) {
  Reader r = Resource(a_, MAKEINTRESOURCE(102), RT_DIALOG);
  ASSERT_NE(r.data, nullptr);
  EXPECT_EQ(r.Word(), 1) << "dlgVer";
  EXPECT_EQ(r.Word(), 0xFFFF) << "signature";
  EXPECT_EQ(r.Dword(), 4242u) << "help id";
  EXPECT_EQ(r.Dword(), (DWORD)WS_EX_CONTROLPARENT);
  EXPECT_EQ(r.Dword(), kChild | 0x40u);
  EXPECT_EQ(r.Word(), 4);
  EXPECT_EQ((std::vector<int>{r.Short(), r.Short(), r.Short(), r.Short()}), (std::vector<int>{0, 0, 160, 90}));
  EXPECT_EQ(r.NameOrOrdinal(), "");
  EXPECT_EQ(r.NameOrOrdinal(), "OvxPageClass");
  EXPECT_EQ(r.Text(), "Extended");
  EXPECT_EQ(r.Word(), 8) << "point size";
  EXPECT_EQ(r.Word(), 700) << "weight";
  EXPECT_EQ(r.Read(1), 1u) << "italic";
  EXPECT_EQ(r.Read(1), 0u) << "charset";
  EXPECT_EQ(r.Text(), "MS Shell Dlg");
  ExpectItems(r, true,
              {
                  {kChild | WS_GROUP, 0, 0, 4, 4, 50, 8, 0xFFFFFFFF, "#130", "Label"},
                  {kChild | 0x22, 0, 77, 60, 4, 10, 14, 1017, "msctls_updown32", ""},
                  {kChild | WS_BORDER | WS_TABSTOP | 0x2000, WS_EX_STATICEDGE, 88, 4, 20, 50, 12, 1009, "#129", ""},
                  {kChild | WS_BORDER, 0, 0, 4, 40, 100, 40, 1018, "SysTreeView32", ""},
              });
}

TEST_F(Resources, NamedResourcesAndTheirSpellings) {
  for (const char* name : {"Options", "OPTIONS", "options"}) {
    SCOPED_TRACE(name);
    Reader r = Resource(a_, name, RT_DIALOG);
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.Dword(), (DWORD)(WS_POPUP | WS_BORDER | WS_SYSMENU)) << "the default style; no font";
    r.at = 18;
    EXPECT_EQ(r.NameOrOrdinal(), "");
    EXPECT_EQ(r.NameOrOrdinal(), "");
    EXPECT_EQ(r.Text(), "") << "no caption";
    ExpectItems(r, false, {{kChild | WS_TABSTOP, 0, 0, 30, 30, 40, 14, IDCANCEL, "#128", "Close"}});
  }
  EXPECT_EQ(FindResourceA(a_, "#101", RT_DIALOG), FindResourceA(a_, MAKEINTRESOURCE(101), RT_DIALOG));
  EXPECT_EQ(FindResourceA(a_, "#0x65", RT_DIALOG), nullptr);
  Reader data = Resource(a_, MAKEINTRESOURCE(700), "OvxData");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.data), data.size), std::string("OVX\0\1\2", 6));
}

TEST_F(Resources, MenuTemplateRoundTrips) {
  Reader r = Resource(a_, MAKEINTRESOURCE(200), RT_MENU);
  ASSERT_NE(r.data, nullptr);
  EXPECT_EQ(r.Dword(), 0u) << "MENUITEMTEMPLATEHEADER";
  struct Entry {
    int depth;
    WORD flags, id;
    std::string text;
    bool operator==(const Entry&) const = default;
  };
  std::vector<Entry> entries;
  auto read = [&](auto& self, int depth) -> void {
    for (;;) {
      Entry e{depth, r.Word(), 0, ""};
      if (!(e.flags & MF_POPUP)) e.id = r.Word();
      e.text = r.Text();
      entries.push_back(e);
      if (r.overrun) return;
      if (e.flags & MF_POPUP) self(self, depth + 1);
      if (e.flags & MF_END) return;
    }
  };
  read(read, 0);
  std::vector<Entry> expected = {
      {0, MF_POPUP, 0, "&File"},
      {1, 0, 2001, "&Open...\tCtrl+O"},
      {1, 0, 0, ""},
      {1, MF_GRAYED | MF_END, 2002, "E&xit"},
      {0, MF_POPUP | MF_CHECKED, 0, "&View"},
      {1, MF_CHECKED | MF_DISABLED, 2003, "&Zoom"},
      {1, MF_POPUP | MF_END, 0, "&More"},
      {2, MF_MENUBREAK | MF_END, 2004, "Deep"},
      {0, MF_HELP | MF_END, 2005, "&Help"},
  };
  EXPECT_EQ(entries.size(), expected.size());
  for (size_t i = 0; i < std::min(entries.size(), expected.size()); ++i) {
    SCOPED_TRACE(expected[i].text);
    EXPECT_EQ(entries[i].depth, expected[i].depth);
    EXPECT_EQ(entries[i].flags, expected[i].flags);
    EXPECT_EQ(entries[i].id, expected[i].id);
    EXPECT_EQ(entries[i].text, expected[i].text);
  }
  EXPECT_EQ(r.at, r.size);
}

TEST_F(Resources, AcceleratorTableRoundTrips) {
  Reader r = Resource(a_, MAKEINTRESOURCE(300), RT_ACCELERATOR);
  ASSERT_EQ(r.size, 5u * 8) << "ACCELTABLEENTRY is 8 bytes";
  struct Want {
    WORD flags, key, id;
  } wants[] = {
      {0x01 | 0x08, 'O', 2001},  // "o" as a VIRTKEY is the O key
      {0, 'x', 2002},
      {0, 26, 2003},  // "^Z"
      {0x01 | 0x02, VK_F1, 2005},
      {0x01 | 0x04 | 0x10 | 0x80, 0x5A, 2004},  // the last entry is marked
  };
  for (const Want& w : wants) {
    SCOPED_TRACE(w.id);
    EXPECT_EQ(r.Word(), w.flags);
    EXPECT_EQ(r.Word(), w.key);
    EXPECT_EQ(r.Word(), w.id);
    EXPECT_EQ(r.Word(), 0);
  }
  auto table = host::kernel::FindAcceleratorTable(a_, MAKEINTRESOURCE(300));
  ASSERT_TRUE(table.has_value());
  ASSERT_EQ(table->size(), 5u);
  EXPECT_EQ((*table)[4].flags, 0x15) << "the end mark is not an ACCEL flag";
  EXPECT_EQ((*table)[0].key, 'O');
  EXPECT_FALSE(host::kernel::FindAcceleratorTable(b_, MAKEINTRESOURCE(300)).has_value());
}

TEST_F(Resources, BitmapIsTheFileWithoutItsFileHeader) {
  Reader r = Resource(a_, MAKEINTRESOURCE(400), RT_BITMAP);
  ASSERT_EQ(r.size, 40u + 2 * 12);
  EXPECT_EQ(r.Dword(), 40u);
  EXPECT_EQ(r.Dword(), 3u);
  EXPECT_EQ(r.Dword(), 2u);
  EXPECT_EQ(r.Word(), 1);
  EXPECT_EQ(r.Word(), 24);
  r.at = 40;
  EXPECT_EQ(r.Read(3), 0x0000FFu) << "first pixel: blue (BGR)";
}

TEST_F(Resources, IconAndCursorGroupsNameTheirImages) {
  struct GroupEntry {
    int width, height, planes, bits;
    DWORD bytes;
    WORD id;
  };
  auto readIconGroup = [&](LPCSTR name) {
    Reader r = Resource(a_, name, RT_GROUP_ICON);
    EXPECT_EQ(r.Word(), 0);
    EXPECT_EQ(r.Word(), 1);
    std::vector<GroupEntry> entries(r.Word());
    for (GroupEntry& e : entries) {
      e.width = r.Read(1), e.height = r.Read(1);
      r.Read(2);  // colours, reserved
      e.planes = r.Word(), e.bits = r.Word(), e.bytes = r.Dword(), e.id = r.Word();
    }
    EXPECT_EQ(r.at, r.size);
    return entries;
  };
  const DWORD small = 40 + 8 + 16 * 4 * 2, large = 40 + 8 + 32 * 4 * 2;
  struct Case {
    LPCSTR group;
    WORD firstId;
  } cases[] = {{MAKEINTRESOURCE(500), 1}, {"NAMEDICON", 3}};
  for (const Case& c : cases) {
    std::vector<GroupEntry> entries = readIconGroup(c.group);
    ASSERT_EQ(entries.size(), 2u);
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(entries[i].width, i ? 32 : 16);
      EXPECT_EQ(entries[i].height, i ? 32 : 16);
      EXPECT_EQ(entries[i].planes, 1);
      EXPECT_EQ(entries[i].bits, 1);
      EXPECT_EQ(entries[i].bytes, i ? large : small);
      EXPECT_EQ(entries[i].id, c.firstId + i);
      Reader image = Resource(a_, MAKEINTRESOURCE(entries[i].id), RT_ICON);
      EXPECT_EQ(image.size, entries[i].bytes);
      EXPECT_EQ(image.Dword(), 40u);
      EXPECT_EQ(image.Dword(), (DWORD)entries[i].width);
      EXPECT_EQ(image.Dword(), (DWORD)entries[i].height * 2) << "XOR and AND masks";
    }
  }
  Reader group = Resource(a_, MAKEINTRESOURCE(500), RT_GROUP_ICON);
  struct Lookup {
    int cx, cy, id;
  } lookups[] = {{16, 16, 1}, {32, 32, 2}, {0, 0, 2}, {20, 20, 1}, {48, 48, 2}};
  for (const Lookup& l : lookups)
    EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data), TRUE, l.cx, l.cy, 0), l.id) << l.cx;
  EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data), FALSE, 16, 16, 0), 0) << "not a cursor group";

  host::kernel::ResourceBytes icon = host::kernel::FindIconImage(a_, "NamedIcon", false, 16, 16);
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon.size, small);
  EXPECT_EQ(icon.data, Resource(a_, MAKEINTRESOURCE(3), RT_ICON).data);

  Reader cursorGroup = Resource(a_, MAKEINTRESOURCE(600), RT_GROUP_CURSOR);
  EXPECT_EQ(cursorGroup.Word(), 0);
  EXPECT_EQ(cursorGroup.Word(), 2);
  EXPECT_EQ(cursorGroup.Word(), 1);
  EXPECT_EQ(cursorGroup.Word(), 16) << "width";
  EXPECT_EQ(cursorGroup.Word(), 32) << "height of both masks";
  EXPECT_EQ(cursorGroup.Word(), 1) << "planes";
  EXPECT_EQ(cursorGroup.Word(), 1) << "bits";
  EXPECT_EQ(cursorGroup.Dword(), small + 4) << "hot spot and image";
  EXPECT_EQ(cursorGroup.Word(), 1);
  host::kernel::ResourceBytes cursor = host::kernel::FindIconImage(a_, MAKEINTRESOURCE(600), true, 0, 0);
  ASSERT_TRUE(cursor);
  Reader image{cursor.data, cursor.size};
  EXPECT_EQ(image.Word(), 3) << "hot spot x";
  EXPECT_EQ(image.Word(), 5) << "hot spot y";
  EXPECT_EQ(image.Dword(), 40u);
}

TEST_F(Resources, LoadStringTruncatesAndFindsEveryBlock) {
  struct Case {
    UINT id;
    int buffer;
    int result;
    std::string text;
  } cases[] = {
      {1, 64, 5, "First"},  // the English string before the German one
      {2, 64, 10, "Second\tTab"},
      {15, 64, 27, "A longer string to truncate"},
      {15, 9, 8, "A longer"},
      {15, 1, 0, ""},
      {16, 64, 10, "Next block"},
      {17, 64, 8, "Say \"hi\""},
      {1000, 64, 6, "Caf\xe9 \x80"},
      {3, 64, 0, ""},   // a gap in a block
      {40, 64, 0, ""},  // a block that does not exist
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    char buffer[64];
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(LoadStringA(a_, c.id, buffer, c.buffer), c.result);
    EXPECT_EQ(std::string(buffer), c.text);
  }
  char untouched[4] = "abc";
  EXPECT_EQ(LoadStringA(a_, 1, untouched, 0), 0) << "no room: nothing written";
  EXPECT_STREQ(untouched, "abc");
  EXPECT_EQ(LoadStringA(a_, 1, nullptr, 10), 0);

  Reader block = Resource(a_, MAKEINTRESOURCE(1), RT_STRING);
  EXPECT_EQ(block.size, 16u * 2 + 2 * (5 + 10 + 27)) << "ids 0 to 15: sixteen counted strings";
  EXPECT_EQ(block.Word(), 0) << "id 0 is empty";
  EXPECT_EQ(block.Word(), 5);
}

TEST_F(Resources, LanguagesChooseAmongVersions) {
  auto caption = [&](HRSRC found) {
    if (!found) return std::string("(none)");
    Reader r{static_cast<const BYTE*>(LockResource(LoadResource(a_, found))), SizeofResource(a_, found)};
    r.at = 18;
    r.NameOrOrdinal();
    r.NameOrOrdinal();
    return r.Text();
  };
  struct Case {
    WORD language;
    std::string caption;
  } cases[] = {
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), "Classic \"dialog\""},
      {MAKELANGID(LANG_GERMAN, SUBLANG_DEFAULT), "Deutsch"},
      {MAKELANGID(LANG_GERMAN, SUBLANG_NEUTRAL), "Deutsch"},
      {MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), "Classic \"dialog\""},
      {MAKELANGID(LANG_FRENCH, SUBLANG_DEFAULT), "(none)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    EXPECT_EQ(caption(FindResourceExA(a_, RT_DIALOG, MAKEINTRESOURCE(101), c.language)), c.caption);
  }
  SetLastError(0);
  EXPECT_EQ(FindResourceExA(a_, RT_DIALOG, MAKEINTRESOURCE(101), MAKELANGID(LANG_FRENCH, SUBLANG_DEFAULT)), nullptr);
  EXPECT_EQ(GetLastError(), 1815u) << "ERROR_RESOURCE_LANG_NOT_FOUND";
  EXPECT_EQ(caption(FindResourceA(a_, MAKEINTRESOURCE(101), RT_DIALOG)), "Classic \"dialog\"");
}

TEST_F(Resources, EachModuleOwnsItsResources) {
  auto caption = [&](HMODULE module) {
    Reader r = Resource(module, MAKEINTRESOURCE(101), RT_DIALOG);
    r.at = 18;
    r.NameOrOrdinal();
    r.NameOrOrdinal();
    return r.Text();
  };
  EXPECT_EQ(caption(a_), "Classic \"dialog\"");
  EXPECT_EQ(caption(b_), "From B");
  char text[32];
  EXPECT_EQ(LoadStringA(b_, 1, text, sizeof text), 10);
  EXPECT_STREQ(text, "First of B");

  HRSRC fromA = FindResourceA(a_, MAKEINTRESOURCE(101), RT_DIALOG);
  SetLastError(0);
  EXPECT_EQ(LoadResource(b_, fromA), nullptr) << "a resource of another module";
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
  EXPECT_EQ(SizeofResource(b_, fromA), 0u);
  EXPECT_EQ(LoadResource(a_, reinterpret_cast<HRSRC>(text)), nullptr) << "not a resource handle";
  EXPECT_FALSE(FreeResource(LoadResource(a_, fromA)));

  struct Missing {
    HMODULE module;
    LPCSTR name, type;
    DWORD error;
  } missing[] = {
      {b_, MAKEINTRESOURCE(200), RT_MENU, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {b_, MAKEINTRESOURCE(102), RT_DIALOG, ERROR_RESOURCE_NAME_NOT_FOUND},
      {a_, "NOSUCH", RT_DIALOG, ERROR_RESOURCE_NAME_NOT_FOUND},
      {reinterpret_cast<HMODULE>(text), MAKEINTRESOURCE(101), RT_DIALOG, ERROR_INVALID_HANDLE},
      {LoadLibraryA("TESTA.DLL"), MAKEINTRESOURCE(101), RT_DIALOG, ERROR_RESOURCE_DATA_NOT_FOUND},
      // The boot process has no program: the system module, which holds images but no dialogs.
      {nullptr, MAKEINTRESOURCE(101), RT_DIALOG, ERROR_RESOURCE_TYPE_NOT_FOUND},
  };
  for (const Missing& m : missing) {
    SCOPED_TRACE(m.error);
    SetLastError(0);
    EXPECT_EQ(FindResourceA(m.module, m.name, m.type), nullptr);
    EXPECT_EQ(GetLastError(), m.error);
  }
  EXPECT_EQ(LoadStringA(nullptr, 1, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
}

}  // namespace
