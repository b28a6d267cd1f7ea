// Line-21 closed captions (CEA-608), the captions DVDs carry in their pictures' user data:
// the byte pairs of caption channel 1 turned into the text a viewer sees. Pop-on, roll-up
// and paint-on captions, the caption rows, tab offsets and the standard, special and
// extended characters; colours and styles are not kept.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvana {

class Cea608Decoder {
 public:
  Cea608Decoder();
  // One byte pair of the first field, parity bits included; true when the shown text changed.
  bool Feed(uint8_t first, uint8_t second);
  // Forgets everything (a jump elsewhere in the stream); true when text was shown.
  bool Reset();
  // The rows shown, top first, each without its surrounding blanks, joined by '\n' (UTF-8).
  const std::string& Shown() const { return shown_; }

 private:
  static constexpr int kRows = 15, kColumns = 32;
  using Screen = std::array<std::u32string, kRows>;
  enum class Style { PopOn, RollUp, PaintOn, Text };

  void Control(uint8_t first, uint8_t second);
  void Put(char32_t c);
  void Backspace();
  void CarriageReturn();
  Screen& Target() { return style_ == Style::PopOn ? hidden_ : shown_rows_; }
  static void Clear(Screen& screen);
  std::string Render() const;

  Screen shown_rows_, hidden_;
  Style style_ = Style::PopOn;
  int row_ = kRows - 1, column_ = 0;
  int rollRows_ = 2;
  bool channelOne_ = true;  // the last control code was for caption channel 1
  uint16_t lastControl_ = 0;
  std::string shown_;
};

// How a picture's caption bytes are packed.
enum class CaptionPacking { Cea608Raw, Cea608S334, Cea708CcData };

// The first field's byte pairs of a picture's caption bytes.
std::vector<std::pair<uint8_t, uint8_t>> FirstFieldPairs(CaptionPacking packing, const uint8_t* data, size_t size);

}  // namespace orvana
