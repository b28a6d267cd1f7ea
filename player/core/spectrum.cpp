#include "spectrum.h"

#include <algorithm>
#include <cmath>

#include "central_states.h"
#include "player_context.h"

namespace lirra {

namespace {

constexpr Rgb kLed = MakeRgb(136, 226, 23);
constexpr Rgb kBlue = MakeRgb(0, 0, 255);
constexpr Rgb kWhite = MakeRgb(255, 255, 255);
constexpr Rgb kNonNtFill = MakeRgb(95, 95, 255);
constexpr int kFullLevel = 92;  // a bin level that fills the bar (FFT magnitude 0.2875)

// Upper (inclusive) FFT bin of each grouped bar.
constexpr std::array<int, 25> kBandEdges = {1,  2,  3,  6,  12, 18, 24, 30, 36,  42,  48,  54, 60,
                                            66, 72, 78, 84, 90, 96, 102, 108, 120, 132, 156, 180};

// The rings of style 4: bar, and the bounding box on a window 195 pixels wide (scaled to
// the window by RingScale).
struct Ring {
  int bar, left, top, right, bottom;
};
constexpr Ring kRings[] = {{1, 110, 14, 153, 57}, {5, 87, 35, 130, 78}, {9, 64, 14, 107, 57},
                           {13, 41, 35, 84, 78},  {17, 18, 14, 61, 57}};

bool Linear(int style) { return style == 3 || style == kRingStyle; }

void FillRect(SkinImage& img, int x0, int y0, int x1, int y1, Rgb c) {  // right and bottom excluded
  x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, img.width), y1 = std::min(y1, img.height);
  for (int y = y0; y < y1; ++y)
    std::fill_n(img.pixels.begin() + static_cast<std::ptrdiff_t>(y) * img.width + x0, std::max(0, x1 - x0), c);
}

void HLine(SkinImage& img, int y, int x0, int x1, Rgb c) { FillRect(img, x0, y, x1, y + 1, c); }

// Blits the picture onto itself moved down one row or left one column (style 4's
// history); what it uncovers keeps its old pixels.
void ShiftDownOneRow(SkinImage& img) {
  if (img.height < 2) return;
  std::copy_backward(img.pixels.begin(), img.pixels.end() - img.width, img.pixels.end());
}
void ShiftLeftOneColumn(SkinImage& img) {
  for (int y = 0; y < img.height; ++y) {
    const auto row = img.pixels.begin() + static_cast<std::ptrdiff_t>(y) * img.width;
    std::copy(row + 1, row + img.width, row);
  }
}

// An unfilled ellipse in the box (right and bottom excluded) with a pen `pen` pixels wide.
void Ellipse(SkinImage& img, QRect box, int pen, Rgb c) {
  const double cx = box.left() + box.width() / 2.0, cy = box.top() + box.height() / 2.0;
  const double rx = box.width() / 2.0, ry = box.height() / 2.0;
  if (rx <= 0 || ry <= 0) return;
  const double half = std::max(pen, 1) / 2.0, mean = (rx + ry) / 2.0;
  const int reach = pen / 2 + 1;
  for (int y = box.top() - reach; y < box.bottom() + 1 + reach; ++y)
    for (int x = box.left() - reach; x < box.right() + 1 + reach; ++x) {
      if (x < 0 || y < 0 || x >= img.width || y >= img.height) continue;
      const double nx = (x + 0.5 - cx) / rx, ny = (y + 0.5 - cy) / ry;
      if (std::abs(std::sqrt(nx * nx + ny * ny) - 1.0) * mean <= half) img.set(x, y, c);
    }
}

int Scaled(const SpectrumState& sp, int n) { return sp.RingScale * n / 100; }

Rgb GradientAt(const SpectrumState& sp, int row) {
  return sp.GradientColumn[static_cast<size_t>(std::clamp(row, 0, sp.SpectrumHeight - 1))];
}

void PaintColumns(SpectrumState& sp) {
  const int h = sp.SpectrumHeight;
  sp.LedColumn.assign(static_cast<size_t>(h), 0);
  sp.GradientColumn.assign(static_cast<size_t>(h), 0);
  int r = 2550, g = 950, b = 950;
  const int s = h > 0 ? 6440 / h : 0;
  const double h4 = h / 4.0, h2 = h / 2.0, h34 = 3.0 * h / 4.0;
  for (int y = 0; y < h; ++y) {
    sp.LedColumn[static_cast<size_t>(y)] = (y + 1) % 3 == 0 ? 0 : kLed;
    if (y < h4 && y != 0) g += s;
    if (y == h4) g += s;
    if (y > h4 && y < h2) r -= s;
    if (y == h2) r -= s, b += s;
    if (y > h2 && y < h34) b += s;
    if (y >= h34) g -= s;
    r = std::max(r, 950), g = std::clamp(g, 950, 2550), b = std::min(b, 2550);
    sp.GradientColumn[static_cast<size_t>(y)] = MakeRgb(r / 10, g / 10, b / 10);
  }
}

// The bar's body from its top to the floor.
void DrawBar(SpectrumState& sp, int x0, int x1, int top) {
  const int h = sp.SpectrumHeight;
  for (int y = std::max(top, 0); y < h; ++y) {
    Rgb c = kBlue;
    switch (sp.style) {
      case 1: c = sp.LedColumn[static_cast<size_t>(y)]; break;
      case 2: c = sp.GradientColumn[static_cast<size_t>(y)]; break;
      case 5: c = GradientAt(sp, y - top); break;
      case 6: c = GradientAt(sp, top); break;
      default: break;
    }
    HLine(sp.Buffer, y, x0, x1, c);
  }
}

void DrawPeak(SpectrumState& sp, int bar, int v, int x0, int x1) {
  const int h = sp.SpectrumHeight, style = sp.style;
  float& p = sp.PeakLevel[static_cast<size_t>(bar)];
  std::int32_t& a = sp.PeakAge[static_cast<size_t>(bar)];
  if (p - 1.0f < static_cast<float>(v)) {
    p = static_cast<float>(v) + 0.01f;
    a = 0;
    return;
  }
  int y = h - static_cast<int>(p);
  if (style == 1) {
    if ((y + 1) % 3 == 0)
      --y;
    else if (y % 3 == 0)
      ++y;
    y = std::max(y, 0);
  } else if (style == 2) {
    ++y;
  } else if (y == 0) {
    y = 1;
  }
  Rgb c = kLed;
  if (style == 3) c = kWhite;
  if (style == 2) c = GradientAt(sp, y == 1 ? 0 : y);
  if (style == 5) c = GradientAt(sp, h - y - 1);
  if (style == 6) c = GradientAt(sp, y == 1 ? 0 : y + 1);
  const bool fading = style == 2 || style == 6;
  if (!fading || (a <= 20 && h - y > v)) {
    HLine(sp.Buffer, y, x0, x1, c);
    if (style != 3) HLine(sp.Buffer, y - 1, x0, x1, c);
  }
  if (fading) {
    if (a >= 20) p = static_cast<float>(v);
    ++a;
  } else if (a >= 8) {
    p -= static_cast<float>(a - 8) * 0.4f;
    if (p < 0) {
      p = 0;
    } else {
      ++a;
    }
  } else {
    ++a;
  }
}

void DrawStyle4(SpectrumState& sp, int bar, int v, bool waterfall) {
  const Rgb c = GradientAt(sp, sp.SpectrumHeight - std::max(v, 1));
  const int x0 = bar * sp.BarWidth;
  if (waterfall) {
    if (sp.PeakLevel[0] == 1.0f && bar == 2) {
      sp.PeakLevel[0] = 0.0f;
      FillRect(sp.Buffer, 0, 0, sp.Buffer.width, sp.Buffer.height, c);
    }
    HLine(sp.Buffer, 0, x0, x0 + sp.BarWidth, c);
    return;
  }
  for (const Ring& ring : kRings)
    if (ring.bar == bar + 1)
      Ellipse(sp.Buffer,
              QRect(QPoint(Scaled(sp, ring.left), Scaled(sp, ring.top)),
                    QPoint(Scaled(sp, ring.right) - 1, Scaled(sp, ring.bottom) - 1)),
              (sp.RingScale + 18) * 2 / 100, c);
}

}  // namespace

