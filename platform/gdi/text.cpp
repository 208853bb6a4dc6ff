// Text: every font is DejaVu Sans (bold and oblique as asked) at the asked
// size, drawn without anti-aliasing. Advances are whole pixels, so extents and
// metrics are the same on every run.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>

#include "gdi/paint.h"

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_truetype.h>
#pragma GCC diagnostic pop

namespace host::gdi {
namespace {

constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kFontFiles[4] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf",
                                       "DejaVuSans-BoldOblique.ttf"};

struct FontFile {
  std::vector<unsigned char> data;
  stbtt_fontinfo info{};
  bool ok = false;
};

const FontFile& File(int style) {
  static FontFile files[4];
  static bool loaded[4] = {};
  FontFile& f = files[style];
  if (!loaded[style]) {
    loaded[style] = true;
    std::string path = std::string(kFontFolder) + kFontFiles[style];
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
      unsigned char buffer[65536];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) f.data.insert(f.data.end(), buffer, buffer + n);
      std::fclose(in);
      f.ok = !f.data.empty() && stbtt_InitFont(&f.info, f.data.data(), stbtt_GetFontOffsetForIndex(f.data.data(), 0));
    }
    if (!f.ok) std::fprintf(stderr, "gdi: cannot read the font %s; text is not drawn\n", path.c_str());
  }
  return f;
}

struct Glyph {
  int w = 0, h = 0, xoff = 0, yoff = 0;
  std::vector<BYTE> on;  // 1 where a pixel is drawn
};

struct Realized {
  const FontFile* file = nullptr;
  float scale = 0;
  int ascent = 0, descent = 0, em = 0, weight = FW_NORMAL;
  bool italic = false, underline = false, strikeOut = false;
  int advance[256] = {};
  std::map<int, Glyph> glyphs;

  int Height() const { return ascent + descent; }
  const Glyph& GlyphOf(unsigned char c) {
    auto found = glyphs.find(c);
    if (found != glyphs.end()) return found->second;
    Glyph g;
    if (file && file->ok) {
      unsigned char* bitmap = stbtt_GetCodepointBitmap(&file->info, scale, scale, c, &g.w, &g.h, &g.xoff, &g.yoff);
      if (bitmap) {
        g.on.resize(static_cast<size_t>(g.w) * g.h);
        for (size_t i = 0; i < g.on.size(); ++i) g.on[i] = bitmap[i] >= 128;
        stbtt_FreeBitmap(bitmap, nullptr);
      }
    }
    return glyphs.emplace(c, std::move(g)).first->second;
  }
  int Width(const char* text, int n) const {
    int w = 0;
    for (int i = 0; i < n; ++i) w += advance[static_cast<unsigned char>(text[i])];
    return w;
  }
};

using FontKey = std::tuple<LONG, LONG, bool, bool, bool>;

Realized& RealizeFont(const FontObject* font) {
  static std::map<FontKey, Realized> cache;
  LONG height = font ? font->height : 16, weight = font ? font->weight : FW_BOLD;
  bool italic = font && font->italic, underline = font && font->underline, strike = font && font->strikeOut;
  if (height == 0) height = 16;
  FontKey key{height, weight, italic, underline, strike};
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  Realized& r = cache[key];
  r.file = &File((weight >= FW_SEMIBOLD ? 1 : 0) + (italic ? 2 : 0));
  r.weight = weight;
  r.italic = italic;
  r.underline = underline;
  r.strikeOut = strike;
  if (!r.file->ok) {
    r.ascent = std::abs(static_cast<int>(height)) * 4 / 5;
    r.descent = std::abs(static_cast<int>(height)) - r.ascent;
    r.em = r.ascent;
    return r;
  }
  int ascent, descent, gap;
  stbtt_GetFontVMetrics(&r.file->info, &ascent, &descent, &gap);
  if (height < 0) {
    r.em = -height;
    r.scale = stbtt_ScaleForMappingEmToPixels(&r.file->info, static_cast<float>(r.em));
    r.ascent = static_cast<int>(std::lround(ascent * r.scale));
    r.descent = static_cast<int>(std::lround(-descent * r.scale));
  } else {
    // A positive height is the cell: ascent plus descent.
    r.scale = stbtt_ScaleForPixelHeight(&r.file->info, static_cast<float>(height));
    r.ascent = static_cast<int>(std::lround(ascent * r.scale));
    r.descent = height - r.ascent;
    int unitsPerEm = 0;
    float emScale = stbtt_ScaleForMappingEmToPixels(&r.file->info, 1.0f);
    if (emScale > 0) unitsPerEm = static_cast<int>(std::lround(1.0f / emScale));
    r.em = static_cast<int>(std::lround(unitsPerEm * r.scale));
  }
  for (int c = 0; c < 256; ++c) {
    int advance, bearing;
    stbtt_GetCodepointHMetrics(&r.file->info, c, &advance, &bearing);
    r.advance[c] = static_cast<int>(std::lround(advance * r.scale));
  }
  return r;
}

