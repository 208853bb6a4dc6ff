#include "background_colours.h"

#include <algorithm>

namespace {

struct Hsv {
  double hue;  // degrees, [0, 360); 0 for a grey
  double saturation;
  double value;
};

Hsv ToHsv(BYTE red, BYTE green, BYTE blue) {
  double r = red / 255.0, g = green / 255.0, b = blue / 255.0;
  double high = std::max({r, g, b}), low = std::min({r, g, b});
  Hsv hsv{0.0, high > 0.0 ? (high - low) / high : 0.0, high};
  if (hsv.saturation == 0.0) return hsv;
  double spread = high - low;
  if (r == high)
    hsv.hue = (g - b) / spread;
  else if (g == high)
    hsv.hue = 2.0 + (b - r) / spread;
  else
    hsv.hue = 4.0 + (r - g) / spread;
  hsv.hue *= 60.0;
  if (hsv.hue < 0.0) hsv.hue += 360.0;
  return hsv;
}

BYTE ToByte(double component) { return static_cast<BYTE>(component * 255.0 + 0.5); }

RGBQUAD FromHsv(const Hsv& hsv) {
  double v = hsv.value, s = hsv.saturation;
  if (s <= 0.0) return RGBQUAD{ToByte(v), ToByte(v), ToByte(v), 0};
  double sector = (hsv.hue >= 360.0 ? 0.0 : hsv.hue) / 60.0;
  int whole = static_cast<int>(sector);
  double f = sector - whole;
  double p = v * (1.0 - s), q = v * (1.0 - s * f), t = v * (1.0 - s * (1.0 - f));
  double r, g, b;
  switch (whole) {
    case 0:
      r = v, g = t, b = p;
      break;
    case 1:
      r = q, g = v, b = p;
      break;
    case 2:
      r = p, g = v, b = t;
      break;
    case 3:
      r = p, g = q, b = v;
      break;
    case 4:
      r = t, g = p, b = v;
      break;
    default:
      r = v, g = p, b = q;
      break;
  }
  return RGBQUAD{ToByte(b), ToByte(g), ToByte(r), 0};
}

}  // namespace

RGBQUAD RetintToFace(RGBQUAD entry, COLORREF face) {
  Hsv tint = ToHsv(GetRValue(face), GetGValue(face), GetBValue(face));
  tint.value = ToHsv(entry.rgbRed, entry.rgbGreen, entry.rgbBlue).value;
  return FromHsv(tint);
}

PALETTEENTRY FixedPaletteEntry(int index) {
  return PALETTEENTRY{static_cast<BYTE>((index & 7) * 32), static_cast<BYTE>(((index >> 3) & 7) * 32),
                      static_cast<BYTE>(((index >> 6) & 3) * 64), 0};
}
