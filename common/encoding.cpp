#include "encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace lirra {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// RAII holder for one iconv conversion descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int extra = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;  // continuation byte as a lead, C0/C1 overlong leads, F5..FF
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if (!IsContinuation(p[i])) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000)) return false;  // overlong
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;                               // surrogate
    if (cp > 0x10FFFF) return false;
    p += extra + 1;
  }
  return true;
}

std::string GbkToUtf8(std::string_view bytes) {
  std::string out;
  if (bytes.empty()) return out;
  Converter conv("UTF-8", "GBK");
  if (!conv.ok()) {
    // No GBK table in this C library: keep the ASCII, mark the rest as unreadable.
    for (unsigned char c : bytes) {
      if (c < 0x80)
        out.push_back(static_cast<char>(c));
      else
        out.append(kReplacement);
    }
    return out;
  }
  out.reserve(bytes.size() * 3 / 2 + 8);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ (unmappable) or EINVAL (truncated at the end): replace one byte, go on.
    out.append(kReplacement);
    ++in;
    --inLeft;
    iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

std::string DecodeToUtf8(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return GbkToUtf8(bytes);
}

}  // namespace lirra