void LayOutSpectrum(SpectrumState& sp, QSize visPanel, QSize client) {
  const int a = visPanel.width() - 12;
  sp.SpectrumHeight = std::max(visPanel.height() - 1, 1);
  sp.BarCount = Linear(sp.style) ? 511 : 24;
  if (a < sp.BarCount) sp.BarCount = std::max(a, 1);
  sp.BarWidth = std::max(a, 1) / sp.BarCount;
  if (sp.BarWidth > 1 && a - sp.BarWidth * sp.BarCount >= sp.BarWidth) ++sp.BarCount;
  const int width = sp.BarWidth * sp.BarCount;
  sp.VisBox = QRect((visPanel.width() - width) / 2, 0, width, sp.SpectrumHeight);
  sp.Buffer = SkinImage(width, sp.SpectrumHeight);
  const int w = client.width(), h = std::max(client.height(), 1);
  const int base = (w / h) * 10 <= 18 ? w : h * 18 / 10;
  sp.RingScale = base * 100 / 195;
  PaintColumns(sp);
}

void ComposeSpectrumFrame(SpectrumState& sp, const float* fft, bool waterfall) {
  if (!fft) {
    sp.LevelHistory.fill(0);
    return;
  }
  std::array<int, kSpectrumBins> work{};
  for (int i = 0; i < kSpectrumBins; ++i) {
    const double scaled = std::clamp(static_cast<double>(fft[i]) * 320.0, 0.0, 65535.0);
    const auto cur = static_cast<std::uint16_t>(std::nearbyint(scaled));  // halves to even
    std::uint16_t& level = sp.LevelHistory[static_cast<size_t>(i)];
    if (level > cur) level = level < 2 ? 0 : static_cast<std::uint16_t>(level - 2);
    if (cur > level) level = cur;
    work[static_cast<size_t>(i)] = level;
  }
  const bool style4 = sp.style == kRingStyle;
  if (!style4)
    std::fill(sp.Buffer.pixels.begin(), sp.Buffer.pixels.end(), 0);
  else
    waterfall ? ShiftDownOneRow(sp.Buffer) : ShiftLeftOneColumn(sp.Buffer);
  const int h = sp.SpectrumHeight;
  for (int l = 1; l <= sp.BarCount; ++l) {
    int k = l - 1;
    if (!Linear(sp.style)) {
      const int lo = l == 1 ? 1 : kBandEdges[static_cast<size_t>(l - 2)] + 1;
      const int hi = kBandEdges[static_cast<size_t>(l - 1)];
      int m = 0;
      for (int i = lo; i <= hi; ++i) m = std::max(m, work[static_cast<size_t>(i)]);
      work[static_cast<size_t>(hi)] = m;
      k = hi;
    }
    const int v = std::min(work[static_cast<size_t>(k)] * h / kFullLevel, h);
    if (style4) {
      DrawStyle4(sp, l - 1, v, waterfall);
      continue;
    }
    const int x0 = (l - 1) * sp.BarWidth;
    const int x1 = x0 + (sp.style <= 2 ? sp.BarWidth - 1 : sp.BarWidth);
    if (v > 0) DrawBar(sp, x0, x1, h - v + (sp.style == 1 && (v - 1) % 3 == 0 ? 1 : 0));
    DrawPeak(sp, l - 1, v, x0, x1);
  }
}

