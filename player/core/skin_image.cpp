#include "skin_image.h"

#include <QFile>

namespace lirra {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

std::uint32_t U16(const QByteArray& b, qsizetype at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}
std::uint32_t U32(const QByteArray& b, qsizetype at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

void Put16(QByteArray& b, std::uint32_t v) {
  b.append(static_cast<char>(v & 0xFF));
  b.append(static_cast<char>(v >> 8 & 0xFF));
}
void Put32(QByteArray& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

std::optional<SkinImage> Refuse(QString* error, const char* why) {
  if (error) *error = QString::fromLatin1(why);
  return std::nullopt;
}

}  // namespace

std::optional<SkinImage> DecodeSkinBitmap(const QByteArray& bytes, QString* error) {
  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
    return Refuse(error, "not a bitmap file");
  const std::uint32_t dataOffset = U32(bytes, 10);
  const std::uint32_t headerSize = U32(bytes, 14);
  if (headerSize < kInfoHeaderSize || headerSize > static_cast<std::uint32_t>(bytes.size()))
    return Refuse(error, "unsupported bitmap header");
  const auto width = static_cast<std::int32_t>(U32(bytes, 18));
  const auto rawHeight = static_cast<std::int32_t>(U32(bytes, 22));
  const std::uint32_t planes = U16(bytes, 26);
  const std::uint32_t bits = U16(bytes, 28);
  const std::uint32_t compression = U32(bytes, 30);
  if (planes != 1 || (bits != 24 && bits != 32)) return Refuse(error, "only 24- and 32-bit bitmaps are skins");
  if (compression == kBitFields) {
    // The masks follow a 40-byte header, or sit inside a larger one.
    const qsizetype masks = kFileHeaderSize + kInfoHeaderSize;
    if (bits != 32 || bytes.size() < masks + 12 || U32(bytes, masks) != 0xFF0000 ||
        U32(bytes, masks + 4) != 0x00FF00 || U32(bytes, masks + 8) != 0x0000FF)
      return Refuse(error, "unsupported bit fields");
  } else if (compression != kUncompressed) {
    return Refuse(error, "compressed bitmaps are not skins");
  }
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return Refuse(error, "empty bitmap");
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  if (width > kMaxSkinSide || height > kMaxSkinSide) return Refuse(error, "bitmap too large for a skin");
  const std::int64_t stride = (static_cast<std::int64_t>(width) * bits + 31) / 32 * 4;
  if (dataOffset < kFileHeaderSize + headerSize || dataOffset + stride * height > bytes.size())
    return Refuse(error, "bitmap file is cut short");

  SkinImage image(width, static_cast<int>(height));
  const int bytesPerPixel = static_cast<int>(bits / 8);
  for (int y = 0; y < image.height; ++y) {
    const int row = topDown ? y : image.height - 1 - y;
    const qsizetype start = dataOffset + row * stride;
    for (int x = 0; x < width; ++x) {
      const qsizetype p = start + static_cast<qsizetype>(x) * bytesPerPixel;  // B, G, R
      image.set(x, y,
                MakeRgb(static_cast<std::uint8_t>(bytes[p + 2]), static_cast<std::uint8_t>(bytes[p + 1]),
                        static_cast<std::uint8_t>(bytes[p])));
    }
  }
  return image;
}

std::optional<SkinImage> ReadSkinFile(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return Refuse(error, "cannot open the skin file");
  // A skin's pixels at the largest size, and a generous allowance for its headers.
  constexpr qint64 kMaxFileSize = 4LL * kMaxSkinSide * kMaxSkinSide + 65536;
  if (file.size() > kMaxFileSize) return Refuse(error, "bitmap too large for a skin");
  return DecodeSkinBitmap(file.readAll(), error);
}

QByteArray EncodeSkinBitmap(const SkinImage& image) {
  const int stride = (image.width * 3 + 3) / 4 * 4;
  const std::uint32_t dataSize = static_cast<std::uint32_t>(stride) * image.height;
  QByteArray b;
  b.reserve(kFileHeaderSize + kInfoHeaderSize + static_cast<qsizetype>(dataSize));
  b.append("BM");
  Put32(b, kFileHeaderSize + kInfoHeaderSize + dataSize);
  Put32(b, 0);
  Put32(b, kFileHeaderSize + kInfoHeaderSize);
  Put32(b, kInfoHeaderSize);
  Put32(b, static_cast<std::uint32_t>(image.width));
  Put32(b, static_cast<std::uint32_t>(image.height));
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, kUncompressed);
  Put32(b, dataSize);
  Put32(b, 2835);  // 72 dots per inch
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgb c = image.at(x, y);
      b.append(static_cast<char>(c & 0xFF));
      b.append(static_cast<char>(c >> 8 & 0xFF));
      b.append(static_cast<char>(c >> 16 & 0xFF));
    }
    b.append(stride - image.width * 3, '\0');
  }
  return b;
}

}  // namespace lirra
