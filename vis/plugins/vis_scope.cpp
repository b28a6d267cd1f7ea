// vis_scope.so: a light visualisation drawn in software, for machines without OpenGL: the
// waveform as a glowing trace over soft spectrum columns.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "lirra_vis_plugin.h"

namespace {

struct Scope {
  std::vector<float> columns;  // smoothed spectrum heights, 0..1
};

uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(std::clamp(r, 0, 255) << 16 | std::clamp(g, 0, 255) << 8 | std::clamp(b, 0, 255));
}

void* Init(const LirraVisSurface*, const char*) { return new (std::nothrow) Scope; }

int32_t Render(void* state, const LirraVisFrame* frame, const LirraVisSurface* s) {
  auto* scope = static_cast<Scope*>(state);
  const int w = s->width, h = s->height;
  // A dark background, a little lighter towards the top.
  for (int y = 0; y < h; ++y) std::fill_n(s->pixels + static_cast<size_t>(y) * s->stride, w, Rgb(6, 10 + 12 * (h - y) / std::max(h, 1), 24));
  // Spectrum columns: 32 bands over the first 256 bins, falling slowly.
  constexpr int kBands = 32;
  scope->columns.resize(kBands, 0.0f);
  for (int b = 0; b < kBands; ++b) {
    float level = 0;
    for (int i = b * 8; i < b * 8 + 8 && i < frame->bins; ++i) level = std::max(level, frame->spectrum[i]);
    const float target = std::min(1.0f, std::sqrt(level) * 1.6f);
    scope->columns[static_cast<size_t>(b)] = std::max(target, scope->columns[static_cast<size_t>(b)] - 0.04f);
    const int x0 = b * w / kBands, x1 = (b + 1) * w / kBands - 1;
    const int top = h - static_cast<int>(scope->columns[static_cast<size_t>(b)] * h * 0.8f);
    for (int y = std::max(top, 0); y < h; ++y)
      for (int x = x0; x < x1; ++x) s->pixels[static_cast<size_t>(y) * s->stride + x] = Rgb(20, 40 + 60 * (h - y) / h, 90);
  }
  // The waveform: one sample per column, joined vertically, with a soft glow.
  int last = h / 2;
  for (int x = 0; x < w; ++x) {
    const int i = frame->pcmFrames > 0 ? x * frame->pcmFrames / std::max(w, 1) : 0;
    const float v = frame->pcmFrames > 0 ? std::clamp(frame->pcm[i], -1.0f, 1.0f) : 0.0f;
    const int y = std::clamp(h / 2 - static_cast<int>(v * h * 0.45f), 0, h - 1);
    const int from = std::min(last, y), to = std::max(last, y);
    for (int yy = from; yy <= to; ++yy) {
      s->pixels[static_cast<size_t>(yy) * s->stride + x] = Rgb(140, 255, 120);
      if (yy > 0) s->pixels[static_cast<size_t>(yy - 1) * s->stride + x] |= Rgb(30, 90, 30);
      if (yy + 1 < h) s->pixels[static_cast<size_t>(yy + 1) * s->stride + x] |= Rgb(30, 90, 30);
    }
    last = y;
  }
  return 1;
}

void Quit(void* state) { delete static_cast<Scope*>(state); }

const LirraVisPlugin kScope = {LIRRA_VIS_MAGIC, LIRRA_VIS_VERSION, "Lirra Scope (software)", LIRRA_VIS_DRAWS_PIXELS,
                               30, Init, Render, nullptr, nullptr, Quit};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LirraVisPlugin* lirra_vis_plugin(void) { return &kScope; }
