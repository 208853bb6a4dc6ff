#include "picture_files.h"

#include <gtest/gtest.h>

#include <cstring>

namespace page_testing {
namespace {

void PutWord(std::string& out, DWORD value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void PutDword(std::string& out, DWORD value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}

std::string InfoHeader(const PictureLayout& layout) {
  std::string h;
  PutDword(h, 40);
  PutDword(h, static_cast<DWORD>(layout.width));
  PutDword(h, static_cast<DWORD>(layout.height));
  PutWord(h, 1);
  PutWord(h, static_cast<DWORD>(layout.bitCount));
  PutDword(h, BI_RGB);
  PutDword(h, layout.imageSize);
  PutDword(h, 2835);
  PutDword(h, 2835);
  PutDword(h, layout.colourCount);
  PutDword(h, 0);
  return h;
}

std::string CoreHeader(const PictureLayout& layout) {
  std::string h;
  PutDword(h, 12);
  PutWord(h, static_cast<DWORD>(layout.width));
  PutWord(h, static_cast<DWORD>(layout.height));
  PutWord(h, 1);
  PutWord(h, static_cast<DWORD>(layout.bitCount));
  return h;
}

std::string ColourTable(const PictureLayout& layout) {
  std::string t;
  for (const RGBQUAD& q : layout.colours) {
    t += static_cast<char>(q.rgbBlue);
    t += static_cast<char>(q.rgbGreen);
    t += static_cast<char>(q.rgbRed);
    if (!layout.core) t += '\0';
  }
  return t;
}

std::string Bits(const PictureLayout& layout) {
  if (!layout.bits.empty()) return std::string(layout.bits.begin(), layout.bits.end());
  std::string bits(ImageBytes(layout.width, layout.height, layout.bitCount), '\0');
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<char>(i * 7);
  return bits;
}

}  // namespace

DWORD ImageBytes(int width, int height, int bitCount) {
  return static_cast<DWORD>((width * bitCount + 31) / 32 * 4 * (height < 0 ? -height : height));
}

std::string PictureFile(const PictureLayout& layout) {
  std::string body = (layout.core ? CoreHeader(layout) : InfoHeader(layout)) + ColourTable(layout);
  std::string bits = Bits(layout);
  if (!layout.fileHeader) return body + bits;
  std::string file = "BM";
  DWORD offset = 14 + static_cast<DWORD>(body.size()) + layout.gap;
  PutDword(file, offset + static_cast<DWORD>(bits.size()));
  PutDword(file, 0);
  PutDword(file, offset);
  return file + body + std::string(layout.gap, '\x5A') + bits;
}

RGBQUAD Grey(BYTE level) { return RGBQUAD{level, level, level, 0}; }

std::vector<RGBQUAD> SampleColours(int count) {
  std::vector<RGBQUAD> colours;
  for (int i = 0; i < count; ++i)
    colours.push_back(RGBQUAD{static_cast<BYTE>(i * 37), static_cast<BYTE>(255 - i * 11), static_cast<BYTE>(i * 5), 0});
  return colours;
}

LoadedPicture ReadBlock(HGLOBAL block) {
  LoadedPicture picture{};
  const auto* data = static_cast<const BYTE*>(GlobalLock(block));
  if (!data) {
    ADD_FAILURE() << "the block does not lock";
    return picture;
  }
  std::memcpy(&picture.header, data, sizeof picture.header);
  const BITMAPINFOHEADER& h = picture.header;
  DWORD colours = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? 1u << h.biBitCount : 0);
  const auto* table = reinterpret_cast<const RGBQUAD*>(data + 40);
  picture.colours.assign(table, table + colours);
  const BYTE* bits = data + 40 + 4 * colours;
  picture.bits.assign(bits, bits + h.biSizeImage);
  EXPECT_EQ(GlobalSize(block), 40 + 4 * colours + h.biSizeImage);
  GlobalUnlock(block);
  return picture;
}

}  // namespace page_testing

bool operator==(const RGBQUAD& a, const RGBQUAD& b) {
  return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

std::ostream& operator<<(std::ostream& out, const RGBQUAD& q) {
  return out << "(" << int(q.rgbRed) << "," << int(q.rgbGreen) << "," << int(q.rgbBlue) << ")";
}
