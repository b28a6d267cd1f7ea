#include "media_probe.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstring>

namespace lirra {

namespace {

// Nesting and count limits keep a damaged or hostile file from costing more than a few
// reads.
constexpr int kMaxDepth = 4;
constexpr int kMaxBoxes = 4096;

struct BoxHeader {
  char type[5] = {};
  qint64 payload = 0;  // offset of the payload
  qint64 end = 0;      // offset just past the box
};

uint32_t ReadU32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool ReadHeader(QFile& file, qint64 at, qint64 limit, BoxHeader& box) {
  unsigned char raw[16];
  if (at + 8 > limit || !file.seek(at) || file.read(reinterpret_cast<char*>(raw), 8) != 8) return false;
  uint64_t size = ReadU32(raw);
  std::memcpy(box.type, raw + 4, 4);
  box.payload = at + 8;
  if (size == 1) {  // 64-bit size follows
    if (file.read(reinterpret_cast<char*>(raw + 8), 8) != 8) return false;
    size = (uint64_t{ReadU32(raw + 8)} << 32) | ReadU32(raw + 12);
    box.payload = at + 16;
  } else if (size == 0) {  // to the end of the enclosing box
    size = static_cast<uint64_t>(limit - at);
  }
  if (size < static_cast<uint64_t>(box.payload - at) || size > static_cast<uint64_t>(limit - at)) return false;
  box.end = at + static_cast<qint64>(size);
  return true;
}

// Walks the boxes in [begin, end); true when a track's handler is "vide".
bool FindVideoHandler(QFile& file, qint64 begin, qint64 end, int depth, int& budget) {
  if (depth > kMaxDepth) return false;
  BoxHeader box;
  for (qint64 at = begin; at < end && --budget > 0; at = box.end) {
    if (!ReadHeader(file, at, end, box)) return false;
    const bool container = !std::strcmp(box.type, "moov") || !std::strcmp(box.type, "trak") ||
                           !std::strcmp(box.type, "mdia");
    if (container) {
      if (FindVideoHandler(file, box.payload, box.end, depth + 1, budget)) return true;
    } else if (!std::strcmp(box.type, "hdlr")) {
      // version and flags (4), pre_defined (4), handler_type (4)
      char handler[12];
      if (box.end - box.payload >= 12 && file.seek(box.payload) && file.read(handler, 12) == 12 &&
          !std::memcmp(handler + 8, "vide", 4))
        return true;
    }
  }
  return false;
}

}  // namespace

bool IsoMediaHasVideo(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  int budget = kMaxBoxes;
  return FindVideoHandler(file, 0, file.size(), 0, budget);
}

bool MayHoldVideo(const QString& location) {
  static const QStringList kTypes = {QStringLiteral("mp4"), QStringLiteral("m4v"), QStringLiteral("mov"),
                                     QStringLiteral("3gp"), QStringLiteral("3g2")};
  return kTypes.contains(QFileInfo(location).suffix(), Qt::CaseInsensitive);
}

}  // namespace lirra
