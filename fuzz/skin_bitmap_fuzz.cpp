// The skin reader on arbitrary files: it reads or refuses with a reason, never crashes,
// and what it reads has the pixels its size promises and makes a window shape and pieces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin.h"
#include "skin_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QString why;
  const auto image = lirra::DecodeSkinBitmap(bytes, &why);
  if (!image) {
    if (why.isEmpty()) std::abort();
    return 0;
  }
  if (image->width <= 0 || image->height <= 0 ||
      image->pixels.size() != static_cast<size_t>(image->width) * static_cast<size_t>(image->height))
    std::abort();
  if (image->width >= 18 && image->height >= 23) {
    (void)lirra::SkinColours(*image);
    (void)lirra::SkinCutPixels(*image, {195, 109});
    (void)lirra::SkinPieces(*image, {270, 150});
  }
  if (lirra::DecodeSkinBitmap(lirra::EncodeSkinBitmap(*image)) != image) std::abort();
  return 0;
}
