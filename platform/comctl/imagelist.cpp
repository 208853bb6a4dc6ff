// Image lists: equally sized images, each with an optional monochrome mask
// (1 = transparent). Under a transparent pixel the stored image is black, so
// drawing is "AND the mask, then OR the image" with plain raster operations.

#include <algorithm>
#include <mutex>
#include <set>
#include <vector>

#include "comctl/comctl_internal.h"

struct _IMAGELIST {
  int cx = 0, cy = 0;
  UINT flags = 0;
  COLORREF background = CLR_NONE;
  struct Image {
    HBITMAP colour = nullptr;
    HBITMAP mask = nullptr;  // null without ILC_MASK
  };
  std::vector<Image> images;
};

namespace host::comctl {
namespace {

constexpr DWORD kMaskOut = 0x00220326;  // DSna: destination AND NOT source

std::mutex& ListsLock() {
  static std::mutex lock;
  return lock;
}
std::set<HIMAGELIST>& Lists() {
  static std::set<HIMAGELIST> lists;
  return lists;
}

bool Valid(HIMAGELIST list) {
  std::lock_guard guard(ListsLock());
  return list && Lists().count(list);
}

bool HasMask(const _IMAGELIST& list) { return (list.flags & ILC_MASK) != 0; }

// The 16 colours of the VGA palette: index 0 black, 15 white, as the mask operations need.
const RGBQUAD kVga[16] = {{0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
                          {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
                          {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
                          {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};

int DepthOf(UINT flags) {
  switch (flags & 0xFE) {
    case ILC_COLOR8:
      return 8;
    case ILC_COLOR16:
      return 16;
    case ILC_COLOR24:
      return 24;
    case ILC_COLOR32:
      return 32;
    case ILC_COLORDDB:
      return 0;
    default:
      return 4;  // ILC_COLOR and ILC_COLOR4
  }
}

// A colour image of the list's depth: a DIB section (paletted depths get the VGA colours, 8 bits
// add a colour cube with white last), or a bitmap compatible with the screen for ILC_COLORDDB.
HBITMAP NewColourBitmap(const _IMAGELIST& list) {
  int depth = DepthOf(list.flags);
  if (depth == 0) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, list.cx, list.cy);
    ReleaseDC(nullptr, screen);
    return bitmap;
  }
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = list.cx;
  info.header.biHeight = list.cy;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(depth);
  info.header.biCompression = BI_RGB;
  if (depth == 4) {
    std::copy(std::begin(kVga), std::end(kVga), info.colours);
    info.header.biClrUsed = 16;
  } else if (depth == 8) {
    std::copy(std::begin(kVga), std::end(kVga) - 1, info.colours);
    int at = 15;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          info.colours[at++] = {static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(r * 51), 0};
    info.colours[255] = {255, 255, 255, 0};
    info.header.biClrUsed = 256;
  }
  void* bits = nullptr;
  return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
}

HBITMAP NewMaskBitmap(const _IMAGELIST& list) { return CreateBitmap(list.cx, list.cy, 1, 1, nullptr); }

// Two memory DCs with bitmaps selected, undone on destruction.
class Selected {
 public:
  explicit Selected(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) { old_ = SelectObject(dc_, bitmap); }
  ~Selected() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;
  HDC dc() const { return dc_; }
  bool ok() const { return old_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

void FreeImage(_IMAGELIST::Image& image) {
  if (image.colour) DeleteObject(image.colour);
  if (image.mask) DeleteObject(image.mask);
  image = {};
}

// Blackens the image under the mask's transparent pixels.
void ClearUnderMask(HBITMAP colour, HBITMAP mask, int cx, int cy) {
  Selected image(colour), bits(mask);
  SetBkColor(image.dc(), RGB(255, 255, 255));
  SetTextColor(image.dc(), RGB(0, 0, 0));
  BitBlt(image.dc(), 0, 0, cx, cy, bits.dc(), 0, 0, kMaskOut);
}

// Image `index` of a strip: its colours, and its mask from `maskStrip` or from the key colour.
bool CutImage(_IMAGELIST& list, HBITMAP strip, HBITMAP maskStrip, const COLORREF* key, int index,
              _IMAGELIST::Image* out) {
  _IMAGELIST::Image image;
  image.colour = NewColourBitmap(list);
  if (!image.colour) return false;
  Selected source(strip), target(image.colour);
  if (!source.ok()) {
    FreeImage(image);
    return false;
  }
  BitBlt(target.dc(), 0, 0, list.cx, list.cy, source.dc(), index * list.cx, 0, SRCCOPY);
  if (HasMask(list)) {
    image.mask = NewMaskBitmap(list);
    Selected mask(image.mask);
    if (key) {
      SetBkColor(source.dc(), *key);
      BitBlt(mask.dc(), 0, 0, list.cx, list.cy, source.dc(), index * list.cx, 0, SRCCOPY);
    } else if (maskStrip) {
      Selected given(maskStrip);
      SetBkColor(given.dc(), RGB(255, 255, 255));
      BitBlt(mask.dc(), 0, 0, list.cx, list.cy, given.dc(), index * list.cx, 0, SRCCOPY);
    } else {
      PatBlt(mask.dc(), 0, 0, list.cx, list.cy, BLACKNESS);  // all opaque
    }
  }
  *out = image;
  return true;
}

void FinishMask(_IMAGELIST& list, _IMAGELIST::Image& image) {
  if (image.mask) ClearUnderMask(image.colour, image.mask, list.cx, list.cy);
}

int AddStrip(HIMAGELIST list, HBITMAP strip, HBITMAP maskStrip, const COLORREF* key) {
  if (!Valid(list) || !strip) return -1;
  BITMAP info{};
  if (!GetObjectA(strip, sizeof info, &info) || info.bmWidth < list->cx) return -1;
  int count = info.bmWidth / list->cx;
  int first = static_cast<int>(list->images.size());
  for (int i = 0; i < count; ++i) {
    _IMAGELIST::Image image;
    if (!CutImage(*list, strip, maskStrip, key, i, &image)) break;
    FinishMask(*list, image);
    list->images.push_back(image);
  }
  if (static_cast<int>(list->images.size()) == first) return -1;
  return first;
}

// GetIconInfo is USER's; found at run time so image lists work with or without icon support.
bool ImageFromIcon(_IMAGELIST& list, HICON icon, _IMAGELIST::Image* out) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info) || !info.hbmMask) return false;
  BITMAP maskInfo{};
  GetObjectA(info.hbmMask, sizeof maskInfo, &maskInfo);
  int width = maskInfo.bmWidth;
  int height = info.hbmColor ? maskInfo.bmHeight : maskInfo.bmHeight / 2;  // a mono icon: AND over XOR
  _IMAGELIST::Image image;
  image.colour = NewColourBitmap(list);
  if (image.colour) {
    Selected target(image.colour), mask(info.hbmMask);
    SetStretchBltMode(target.dc(), COLORONCOLOR);
    if (info.hbmColor) {
      Selected colour(info.hbmColor);
      StretchBlt(target.dc(), 0, 0, list.cx, list.cy, colour.dc(), 0, 0, width, height, SRCCOPY);
    } else {
      StretchBlt(target.dc(), 0, 0, list.cx, list.cy, mask.dc(), 0, height, width, height, SRCCOPY);
    }
    if (HasMask(list)) {
      image.mask = NewMaskBitmap(list);
      Selected bits(image.mask);
      StretchBlt(bits.dc(), 0, 0, list.cx, list.cy, mask.dc(), 0, 0, width, height, SRCCOPY);
    }
  }
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (!image.colour) return false;
  FinishMask(list, image);
  *out = image;
  return true;
}

}  // namespace
}  // namespace host::comctl

using namespace host::comctl;

extern "C" {

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
  (void)cGrow;
  if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) return nullptr;
  auto* list = new _IMAGELIST;
  list->cx = cx;
  list->cy = cy;
  list->flags = flags;
  list->images.reserve(static_cast<size_t>(std::clamp(cInitial, 0, 1024)));
  std::lock_guard guard(ListsLock());
  Lists().insert(list);
  return list;
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
  {
    std::lock_guard guard(ListsLock());
    if (!himl || !Lists().erase(himl)) return FALSE;
  }
  for (auto& image : himl->images) FreeImage(image);
  delete himl;
  return TRUE;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST himl) { return Valid(himl) ? static_cast<int>(himl->images.size()) : 0; }

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  if (!Valid(himl) || !cx || !cy) return FALSE;
  *cx = himl->cx;
  *cy = himl->cy;
  return TRUE;
}

