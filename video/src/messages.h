// The library's fourteen message texts in the language the host chose (English at start).
#pragma once

#include <string>

namespace orvana {

enum class Message {
  ErrorCaption,
  ErrorCodeFormat,
  CreateTimeLabel,
  AccessTimeLabel,
  ModifiedTimeLabel,
  RendererMissingText,
  RendererMissingCaption,
  GraphEditMissing,
  FormatLabel,
  VideoInfoWord,
  UnknownWord,
  MajorTypeLabel,
  SubTypeLabel,
  MediaTypeWord,
};

class MessageTable {
 public:
  // 0 English, 1 Chinese (low byte); any other value changes nothing.
  void Load(int language);
  const std::string& text(Message m) const { return texts_[static_cast<int>(m)]; }
  // "Error Code: $80004005": the code in upper-case hexadecimal without leading zeros.
  std::string ErrorCodeText(int32_t code) const;

 private:
  std::string texts_[14];
};

}  // namespace orvana
