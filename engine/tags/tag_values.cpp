#include "tag_values.h"

namespace lirra::tags {

std::string Expand(std::string_view format, const TagValues& v) {
  struct Field { std::string_view code; const std::string* value; };
  const Field fields[] = {{"%TITL", &v.title}, {"%ARTI", &v.artist}, {"%ALBM", &v.album},
                          {"%GNRE", &v.genre}, {"%YEAR", &v.year},   {"%CMNT", &v.comment},
                          {"%TRCK", &v.track}};
  std::string out;
  size_t i = 0;
  while (i < format.size()) {
    bool replaced = false;
    if (format[i] == '%') {
      for (const Field& f : fields) {
        if (format.substr(i, f.code.size()) == f.code) {
          out += *f.value;
          i += f.code.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out.push_back(format[i++]);
  }
  return out;
}

void ParseStreamTitle(std::string_view meta, TagValues* values) {
  constexpr std::string_view kKey = "StreamTitle='";
  const size_t start = meta.find(kKey);
  if (start == std::string_view::npos) return;
  const size_t from = start + kKey.size();
  size_t end = meta.find("';", from);
  if (end == std::string_view::npos) end = meta.rfind('\'');
  if (end == std::string_view::npos || end < from) end = meta.size();
  const std::string_view text = meta.substr(from, end - from);
  const size_t dash = text.find(" - ");
  if (dash == std::string_view::npos) {
    values->title = std::string(text);
  } else {
    values->artist = std::string(text.substr(0, dash));
    values->title = std::string(text.substr(dash + 3));
  }
}

}  // namespace lirra::tags