Realized& FontOf(const DcRef& dc) { return RealizeFont(dc.a().font.as<FontObject>()); }

// Draws one line with its top-left corner at (x, top) in surface coordinates; dx overrides advances.
void DrawRun(Target& t, Realized& f, int x, int top, const char* text, int n, const INT* dx, int underlineIndex) {
  DWORD ink = ColourToPixel(t.dc, *t.surface, t.dc.a().textColor);
  int baseline = top + f.ascent, pen = x;
  for (int i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    const Glyph& g = f.GlyphOf(c);
    for (int gy = 0; gy < g.h; ++gy)
      for (int gx = 0; gx < g.w; ++gx)
        if (g.on[static_cast<size_t>(gy) * g.w + gx])
          PlotRop2(t, pen + g.xoff + gx, baseline + g.yoff + gy, ink, R2_COPYPEN);
    int advance = dx ? dx[i] : f.advance[c];
    if (i == underlineIndex) FillSpanRop2(t, baseline + 1, pen, pen + f.advance[c], SolidPixels(ink), R2_COPYPEN);
    pen += advance;
  }
  if (f.underline) FillSpanRop2(t, baseline + 1, x, pen, SolidPixels(ink), R2_COPYPEN);
  if (f.strikeOut) FillSpanRop2(t, baseline - f.ascent / 3, x, pen, SolidPixels(ink), R2_COPYPEN);
}

void FillBackground(Target& t, const RECT& r) {
  PatternRect(t, r, SolidPixels(ColourToPixel(t.dc, *t.surface, t.dc.a().bkColor)), 0xF0);
}

BOOL TextOutImpl(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, int n, const INT* dx) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!OpenTarget(hdc, t) || n < 0 || (n > 0 && !text)) return FALSE;
  Realized& f = FontOf(t.dc);
  DcAttributes& a = t.dc.a();
  int width = 0;
  for (int i = 0; i < n; ++i) width += dx ? dx[i] : f.advance[static_cast<unsigned char>(text[i])];
  POINT origin = (a.textAlign & TA_UPDATECP) ? a.position : POINT{x, y};
  POINT p = ToSurface(t.dc, origin.x, origin.y);
  UINT align = a.textAlign;
  int left = p.x;
  if ((align & TA_CENTER) == TA_CENTER)
    left -= width / 2;
  else if (align & TA_RIGHT)
    left -= width;
  int top = p.y;
  if ((align & TA_BASELINE) == TA_BASELINE)
    top -= f.ascent;
  else if (align & TA_BOTTOM)
    top -= f.Height();
  if (align & TA_UPDATECP) a.position.x += (align & TA_RIGHT) && (align & TA_CENTER) != TA_CENTER ? -width : width;
  if (rect) {
    RECT r = RectToSurface(t.dc, rect->left, rect->top, rect->right, rect->bottom);
    if (options & ETO_OPAQUE) FillBackground(t, r);
    if (options & ETO_CLIPPED) t.clip = Region::Combine(t.clip, Region::FromRect(r), RGN_AND);
  }
  if (a.bkMode == OPAQUE) FillBackground(t, {left, top, left + width, top + f.Height()});
  DrawRun(t, f, left, top, text, n, dx, -1);
  return TRUE;
}

