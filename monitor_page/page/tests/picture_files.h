// Picture files for the background tests, written field by field as a paint program would, and what a loaded
// block holds.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace page_testing {

struct PictureLayout {
  bool fileHeader = true;  // a leading BITMAPFILEHEADER ("BM")
  bool core = false;       // a 12-byte BITMAPCOREHEADER (3-byte colour entries) instead of the 40-byte one
  int width = 3;
  int height = 2;  // negative: rows top-down
  int bitCount = 4;
  std::vector<RGBQUAD> colours;  // the colour table as written
  DWORD colourCount = 0;         // biClrUsed
  DWORD imageSize = 0;           // biSizeImage
  std::vector<BYTE> bits;        // empty: each byte is its offset times 7
  DWORD gap = 0;                 // bytes between the colour table and the bits, the file header pointing past them
};

// The padded size of the rows.
DWORD ImageBytes(int width, int height, int bitCount);
std::string PictureFile(const PictureLayout& layout);
// `count` entries of distinct colours, greys and not.
std::vector<RGBQUAD> SampleColours(int count);
RGBQUAD Grey(BYTE level);

// What a loaded block holds.
struct LoadedPicture {
  BITMAPINFOHEADER header;
  std::vector<RGBQUAD> colours;
  std::vector<BYTE> bits;
};
// Reads the block (header, the table the header implies, the bits) and checks its size matches them.
LoadedPicture ReadBlock(HGLOBAL block);

}  // namespace page_testing

// Colour entries compare and print by their colour; the reserved byte is ignored.
bool operator==(const RGBQUAD& a, const RGBQUAD& b);
std::ostream& operator<<(std::ostream& out, const RGBQUAD& q);
