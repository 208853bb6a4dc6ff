// LoadBackgroundBitmap: header forms, pieces, the search order, re-tinting, and damaged files refused without
// leaving a block, a lock or an open file behind.
#include <host/memory.h>
#include <host_testing/station_fixture.h>

#include <algorithm>
#include <functional>

#include "background_colours.h"
#include "page_background.h"
#include "picture_files.h"

namespace page_testing {
namespace {

constexpr char kPicturePath[] = "C:\\WINDOWS\\ovxbkgnd.bmp";

void SetButtonFace(COLORREF colour) {
  int element = COLOR_BTNFACE;
  SetSysColors(1, &element, &colour);
}

class BackgroundLoader : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    SetButtonFace(RGB(192, 192, 192));
  }
  HGLOBAL LoadFile(const std::string& bytes) {
    WriteStationFile(kPicturePath, bytes);
    return LoadBackgroundBitmap(kBackgroundFileName);
  }
  // The loader let go of the file: nobody else has it open.
  bool FileIsClosed() {
    HANDLE file = CreateFileA(kPicturePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }
};

std::vector<RGBQUAD> GreysOf(const std::vector<RGBQUAD>& colours) {
  std::vector<RGBQUAD> greys;
  for (const RGBQUAD& q : colours) greys.push_back(Grey(std::max({q.rgbRed, q.rgbGreen, q.rgbBlue})));
  return greys;
}

TEST_F(BackgroundLoader, EveryHeaderFormGivesTheSameBlock) {
  struct Case {
    const char* name;
    bool fileHeader, core;
  } cases[] = {{"info header after BM", true, false},
               {"bare info header", false, false},
               {"core header after BM", true, true},
               {"bare core header", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureLayout layout;
    layout.fileHeader = c.fileHeader;
    layout.core = c.core;
    layout.colours = SampleColours(16);
    HGLOBAL block = LoadFile(PictureFile(layout));
    ASSERT_NE(block, nullptr);
    LoadedPicture loaded = ReadBlock(block);
    const BITMAPINFOHEADER& h = loaded.header;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 4);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(h.biSizeImage, 8u);  // computed: two rows of 4 bytes
    EXPECT_EQ(h.biClrUsed, 0u);
    // A grey button face has no hue or saturation: every entry becomes the grey of its own value.
    EXPECT_EQ(loaded.colours, GreysOf(layout.colours));
    EXPECT_EQ(loaded.bits, (std::vector<BYTE>{0, 7, 14, 21, 28, 35, 42, 49}));
    GlobalFree(block);
  }
}

TEST_F(BackgroundLoader, BitsBeyondOnePieceArriveWholeAndInOrder) {
  PictureLayout layout;
  layout.bitCount = 8;
  layout.width = 301;  // rows padded to 304 bytes
  layout.height = 230;
  layout.colours = SampleColours(256);
  for (DWORD i = 0; i < ImageBytes(301, 230, 8); ++i) layout.bits.push_back(static_cast<BYTE>(i * 13 + i / 32768));
  HGLOBAL block = LoadFile(PictureFile(layout));
  ASSERT_NE(block, nullptr);
  LoadedPicture loaded = ReadBlock(block);
  EXPECT_EQ(loaded.header.biSizeImage, 304u * 230u);  // three pieces: 32768, 32768 and 4384 bytes
  EXPECT_EQ(loaded.bits, layout.bits);
  GlobalFree(block);
}

TEST_F(BackgroundLoader, LayoutVariantsThatStillDescribeAPicture) {
  struct Case {
    const char* name;
    std::function<void(PictureLayout&)> change;
    DWORD colours;
  } cases[] = {
      {"a stated count shortens the colour table", [](PictureLayout& s) { s.colourCount = 5; }, 5},
      {"a gap before the bits, as the file header says", [](PictureLayout& s) { s.gap = 6; }, 16},
      {"rows stored top-down", [](PictureLayout& s) { s.height = -2; }, 16},
      {"a stated image size larger than the rows", [](PictureLayout& s) { s.imageSize = 4000; }, 16},
      {"a 24-bit picture has no colour table", [](PictureLayout& s) { s.bitCount = 24; }, 0},
      {"a 24-bit picture with a stated table", [](PictureLayout& s) { s.bitCount = 24, s.colourCount = 3; }, 3},
      {"16 bits per pixel", [](PictureLayout& s) { s.bitCount = 16; }, 0},
      {"32 bits per pixel", [](PictureLayout& s) { s.bitCount = 32; }, 0},
      {"1 bit per pixel", [](PictureLayout& s) { s.bitCount = 1; }, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureLayout layout;
    c.change(layout);
    layout.colours = SampleColours(static_cast<int>(c.colours));
    HGLOBAL block = LoadFile(PictureFile(layout));
    ASSERT_NE(block, nullptr);
    LoadedPicture loaded = ReadBlock(block);
    EXPECT_EQ(loaded.header.biHeight, layout.height);
    EXPECT_EQ(loaded.colours, GreysOf(layout.colours));
    std::vector<BYTE> expected;
    for (DWORD i = 0; i < ImageBytes(layout.width, layout.height, layout.bitCount); ++i)
      expected.push_back(static_cast<BYTE>(i * 7));
    EXPECT_EQ(loaded.bits, expected);
    GlobalFree(block);
  }
}

TEST_F(BackgroundLoader, ColoursTakeTheButtonFacesHueAndSaturation) {
  SetButtonFace(RGB(0, 0, 255));
  PictureLayout layout;
  layout.colours = {Grey(0), Grey(64), Grey(128), Grey(255), RGBQUAD{40, 200, 10, 0}};
  layout.colourCount = 5;
  HGLOBAL block = LoadFile(PictureFile(layout));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(ReadBlock(block).colours,
            (std::vector<RGBQUAD>{{0, 0, 0, 0}, {64, 0, 0, 0}, {128, 0, 0, 0}, {255, 0, 0, 0}, {200, 0, 0, 0}}));
  GlobalFree(block);
}

TEST(BackgroundColours, RetintKeepsTheValueAndTakesHueAndSaturation) {
  struct Case {
    COLORREF face;
    RGBQUAD entry, expected;  // blue, green, red
  } cases[] = {
      {RGB(192, 192, 192), {50, 100, 200, 0}, {200, 200, 200, 0}},  // a grey face: greys of the same value
      {RGB(255, 255, 255), {0, 0, 90, 0}, {90, 90, 90, 0}},
      {RGB(0, 0, 255), {128, 128, 128, 0}, {128, 0, 0, 0}},  // hue 240, full saturation
      {RGB(0, 0, 128), {255, 255, 255, 0}, {255, 0, 0, 0}},  // the face's own value does not matter
      {RGB(255, 0, 0), {30, 20, 10, 0}, {0, 0, 30, 0}},
      {RGB(10, 20, 30), {0, 0, 0, 0}, {0, 0, 0, 0}},  // black stays black
      // One face in each sixth of the hue circle reproduces itself on white and scales with the value.
      {RGB(255, 128, 0), {255, 255, 255, 0}, {0, 128, 255, 0}},
      {RGB(255, 128, 0), {200, 200, 200, 0}, {0, 100, 200, 0}},  // 200 x 128 / 255 = 100.4
      {RGB(128, 255, 0), {255, 255, 255, 0}, {0, 255, 128, 0}},
      {RGB(0, 255, 128), {255, 255, 255, 0}, {128, 255, 0, 0}},
      {RGB(0, 128, 255), {255, 255, 255, 0}, {255, 128, 0, 0}},
      {RGB(0, 128, 255), {128, 128, 128, 0}, {128, 64, 0, 0}},  // 128 x 128 / 255 = 64.25
      {RGB(128, 0, 255), {255, 255, 255, 0}, {255, 0, 128, 0}},
      {RGB(255, 0, 128), {255, 255, 255, 0}, {128, 0, 255, 0}},
      {RGB(128, 128, 255), {100, 100, 100, 0}, {100, 50, 50, 0}},  // saturation 127/255: 100 x 128 / 255 = 50.2
      {RGB(128, 128, 255), {0, 0, 255, 0}, {255, 128, 128, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "face " << std::hex << c.face << " entry " << c.entry);
    EXPECT_EQ(RetintToFace(c.entry, c.face), c.expected);
  }
}

TEST_F(BackgroundLoader, TheSearchGoesCurrentFolderThenWindowsThenSystem) {
  const char* folders[] = {"C:\\PICTURES", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"};
  struct Case {
    const char* name;
    bool present[3];
    int found;  // index of the folder whose picture loads; -1: none
  } cases[] = {{"everywhere", {true, true, true}, 0},
               {"Windows and system folders", {false, true, true}, 1},
               {"current and system folders", {true, false, true}, 0},
               {"system folder only", {false, false, true}, 2},
               {"nowhere", {false, false, false}, -1}};
  CreateDirectoryA(folders[0], nullptr);
  ASSERT_TRUE(SetCurrentDirectoryA(folders[0]));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int i = 0; i < 3; ++i) {
      std::string path = std::string(folders[i]) + "\\" + kBackgroundFileName;
      DeleteFileA(path.c_str());
      PictureLayout layout;
      layout.width = 1 + i;  // tells the copies apart
      layout.colours = SampleColours(16);
      if (c.present[i]) WriteStationFile(path, PictureFile(layout));
    }
    HGLOBAL block = LoadBackgroundBitmap(kBackgroundFileName);
    if (c.found < 0) {
      EXPECT_EQ(block, nullptr);
      continue;
    }
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(ReadBlock(block).header.biWidth, 1 + c.found);
    GlobalFree(block);
  }
  // A path is opened as it is, without a search.
  PictureLayout layout;
  layout.colours = SampleColours(16);
  WriteStationFile("C:\\PICTURES\\ovxbkgnd.bmp", PictureFile(layout));
  EXPECT_EQ(LoadBackgroundBitmap("C:\\WINDOWS\\SYSTEM\\ovxbkgnd.bmp"), nullptr);
  WriteStationFile("C:\\ELSEWHERE\\picture.bmp", PictureFile(layout));
  HGLOBAL block = LoadBackgroundBitmap("C:\\ELSEWHERE\\picture.bmp");
  EXPECT_NE(block, nullptr);
  GlobalFree(block);
}

// Offsets in a file with the "BM" header: the info header starts at 14.
constexpr size_t kHeaderSize = 14, kPlanes = 26, kBitCount = 28, kCompression = 30, kColourCount = 46;
constexpr size_t kCoreBitCount = 24;

std::string ValidFile(int bitCount = 4, int colours = 16) {
  PictureLayout layout;
  layout.bitCount = bitCount;
  layout.colours = SampleColours(colours);
  return PictureFile(layout);
}

std::string Changed(std::string file, size_t offset, DWORD value, int bytes = 4) {
  for (int k = 0; k < bytes; ++k) file[offset + k] = static_cast<char>(value >> (8 * k));
  return file;
}

std::string Sized(int width, int height, int bitCount) {
  PictureLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bitCount = bitCount;
  layout.bits = {1, 2, 3, 4};
  return PictureFile(layout);
}

TEST_F(BackgroundLoader, DamagedFilesGiveNoPictureAndLeaveNothingBehind) {
  std::string valid = ValidFile();
  PictureLayout core;
  core.core = true;
  core.bitCount = 24;
  std::string core24 = PictureFile(core);
  PictureLayout stated;
  stated.colours = SampleColours(16);
  stated.imageSize = 2;
  stated.bits = {1, 2};
  PictureLayout gap;
  gap.colours = SampleColours(16);
  gap.gap = 100;
  std::string pastEnd = PictureFile(gap);
  pastEnd.resize(pastEnd.size() - 108);
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"empty file", ""},
      {"one byte", "B"},
      {"only the file header", valid.substr(0, 14)},
      {"header cut short", valid.substr(0, 30)},
      {"header size 64", Changed(valid, kHeaderSize, 64)},
      {"header size 108", Changed(valid, kHeaderSize, 108)},
      {"header size beyond any buffer", Changed(valid, kHeaderSize, 0xFFFFFFF0)},
      {"header size 0", Changed(valid, kHeaderSize, 0)},
      {"two planes", Changed(valid, kPlanes, 2, 2)},
      {"3 bits per pixel", Changed(valid, kBitCount, 3, 2)},
      {"16 bits in a core header", Changed(core24, kCoreBitCount, 16, 2)},
      {"run-length compression", Changed(ValidFile(8, 256), kCompression, BI_RLE8)},
      {"bit-field compression", Changed(ValidFile(16, 0), kCompression, BI_BITFIELDS)},
      {"17 colours for 4 bits", Changed(valid, kColourCount, 17)},
      {"300 colours for 24 bits", Changed(ValidFile(24, 0), kColourCount, 300)},
      {"zero width", Sized(0, 2, 8)},
      {"negative width", Sized(-4, 2, 8)},
      {"width beyond 32767", Sized(40000, 1, 8)},
      {"zero height", Sized(4, 0, 8)},
      {"32767 x 32767 at 32 bits (4 GB of bits)", Sized(32767, 32767, 32)},
      {"32767 x -32767 at 24 bits", Sized(32767, -32767, 24)},
      {"colour table cut short", valid.substr(0, 54 + 30)},
      {"bits one byte short", valid.substr(0, valid.size() - 1)},
      {"a stated image size smaller than the rows, and only that much", PictureFile(stated)},
      {"the file header points past the end", pastEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int blocks = host::memory::LiveBlocks(), locked = host::memory::LockedBlocks();
    EXPECT_EQ(LoadFile(c.file), nullptr);
    EXPECT_EQ(host::memory::LiveBlocks(), blocks);
    EXPECT_EQ(host::memory::LockedBlocks(), locked);
    EXPECT_TRUE(FileIsClosed());
  }
}

TEST_F(BackgroundLoader, NoMemoryGivesNoPictureAndClosesTheFile) {
  WriteStationFile(kPicturePath, ValidFile());
  host::memory::FailAllocationsAfter(0);
  EXPECT_EQ(LoadBackgroundBitmap(kBackgroundFileName), nullptr);
  host::memory::ResetAllocationFaults();
  EXPECT_TRUE(FileIsClosed());
}

}  // namespace
}  // namespace page_testing