int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
  return AddStrip(himl, hbmImage, hbmMask, nullptr);
}

int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
  return AddStrip(himl, hbmImage, nullptr, &crMask);
}

BOOL WINAPI ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask) {
  if (!Valid(himl) || i < 0 || i >= static_cast<int>(himl->images.size()) || !hbmImage) return FALSE;
  _IMAGELIST::Image image;
  if (!CutImage(*himl, hbmImage, hbmMask, nullptr, 0, &image)) return FALSE;
  FinishMask(*himl, image);
  FreeImage(himl->images[i]);
  himl->images[i] = image;
  return TRUE;
}

int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
  if (!Valid(himl) || i < -1 || i >= static_cast<int>(himl->images.size())) return -1;
  _IMAGELIST::Image image;
  if (!ImageFromIcon(*himl, hicon, &image)) return -1;
  if (i == -1) {
    himl->images.push_back(image);
    return static_cast<int>(himl->images.size()) - 1;
  }
  FreeImage(himl->images[i]);
  himl->images[i] = image;
  return i;
}

BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i) {
  if (!Valid(himl)) return FALSE;
  if (i == -1) {
    for (auto& image : himl->images) FreeImage(image);
    himl->images.clear();
    return TRUE;
  }
  if (i < 0 || i >= static_cast<int>(himl->images.size())) return FALSE;
  FreeImage(himl->images[i]);
  himl->images.erase(himl->images.begin() + i);
  return TRUE;
}

COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
  if (!Valid(himl)) return CLR_NONE;
  COLORREF old = himl->background;
  himl->background = clrBk;
  return old;
}

COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST himl) { return Valid(himl) ? himl->background : CLR_NONE; }

BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
  if (!Valid(himl) || !hdcDst || i < 0 || i >= static_cast<int>(himl->images.size())) return FALSE;
  const auto& image = himl->images[i];
  int cx = himl->cx, cy = himl->cy;
  if ((fStyle & ILD_MASK) && image.mask) {
    Selected mask(image.mask);
    BitBlt(hdcDst, x, y, cx, cy, mask.dc(), 0, 0, SRCCOPY);
    return TRUE;
  }
  Selected colour(image.colour);
  bool masked = image.mask && !(fStyle & ILD_IMAGE);
  if (!masked) return BitBlt(hdcDst, x, y, cx, cy, colour.dc(), 0, 0, SRCCOPY);
  if (himl->background != CLR_NONE && !(fStyle & ILD_TRANSPARENT)) {
    RECT area{x, y, x + cx, y + cy};
    FillColour(hdcDst, area, himl->background);
  }
  Selected mask(image.mask);
  COLORREF text = SetTextColor(hdcDst, RGB(0, 0, 0)), back = SetBkColor(hdcDst, RGB(255, 255, 255));
  BitBlt(hdcDst, x, y, cx, cy, mask.dc(), 0, 0, SRCAND);
  SetTextColor(hdcDst, text);
  SetBkColor(hdcDst, back);
  return BitBlt(hdcDst, x, y, cx, cy, colour.dc(), 0, 0, SRCPAINT);
}

}  // extern "C"