// A DrawText line: the text shown and the index of the character a '&' underlines (-1: none).
struct Line {
  std::string text;
  int underline = -1;
};

Line StripPrefix(const std::string& raw, bool noPrefix) {
  Line line;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (!noPrefix && raw[i] == '&') {
      if (i + 1 >= raw.size()) break;
      ++i;
      if (raw[i] != '&') line.underline = static_cast<int>(line.text.size());
    }
    line.text += raw[i];
  }
  return line;
}

std::vector<std::string> SplitLines(const std::string& text, bool single) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (!single && (c == '\r' || c == '\n')) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// Breaks a line at blanks so each part fits `width`; a word wider than the width keeps a line of its own.
std::vector<std::string> WrapLine(const Realized& f, const std::string& line, int width) {
  std::vector<std::string> out;
  std::string current;
  size_t i = 0;
  while (i < line.size()) {
    size_t end = line.find(' ', i);
    if (end == std::string::npos) end = line.size();
    std::string word = line.substr(i, end - i);
    std::string candidate = current.empty() ? word : current + " " + word;
    if (!current.empty() && f.Width(candidate.c_str(), static_cast<int>(candidate.size())) > width) {
      out.push_back(current);
      current = word;
    } else {
      current = candidate;
    }
    i = end + 1;
  }
  out.push_back(current);
  return out;
}

}  // namespace
}  // namespace host::gdi

using namespace host::gdi;

extern "C" {

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int, int, int cWeight, DWORD bItalic, DWORD bUnderline,
                         DWORD bStrikeOut, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR pszFaceName) {
  auto font = std::make_shared<FontObject>();
  font->height = cHeight;
  font->width = cWidth;
  font->weight = cWeight == FW_DONTCARE ? FW_NORMAL : cWeight;
  font->italic = bItalic != 0;
  font->underline = bUnderline != 0;
  font->strikeOut = bStrikeOut != 0;
  font->face = pszFaceName ? std::string(pszFaceName).substr(0, LF_FACESIZE - 1) : "";
  return static_cast<HFONT>(AddObject(font));
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
  if (!lplf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  char face[LF_FACESIZE + 1] = {};
  std::memcpy(face, lplf->lfFaceName, LF_FACESIZE);
  return CreateFontA(lplf->lfHeight, lplf->lfWidth, lplf->lfEscapement, lplf->lfOrientation, lplf->lfWeight,
                     lplf->lfItalic, lplf->lfUnderline, lplf->lfStrikeOut, lplf->lfCharSet, lplf->lfOutPrecision,
                     lplf->lfClipPrecision, lplf->lfQuality, lplf->lfPitchAndFamily, face);
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  if (!dc || !lptm) return FALSE;
  Realized& f = FontOf(dc);
  TEXTMETRICA tm{};
  tm.tmHeight = f.Height();
  tm.tmAscent = f.ascent;
  tm.tmDescent = f.descent;
  tm.tmInternalLeading = std::max(0, f.Height() - f.em);
  tm.tmAveCharWidth = f.advance[static_cast<unsigned char>('x')];
  tm.tmMaxCharWidth = *std::max_element(f.advance + 32, f.advance + 256);
  tm.tmWeight = f.weight;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFF;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = f.italic;
  tm.tmUnderlined = f.underline;
  tm.tmStruckOut = f.strikeOut;
  tm.tmPitchAndFamily = TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_SWISS;  // the bit means variable pitch
  tm.tmCharSet = ANSI_CHARSET;
  *lptm = tm;
  return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  if (!dc || !psizl || c < 0 || (c > 0 && !lpString)) return FALSE;
  Realized& f = FontOf(dc);
  *psizl = {f.Width(lpString, c), f.Height()};
  return TRUE;
}

BOOL WINAPI GetTextExtentPointA(HDC hdc, LPCSTR lpString, int c, LPSIZE lpsz) {
  return GetTextExtentPoint32A(hdc, lpString, c, lpsz);
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  return TextOutImpl(hdc, x, y, 0, nullptr, lpString, c, nullptr);
}

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                        const INT* lpDx) {
  return TextOutImpl(hdc, x, y, options, lprect, lpString ? lpString : "", lpString ? static_cast<int>(c) : 0, lpDx);
}

