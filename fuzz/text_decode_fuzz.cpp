// Text decoding of outside files: any bytes decode to valid UTF-8 and split into lines
// that hold no line breaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "encoding.h"
#include "textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = lirra::DecodeToUtf8(bytes);
  if (!lirra::IsValidUtf8(utf8)) std::abort();
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  for (const QString& line : lirra::SplitLines(text))
    if (line.contains(u'\r') || line.contains(u'\n')) std::abort();
  return 0;
}