QPoint SpectrumFrameOffset(const SpectrumState& sp, bool ringMode) {
  if (!ringMode) return {0, 0};
  return {(sp.VisBox.width() - (Scaled(sp, 153) - Scaled(sp, 18))) / 2 - Scaled(sp, 18),
          (sp.VisBox.height() - (Scaled(sp, 78) - Scaled(sp, 14))) / 2 - Scaled(sp, 14) + 3};
}

void SetupSpectrum(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  LayOutSpectrum(ctx.spectrum, VisualAreaBounds(s).size(), {s.ClientWidth, s.ClientHeight});
  if (ctx.spectrum.style == kRingStyle) ResetSpectrum(ctx);
  ctx.shell.visual.SetVisBox(ctx.spectrum.VisBox);
}

void ResetSpectrum(PlayerContext& ctx) {
  SpectrumState& sp = ctx.spectrum;
  const PlayerState& s = ctx.state;
  ClearPeaks(ctx);
  if (sp.style != kRingStyle) return;
  Rgb fill = kNonNtFill;
  if (s.IsWinNT) {
    if (!s.SeeThrough && s.Timer1On) sp.PeakLevel[0] = 1.0f;  // the waterfall clears at its next frame
    fill = 0;
  }
  std::fill(sp.Buffer.pixels.begin(), sp.Buffer.pixels.end(), fill);
  if (s.SeeThrough) ctx.shell.visual.ClearVisBox();
}

void ClearPeaks(PlayerContext& ctx) { ctx.spectrum.PeakLevel.fill(0.0f); }

void CycleStyle(PlayerContext& ctx) {
  SpectrumState& sp = ctx.spectrum;
  sp.style = sp.style % kSpectrumStyles + 1;
  if (sp.style == 3 || sp.style == 5) {
    SetupSpectrum(ctx);  // between grouped and linear bins
  } else if (sp.style == kRingStyle) {
    if (!ctx.state.IsWinNT || ctx.state.SeeThrough)
      ResetSpectrum(ctx);
    else
      ClearPeaks(ctx);
  }
}

void PickRandomStyle(PlayerContext& ctx) {
  SpectrumState& sp = ctx.spectrum;
  const int old = sp.style;
  sp.style = ctx.randomBelow(kSpectrumStyles) + 1;
  if (old != kRingStyle || sp.style != kRingStyle) SetupSpectrum(ctx);
}

void TimerFFTTimer(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  SpectrumState& sp = ctx.spectrum;
  // A hidden spectrum costs nothing: no FFT while minimised or while the list shows.
  if (ctx.shell.frame.IsMinimised() || s.ListShown || !ctx.libs.engine.bound()) return;
  std::array<float, kSpectrumBins> fft{};
  const bool got = ctx.libs.engine->ChannelGetData(s.CurrentChannel, fft.data(), BASS_DATA_FFT1024) != 0xFFFFFFFFu;
  ComposeSpectrumFrame(sp, got ? fft.data() : nullptr, s.IsWinNT && !s.SeeThrough);
  if (!got) return;  // the last frame stays
  const bool ringMode = sp.style == kRingStyle && !(s.IsWinNT && !s.SeeThrough);
  ctx.shell.visual.ShowSpectrumFrame(sp.Buffer, SpectrumFrameOffset(sp, ringMode));
}

}  // namespace lirra
