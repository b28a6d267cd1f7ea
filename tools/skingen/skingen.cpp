// Paints the skins the app folder ships in Plugins/Skin/: two tile skins of 18 x 23 and
// frame skins of 270 x 150 and 360 x 200, dark and light, each with rounded corners cut
// out in magenta and its colour sampling pixels chosen so captions and lists read well.
//   skingen <skin folder>
#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "skin_image.h"

namespace {

using lirra::MakeRgb;
using lirra::Rgb;
using lirra::SkinImage;

struct Scheme {
  const char* name;
  int width, height;
  Rgb stripTop, stripBottom;  // the caption strip's gradient; the frame around the centre
  Rgb listBack, listText, accent, gaugeBack;
  int cornerRadius;
  bool sheen;  // a soft light across the caption strip (frame skins stretch it evenly)
};

const Scheme kSchemes[] = {
    {"Graphite", 18, 23, MakeRgb(0x3A, 0x41, 0x4A), MakeRgb(0x1C, 0x20, 0x25), MakeRgb(0x12, 0x15, 0x19),
     MakeRgb(0xC9, 0xD1, 0xD9), MakeRgb(0x7C, 0xE0, 0x70), MakeRgb(0x0B, 0x0D, 0x10), 4, false},
    {"Paper", 18, 23, MakeRgb(0xF2, 0xEE, 0xE4), MakeRgb(0xD6, 0xCF, 0xBF), MakeRgb(0xFB, 0xF9, 0xF3),
     MakeRgb(0x2B, 0x2B, 0x2B), MakeRgb(0x1F, 0x4F, 0x9F), MakeRgb(0xB4, 0xAC, 0x9A), 4, false},
    {"Ocean", 270, 150, MakeRgb(0x1E, 0x4E, 0x7A), MakeRgb(0x0C, 0x24, 0x3C), MakeRgb(0x08, 0x16, 0x24),
     MakeRgb(0xCF, 0xE8, 0xFF), MakeRgb(0x7F, 0xDB, 0xFF), MakeRgb(0x04, 0x0E, 0x18), 6, true},
    {"Mint", 270, 150, MakeRgb(0xE4, 0xF5, 0xEC), MakeRgb(0xB8, 0xDD, 0xCB), MakeRgb(0xF4, 0xFB, 0xF7),
     MakeRgb(0x1E, 0x3A, 0x32), MakeRgb(0x0B, 0x6E, 0x55), MakeRgb(0x93, 0xC2, 0xAF), 6, true},
    {"Ember", 360, 200, MakeRgb(0x5A, 0x2C, 0x18), MakeRgb(0x24, 0x10, 0x08), MakeRgb(0x16, 0x0C, 0x08),
     MakeRgb(0xF4, 0xDC, 0xC8), MakeRgb(0xFF, 0xB3, 0x47), MakeRgb(0x10, 0x07, 0x04), 6, true},
    {"Dusk", 360, 200, MakeRgb(0x43, 0x33, 0x66), MakeRgb(0x1B, 0x14, 0x2C), MakeRgb(0x12, 0x0E, 0x1C),
     MakeRgb(0xE4, 0xDA, 0xF2), MakeRgb(0xE2, 0x9C, 0xFF), MakeRgb(0x0C, 0x09, 0x14), 6, true},
};

int Channel(Rgb c, int shift) { return static_cast<int>(c >> shift & 0xFF); }

Rgb Mix(Rgb a, Rgb b, double t) {
  const auto lerp = [&](int shift) {
    return static_cast<int>(std::lround(Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t));
  };
  return MakeRgb(lerp(16), lerp(8), lerp(0));
}

Rgb Lighter(Rgb c, double t) { return Mix(c, MakeRgb(255, 255, 255), t); }
Rgb Darker(Rgb c, double t) { return Mix(c, 0, t); }

void Fill(SkinImage& img, int x0, int y0, int w, int h, Rgb c) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) img.set(x, y, c);
}

SkinImage Paint(const Scheme& s) {
  const int w = s.width, h = s.height;
  SkinImage img(w, h, s.stripBottom);
  // The caption strip, 16 rows, top lighter; a sheen brightens its middle.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < w; ++x) {
      Rgb c = Mix(s.stripTop, s.stripBottom, y / 15.0);
      if (s.sheen) c = Lighter(c, 0.10 * std::sin(3.14159265 * x / (w - 1)) * (1.0 - y / 15.0));
      img.set(x, y, c);
    }
  }
  // The sides and the bottom strip carry the strip's lower colour, the bottom fading back up.
  for (int y = h - 7; y < h; ++y) Fill(img, 0, y, w, 1, Mix(s.stripBottom, s.stripTop, (y - (h - 7)) / 12.0));
  // The gauge's groove on row 2.
  Fill(img, 4, 2, w - 8, 1, s.gaugeBack);
  // Bevel: light on the outer top and left, shade on the right and bottom, and a dark
  // line framing the central area.
  const Rgb light = Lighter(s.stripTop, 0.25), shade = Darker(s.stripBottom, 0.35);
  Fill(img, 0, 0, w, 1, light);
  Fill(img, 0, 0, 1, h, light);
  Fill(img, w - 1, 0, 1, h, shade);
  Fill(img, 0, h - 1, w, 1, shade);
  Fill(img, 6, 15, 1, h - 22, shade);
  Fill(img, w - 7, 15, 1, h - 22, Lighter(s.stripBottom, 0.15));
  Fill(img, 6, h - 8, w - 12, 1, Lighter(s.stripBottom, 0.15));
  // Rounded corners: pixels outside the radius are cut out of the window.
  const double r = s.cornerRadius;
  for (int y = 0; y < s.cornerRadius; ++y) {
    for (int x = 0; x < s.cornerRadius; ++x) {
      const double dx = r - (x + 0.5), dy = r - (y + 0.5);
      if (dx * dx + dy * dy <= r * r) continue;
      img.set(x, y, lirra::kMagenta);
      img.set(w - 1 - x, y, lirra::kMagenta);
      img.set(x, h - 1 - y, lirra::kMagenta);
      img.set(w - 1 - x, h - 1 - y, lirra::kMagenta);
    }
  }
  // The sampling pixels (three of them are corner pixels, never shown).
  img.set(0, 0, s.listBack);
  img.set(w - 1, h - 1, s.listText);
  img.set(w - 1, 0, s.accent);
  img.set(7, 2, s.gaugeBack);
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skingen <skin folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "skingen: cannot create %s\n", argv[1]);
    return 1;
  }
  for (const Scheme& scheme : kSchemes) {
    QSaveFile file(folder + u'/' + QString::fromLatin1(scheme.name) + QStringLiteral(".bmp"));
    if (!file.open(QIODevice::WriteOnly) || file.write(lirra::EncodeSkinBitmap(Paint(scheme))) < 0 ||
        !file.commit()) {
      std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(file.fileName()));
      return 1;
    }
  }
  return 0;
}
