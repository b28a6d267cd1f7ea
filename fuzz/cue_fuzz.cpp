// The cue-sheet reader on arbitrary sheets: never crashes, tracks come only from blocks
// with a readable audio file, and every track lies within its file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QFile>
#include <QTemporaryDir>

#include "cue_sheet.h"
#include "textfile.h"

namespace {

// The sheets' folder: one file, "passwd", taken as 3600 s of audio. A folder of its own
// keeps the case-insensitive look-up of missing names cheap.
const QString& SheetFolder() {
  static QTemporaryDir dir;
  static const QString folder = [] {
    QFile audio(dir.filePath(QStringLiteral("passwd")));
    if (!audio.open(QIODevice::WriteOnly)) std::abort();
    return dir.path() + u'/';
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QStringList lines;
  for (const QString& line : lirra::SplitLines(lirra::DecodeText(bytes)))
    if (const QString t = line.trimmed(); !t.isEmpty()) lines.push_back(t);
  const auto probe = [](const QString&) { return 3600; };
  const std::vector<lirra::CueBlock> blocks = lirra::ParseCueSheet(lines, SheetFolder(), probe);
  for (const lirra::CueBlock& block : blocks) {
    if (block.tracks.empty() || block.length != 3600) std::abort();
    if (block.tracks.back().end != block.length) std::abort();
    for (const lirra::CueTrack& t : block.tracks) {
      if (t.start < 0 || t.start > 99 * 60 + 99) std::abort();
      if (t.title.isEmpty()) std::abort();
    }
  }
  return 0;
}