int WINAPI GetTextFaceA(HDC hdc, int c, LPSTR lpName) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  if (!dc) return 0;
  auto* font = dc.a().font.as<FontObject>();
  std::string face = font && !font->face.empty() ? font->face : "System";
  if (!lpName) return static_cast<int>(face.size()) + 1;
  if (c <= 0) return 0;
  int n = std::min<int>(c - 1, static_cast<int>(face.size()));
  std::memcpy(lpName, face.data(), n);
  lpName[n] = 0;
  return n + 1;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!lprc || !OpenTarget(hdc, t)) return 0;
  std::string text = lpchText ? (cchText < 0 ? std::string(lpchText) : std::string(lpchText, cchText)) : "";
  Realized& f = FontOf(t.dc);
  bool single = format & DT_SINGLELINE;
  int boxWidth = lprc->right - lprc->left;
  std::vector<Line> lines;
  for (const std::string& raw : SplitLines(text, single)) {
    std::string shown = raw;
    if (format & DT_EXPANDTABS) {
      std::string expanded;
      for (char ch : shown) expanded += ch == '\t' ? std::string(8, ' ') : std::string(1, ch);
      shown = expanded;
    }
    Line stripped = StripPrefix(shown, format & DT_NOPREFIX);
    if ((format & DT_WORDBREAK) && !single) {
      int offset = 0;
      for (const std::string& part : WrapLine(f, stripped.text, boxWidth)) {
        Line piece{part, -1};
        if (stripped.underline >= offset && stripped.underline < offset + static_cast<int>(part.size()))
          piece.underline = stripped.underline - offset;
        lines.push_back(piece);
        offset += static_cast<int>(part.size()) + 1;
      }
    } else {
      lines.push_back(stripped);
    }
  }
  int lineHeight = f.Height(), height = lineHeight * static_cast<int>(lines.size()), widest = 0;
  for (const Line& line : lines)
    widest = std::max(widest, f.Width(line.text.c_str(), static_cast<int>(line.text.size())));
  if (format & DT_CALCRECT) {
    lprc->right = lprc->left + widest;
    lprc->bottom = lprc->top + height;
    return height;
  }
  RECT box = RectToSurface(t.dc, lprc->left, lprc->top, lprc->right, lprc->bottom);
  if (!(format & DT_NOCLIP)) t.clip = Region::Combine(t.clip, Region::FromRect(box), RGN_AND);
  int top = box.top;
  if (single && (format & DT_VCENTER)) top = box.top + (box.bottom - box.top - lineHeight) / 2;
  if (single && (format & DT_BOTTOM)) top = box.bottom - lineHeight;
  for (const Line& line : lines) {
    int w = f.Width(line.text.c_str(), static_cast<int>(line.text.size()));
    int left = box.left;
    if (format & DT_CENTER)
      left = box.left + (box.right - box.left - w) / 2;
    else if (format & DT_RIGHT)
      left = box.right - w;
    if (t.dc.a().bkMode == OPAQUE) FillBackground(t, {left, top, left + w, top + lineHeight});
    DrawRun(t, f, left, top, line.text.c_str(), static_cast<int>(line.text.size()), nullptr, line.underline);
    top += lineHeight;
  }
  return height;
}

}  // extern "C"
