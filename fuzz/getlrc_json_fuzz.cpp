// The lyrics fetcher's reading of a service's answer on arbitrary bytes: never crashes, and
// what it takes as lyrics is never empty when it says it found some, nor a failure as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lyrics_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const lirra::LyricsAnswer read = lirra::ReadLyricsAnswer(bytes);
  if (!read.lyrics.isEmpty() && !read.failure.isEmpty()) std::abort();
  if (read.lyrics != read.lyrics.trimmed()) std::abort();
  return 0;
}
