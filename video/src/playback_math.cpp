#include "playback_math.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace orvana {

namespace {

int32_t RoundHalfEven(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

int32_t VolumeToCentibels(int32_t volume) {
  const int32_t v = std::clamp(volume, 0, 10000);
  return std::min(0, RoundHalfEven(std::log(v + 1.0) * 1085.73) - 10000);
}

int32_t BalanceToCentibels(int32_t balance) {
  const int32_t b = std::clamp(balance, -10000, 10000);
  const int32_t r = std::min(10000, RoundHalfEven(std::log(std::abs(b) + 1.0) * 1085.73));
  return b >= 0 ? -r : r;
}

double CentibelsToGain(int32_t centibels) {
  if (centibels <= -10000) return 0.0;
  return std::pow(10.0, centibels / 2000.0);
}

double BalanceToPanorama(int32_t applied) {
  // A negative value attenuates the right channel (the picture moves left), a positive
  // one the left; the attenuated side keeps 1 - |panorama| of its level.
  const double kept = CentibelsToGain(-std::abs(applied));
  return applied < 0 ? -(1.0 - kept) : (1.0 - kept);
}

bool StandingClockWatch::ShouldMoveToSystemClock(const Check& c) {
  const bool mayStand = c.playing && !c.ended && !c.buffering && !c.live && !c.onSystemClock;
  stillChecks = mayStand && c.position == lastPosition && c.clockTime == lastClockTime ? stillChecks + 1 : 0;
  lastPosition = c.position;
  lastClockTime = c.clockTime;
  if (stillChecks < 3) return false;
  stillChecks = 0;
  return true;
}

std::string TimeText(int32_t seconds) {
  char text[32];
  if (seconds >= 3600)
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60);
  else
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
  return text;
}

Rect FitVideo(int32_t w, int32_t h, int32_t vw, int32_t vh) {
  if (vw <= 0 || vh <= 0) return {0, 0, w, h};
  int32_t d = static_cast<int32_t>(static_cast<int64_t>(h) * vw / vh);
  int32_t f = h;
  if (w < d) {
    d = w;
    f = static_cast<int32_t>(static_cast<int64_t>(vh) * w / vw);
  }
  return {(w - d) / 2, (h - f) / 2, d, f};
}

Rect ZoomSource(int32_t w, int32_t h, int32_t p) {
  if (w <= 0 || h <= 0) return {};
  const double nw = w - static_cast<double>(p) * w / 100.0;
  const double nh = nw * h / w;
  return {static_cast<int32_t>((w - nw) / 2), static_cast<int32_t>((h - nh) / 2),
          static_cast<int32_t>(nw), static_cast<int32_t>(nh)};
}

bool ScaledVideoSize(int32_t code, int32_t width, int32_t height, int32_t* ow, int32_t* oh) {
  static const int32_t kNum[] = {1, 1, 2, 3}, kDen[] = {1, 2, 1, 4};
  if (code < 1 || code > 4) return false;
  *ow = kNum[code - 1] * width / kDen[code - 1];
  *oh = kNum[code - 1] * height / kDen[code - 1];
  return true;
}

void CopyChannel(uint8_t* buffer, int32_t byteCount, int32_t direction, int32_t bits) {
  if (!buffer || byteCount <= 0) return;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return;
  if (direction != 1 && direction != 2) return;
  const int32_t sample = bits / 8;
  for (int32_t at = 0; at + 2 * sample <= byteCount; at += 2 * sample) {
    uint8_t* left = buffer + at;
    uint8_t* right = left + sample;
    if (direction == 1)
      std::memcpy(right, left, static_cast<size_t>(sample));
    else
      std::memcpy(left, right, static_cast<size_t>(sample));
  }
}

std::vector<uint8_t> GrabberBmp(int32_t width, int32_t height, int32_t bpp, const uint8_t* rows,
                                size_t byteCount) {
  std::vector<uint8_t> out;
  out.reserve(26 + byteCount);
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<uint32_t>(26 + byteCount));
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, 26);
  Put32(out, 12);
  Put16(out, static_cast<uint32_t>(width) & 0xFFFF);
  Put16(out, static_cast<uint32_t>(height) & 0xFFFF);
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bpp));
  out.insert(out.end(), rows, rows + byteCount);
  return out;
}

std::vector<uint8_t> MixerBmp(int32_t width, int32_t height, const uint8_t* pixels) {
  const uint32_t stride = static_cast<uint32_t>(width) * 4;
  const uint32_t image = stride * static_cast<uint32_t>(height);
  const uint32_t infoSize = 40, colours = 0;  // 32 bits per pixel: no colour table
  std::vector<uint8_t> out;
  out.reserve(14 + infoSize + image);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + infoSize + image + 4 * colours);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, 14 + infoSize + 4 * colours);
  Put32(out, infoSize);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);  // BI_RGB
  Put32(out, image);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, colours);
  Put32(out, 0);
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* row = pixels + static_cast<size_t>(y) * stride;
    out.insert(out.end(), row, row + stride);
  }
  return out;
}

}  // namespace orvana
