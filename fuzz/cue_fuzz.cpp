// The cue-sheet reader on arbitrary sheets: never crashes, tracks come only from blocks
// with a readable audio file, and every track lies within its file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "cue_sheet.h"
#include "textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QStringList lines;
  for (const QString& line : lirra::SplitLines(lirra::DecodeText(bytes)))
    if (const QString t = line.trimmed(); !t.isEmpty()) lines.push_back(t);
  // Sheets are read as if they lay in /etc: FILE "passwd" names a file that exists on every
  // machine, taken here as 3600 s of audio.
  const auto probe = [](const QString&) { return 3600; };
  const std::vector<lirra::CueBlock> blocks = lirra::ParseCueSheet(lines, QStringLiteral("/etc/"), probe);
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
