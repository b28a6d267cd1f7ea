// A skin picture: an uncompressed Windows bitmap of 24 or 32 bits per pixel, read into
// plain RGB pixels (top row first). Anything else is refused with a reason, never read in
// part: a skin that cannot be read leaves the window as it would be without one.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace lirra {

using Rgb = std::uint32_t;  // 0x00RRGGBB
constexpr Rgb MakeRgb(int r, int g, int b) {
  return static_cast<Rgb>((r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF));
}
inline constexpr Rgb kMagenta = 0xFF00FF;  // the cut-out colour

struct SkinImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // width * height, rows from the top

  SkinImage() = default;
  SkinImage(int w, int h, Rgb fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  void set(int x, int y, Rgb c) { pixels[static_cast<size_t>(y) * width + x] = c; }
  bool operator==(const SkinImage&) const = default;
};

// Skins larger than this on either side are refused (no screen needs more).
inline constexpr int kMaxSkinSide = 4096;

// Reads a bitmap file's bytes: "BM", an info header of 40 bytes or more, one plane,
// 24 or 32 bits, no compression (or 32-bit bit fields in the usual order), rows bottom-up
// or top-down. On refusal `error` (when given) says why.
std::optional<SkinImage> DecodeSkinBitmap(const QByteArray& bytes, QString* error = nullptr);
std::optional<SkinImage> ReadSkinFile(const QString& path, QString* error = nullptr);

// A 24-bit bottom-up bitmap of the image, as paint programs write them.
QByteArray EncodeSkinBitmap(const SkinImage& image);

}  // namespace lirra
