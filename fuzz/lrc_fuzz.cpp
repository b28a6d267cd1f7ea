// The lyric-file reader on arbitrary files: never crashes, times come out ascending and no
// more than the texts, and the header lines survive a write and a read unchanged (a timed
// entry left without text comes back among them, as a timed line without text does).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lrc_format.h"
#include "textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const lirra::LyricTable table = lirra::ParseLyrics(lirra::SplitLines(lirra::DecodeText(bytes)));
  if (table.times.size() > static_cast<size_t>(table.texts.size())) std::abort();
  for (size_t i = 1; i < table.times.size(); ++i)
    if (table.times[i] < table.times[i - 1]) std::abort();
  for (const QString& text : table.texts) (void)lirra::ShownLyricText(text);
  if (lirra::ParseLyrics(lirra::FormatLyrics(table)).header.mid(0, table.header.size()) != table.header) std::abort();
  return 0;
}
