// LoadBackgroundBitmap: the picture file into one moveable block (40-byte header, colour table, bits), its
// colours re-tinted to the button face. The file is checked before anything is allocated, so a damaged header
// cannot make the block overflow or leave a later StretchDIBits reading past its end.
#include <algorithm>
#include <cstring>

#include "background_colours.h"
#include "page_background.h"

namespace {

constexpr DWORD kFileHeaderBytes = 14;
constexpr DWORD kCoreHeaderBytes = 12;
constexpr DWORD kInfoHeaderBytes = 40;
constexpr UINT kPieceBytes = 32768;
constexpr LONG kLargestSide = 32767;
// Far beyond any page's picture; keeps every size below well inside 32 bits.
constexpr unsigned long long kLargestBlock = 64ull << 20;

WORD WordAt(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }
DWORD DwordAt(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24; }

bool ReadExactly(HFILE file, void* buffer, UINT bytes) { return _lread(file, buffer, bytes) == bytes; }

// What the file says about the picture, in the 40-byte form.
struct Picture {
  BITMAPINFOHEADER header;
  bool core;         // colour entries are 3 bytes
  DWORD colours;     // entries in the colour table
  DWORD bitsOffset;  // from the file header; 0 when there is none
  DWORD headerEnd;   // file offset after the header
  DWORD imageBytes;  // the rows the header promises, each padded to 4 bytes
  DWORD entryBytes() const { return core ? 3 : 4; }
  DWORD tableBytes() const { return colours * 4; }
  DWORD blockBytes() const { return kInfoHeaderBytes + tableBytes() + imageBytes; }
};

// Skips a leading BITMAPFILEHEADER ("BM") and keeps its offset of the bits; otherwise reads from the start.
bool SkipFileHeader(HFILE file, Picture& picture) {
  BYTE head[kFileHeaderBytes];
  if (!ReadExactly(file, head, 2)) return false;
  if (head[0] == 'B' && head[1] == 'M') {
    if (!ReadExactly(file, head + 2, kFileHeaderBytes - 2)) return false;
    picture.bitsOffset = DwordAt(head + 10);
    picture.headerEnd = kFileHeaderBytes;
    return true;
  }
  picture.bitsOffset = 0;
  picture.headerEnd = 0;
  return _llseek(file, 0, FILE_BEGIN) == 0;
}

void ReadCoreFields(const BYTE* p, BITMAPINFOHEADER& h) {
  h.biWidth = WordAt(p + 4);
  h.biHeight = WordAt(p + 6);
  h.biPlanes = WordAt(p + 8);
  h.biBitCount = WordAt(p + 10);
}

void ReadInfoFields(const BYTE* p, BITMAPINFOHEADER& h) {
  h.biWidth = static_cast<LONG>(DwordAt(p + 4));
  h.biHeight = static_cast<LONG>(DwordAt(p + 8));
  h.biPlanes = WordAt(p + 12);
  h.biBitCount = WordAt(p + 14);
  h.biCompression = DwordAt(p + 16);
  h.biSizeImage = DwordAt(p + 20);
  h.biXPelsPerMeter = static_cast<LONG>(DwordAt(p + 24));
  h.biYPelsPerMeter = static_cast<LONG>(DwordAt(p + 28));
  h.biClrUsed = DwordAt(p + 32);
  h.biClrImportant = DwordAt(p + 36);
}

// A core header is 12 bytes, an info header 40; any other size is refused rather than read into 40 bytes.
bool ReadHeaderFields(HFILE file, Picture& picture) {
  BYTE raw[kInfoHeaderBytes];
  if (!ReadExactly(file, raw, 4)) return false;
  DWORD size = DwordAt(raw);
  if (size != kCoreHeaderBytes && size != kInfoHeaderBytes) return false;
  if (!ReadExactly(file, raw + 4, size - 4)) return false;
  BITMAPINFOHEADER& h = picture.header;
  std::memset(&h, 0, sizeof h);
  h.biSize = kInfoHeaderBytes;
  picture.core = size == kCoreHeaderBytes;
  if (picture.core)
    ReadCoreFields(raw, h);
  else
    ReadInfoFields(raw, h);
  picture.headerEnd += size;
  return true;
}

bool TakesBitCount(const Picture& picture) {
  switch (picture.header.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return true;
    case 16:
    case 32:
      return !picture.core;
    default:
      return false;
  }
}

// 2, 16 or 256 entries up to 8 bits per pixel, none above, unless the header states a count; a count beyond
// what the pixels can address (or beyond 256) is a damaged header.
bool CountColours(Picture& picture) {
  const BITMAPINFOHEADER& h = picture.header;
  DWORD full = h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
  DWORD stated = picture.core ? 0 : h.biClrUsed;
  if (stated > (full ? full : 256)) return false;
  picture.colours = stated ? stated : full;
  return true;
}

// The bits always cover every row the header promises: a smaller stated image size is not trusted.
bool SizeImage(Picture& picture) {
  BITMAPINFOHEADER& h = picture.header;
  long long rows = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  if (h.biWidth <= 0 || h.biWidth > kLargestSide || rows == 0 || rows > kLargestSide) return false;
  unsigned long long stride = (static_cast<unsigned long long>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
  unsigned long long image = stride * static_cast<unsigned long long>(rows);
  if (kInfoHeaderBytes + picture.colours * 4ull + image > kLargestBlock) return false;
  picture.imageBytes = static_cast<DWORD>(image);
  h.biSizeImage = picture.imageBytes;
  return true;
}

bool ReadHeader(HFILE file, Picture& picture) {
  if (!SkipFileHeader(file, picture) || !ReadHeaderFields(file, picture)) return false;
  const BITMAPINFOHEADER& h = picture.header;
  if (h.biPlanes != 1 || h.biCompression != BI_RGB || !TakesBitCount(picture)) return false;
  return CountColours(picture) && SizeImage(picture);
}

// Core entries are widened from 3 to 4 bytes; every entry takes the button face's hue and saturation.
bool ReadColourTable(HFILE file, const Picture& picture, RGBQUAD* table) {
  BYTE raw[256 * 4];
  UINT bytes = picture.colours * picture.entryBytes();
  if (bytes && !ReadExactly(file, raw, bytes)) return false;
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (DWORD i = 0; i < picture.colours; ++i) {
    const BYTE* entry = raw + i * picture.entryBytes();
    table[i] = RetintToFace(RGBQUAD{entry[0], entry[1], entry[2], 0}, face);
  }
  return true;
}

// A file header that places the bits beyond the colour table is followed; one pointing inside the headers is
// not, and the bits are taken to follow the table.
bool SeekToBits(HFILE file, const Picture& picture) {
  DWORD tableEnd = picture.headerEnd + picture.colours * picture.entryBytes();
  if (picture.bitsOffset <= tableEnd) return true;
  return _llseek(file, static_cast<LONG>(picture.bitsOffset), FILE_BEGIN) == static_cast<LONG>(picture.bitsOffset);
}

bool ReadBits(HFILE file, BYTE* bits, DWORD bytes) {
  for (DWORD done = 0; done < bytes;) {
    UINT piece = static_cast<UINT>(std::min<DWORD>(bytes - done, kPieceBytes));
    if (!ReadExactly(file, bits + done, piece)) return false;
    done += piece;
  }
  return true;
}

bool ReadBody(HFILE file, const Picture& picture, BYTE* block) {
  std::memcpy(block, &picture.header, kInfoHeaderBytes);
  auto* table = reinterpret_cast<RGBQUAD*>(block + kInfoHeaderBytes);
  return ReadColourTable(file, picture, table) && SeekToBits(file, picture) &&
         ReadBits(file, block + kInfoHeaderBytes + picture.tableBytes(), picture.imageBytes);
}

HGLOBAL ReadPicture(HFILE file) {
  Picture picture{};
  if (!ReadHeader(file, picture)) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, picture.blockBytes());
  if (!block) return nullptr;
  auto* data = static_cast<BYTE*>(GlobalLock(block));
  bool read = data && ReadBody(file, picture, data);
  if (data) GlobalUnlock(block);
  if (read) return block;
  GlobalFree(block);
  return nullptr;
}

}  // namespace

HGLOBAL LoadBackgroundBitmap(LPCSTR fileName) {
  OFSTRUCT found{};
  HFILE file = OpenFile(fileName, &found, OF_READ | OF_SHARE_DENY_WRITE);
  if (file == HFILE_ERROR) return nullptr;
  HGLOBAL block = ReadPicture(file);
  _lclose(file);
  return block;
}
