#include "cea608.h"

#include <algorithm>

namespace orvana {

namespace {

// The characters 0x20-0x7F where they differ from ASCII.
char32_t Standard(uint8_t c) {
  switch (c) {
    case 0x2A: return U'á';
    case 0x5C: return U'é';
    case 0x5E: return U'í';
    case 0x5F: return U'ó';
    case 0x60: return U'ú';
    case 0x7B: return U'ç';
    case 0x7C: return U'÷';
    case 0x7D: return U'Ñ';
    case 0x7E: return U'ñ';
    case 0x7F: return U'█';
    default: return c;
  }
}

// 0x11 0x30-0x3F (0x39 is a transparent space).
constexpr char32_t kSpecial[] = U"®°½¿™¢£♪à èâêîôû";
// 0x12 0x20-0x3F and 0x13 0x20-0x3F: each replaces the standard character before it.
constexpr char32_t kExtended[2][33] = {U"ÁÉÓÚÜü‘¡*’—©℠•“”ÀÂÇÈÊËëÎÏïÔÙùÛ«»", U"ÃãÍÌìÒòÕõ{}\\^_|~ÄäÖöß¥¤│ÅåØø┌┐└┘"};
// The first row of a preamble's row pair, by the low three bits of its first byte.
constexpr int kPreambleRow[8] = {11, 1, 3, 12, 14, 5, 7, 9};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

Cea608Decoder::Cea608Decoder() {
  Clear(shown_rows_);
  Clear(hidden_);
}

void Cea608Decoder::Clear(Screen& screen) {
  for (std::u32string& row : screen) row.assign(kColumns, U' ');
}

bool Cea608Decoder::Reset() {
  const bool wasShown = !shown_.empty();
  *this = Cea608Decoder();
  return wasShown;
}

bool Cea608Decoder::Feed(uint8_t first, uint8_t second) {
  const uint8_t a = first & 0x7F, b = second & 0x7F;  // parity off
  const uint16_t code = static_cast<uint16_t>(a << 8 | b);
  if (a >= 0x10 && a <= 0x1F) {
    // Control codes come twice in a row for safety; the repeat is not a second command.
    if (code == lastControl_) {
      lastControl_ = 0;
      return false;
    }
    lastControl_ = code;
    channelOne_ = (a & 0x08) == 0;
    if (channelOne_) Control(a & 0x17, b);
  } else {
    lastControl_ = 0;
    if (a >= 0x20 && channelOne_ && style_ != Style::Text) {
      Put(Standard(a));
      if (b >= 0x20) Put(Standard(b));
    }
  }
  std::string now = Render();
  if (now == shown_) return false;
  shown_ = std::move(now);
  return true;
}

void Cea608Decoder::Control(uint8_t a, uint8_t b) {
  if ((a == 0x14 || a == 0x15) && b >= 0x20 && b <= 0x2F) {
    switch (b) {
      case 0x20: style_ = Style::PopOn; break;  // resume caption loading
      case 0x21: Backspace(); break;
      case 0x24: std::fill(Target()[row_].begin() + column_, Target()[row_].end(), U' '); break;
      case 0x25: case 0x26: case 0x27:  // roll-up in 2, 3 or 4 rows
        if (style_ != Style::RollUp) {
          Clear(shown_rows_);
          Clear(hidden_);
          column_ = 0;
        }
        style_ = Style::RollUp;
        rollRows_ = b - 0x23;
        break;
      case 0x29: style_ = Style::PaintOn; break;  // resume direct captioning
      case 0x2A: case 0x2B: style_ = Style::Text; break;
      case 0x2C: Clear(shown_rows_); break;
      case 0x2D: if (style_ == Style::RollUp) CarriageReturn(); break;
      case 0x2E: Clear(hidden_); break;
      case 0x2F:  // end of caption: the loaded caption is shown
        std::swap(shown_rows_, hidden_);
        style_ = Style::PopOn;
        break;
      default: break;  // flash on, alarms
    }
    return;
  }
  if (style_ == Style::Text) return;
  if (b >= 0x40) {  // preamble: a row and an indent
    int row = kPreambleRow[a & 0x07] + (a != 0x10 && (b & 0x20) ? 1 : 0) - 1;
    if (style_ == Style::RollUp) row = std::max(row, rollRows_ - 1);
    if (style_ == Style::RollUp && row != row_) {  // the rolling rows move with their base row
      Screen moved;
      Clear(moved);
      for (int i = 0; i < rollRows_; ++i)
        if (row_ - i >= 0) moved[row - i] = shown_rows_[row_ - i];
      shown_rows_ = moved;
    }
    row_ = row;
    column_ = (b & 0x10) ? ((b & 0x0E) >> 1) * 4 : 0;
  } else if (a == 0x11 && b >= 0x20 && b <= 0x2F) {
    Put(U' ');  // a change of style takes a space
  } else if (a == 0x11 && b >= 0x30) {
    Put(kSpecial[b - 0x30]);
  } else if ((a == 0x12 || a == 0x13) && b >= 0x20) {
    Backspace();
    Put(kExtended[a - 0x12][b - 0x20]);
  } else if (a == 0x17 && b >= 0x21 && b <= 0x23) {
    column_ = std::min(column_ + b - 0x20, kColumns - 1);
  }
}

void Cea608Decoder::Put(char32_t c) {
  Target()[row_][column_] = c;
  if (column_ < kColumns - 1) ++column_;  // the last column takes what follows
}

void Cea608Decoder::Backspace() {
  if (column_ > 0) Target()[row_][--column_] = U' ';
}

// Roll-up: the window's rows move up one, the base row starts empty; nothing outside the
// window stays.
void Cea608Decoder::CarriageReturn() {
  const int top = std::max(row_ - rollRows_ + 1, 0);
  for (int r = top; r < row_; ++r) shown_rows_[r] = shown_rows_[r + 1];
  for (int r = 0; r < kRows; ++r)
    if (r < top || r >= row_) shown_rows_[r].assign(kColumns, U' ');
  column_ = 0;
}

std::string Cea608Decoder::Render() const {
  std::string text;
  for (const std::u32string& row : shown_rows_) {
    const size_t first = row.find_first_not_of(U' ');
    if (first == std::u32string::npos) continue;
    const size_t last = row.find_last_not_of(U' ');
    if (!text.empty()) text += '\n';
    for (size_t i = first; i <= last; ++i) AppendUtf8(text, row[i]);
  }
  return text;
}

std::vector<std::pair<uint8_t, uint8_t>> FirstFieldPairs(CaptionPacking packing, const uint8_t* data, size_t size) {
  std::vector<std::pair<uint8_t, uint8_t>> pairs;
  if (!data) return pairs;
  if (packing == CaptionPacking::Cea608Raw) {
    for (size_t i = 0; i + 1 < size; i += 2) pairs.emplace_back(data[i], data[i + 1]);
    return pairs;
  }
  for (size_t i = 0; i + 2 < size; i += 3) {
    const uint8_t head = data[i];
    // cc_data: valid, type 0 (field 1); SMPTE 334: the field bit set for field 1.
    const bool first = packing == CaptionPacking::Cea708CcData ? (head & 0x07) == 0x04 : (head & 0x80) != 0;
    if (first) pairs.emplace_back(data[i + 1], data[i + 2]);
  }
  return pairs;
}

}  // namespace orvana
