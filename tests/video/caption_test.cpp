// Line-21 captions: byte pairs in, the text a viewer sees out.
#include "cea608.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

namespace orvana {
namespace {

// A step is a control code (two bytes) or text (pairs of characters).
struct Step {
  uint16_t code = 0;
  std::string text;
};
Step C(uint16_t code) { return {code, {}}; }
Step T(std::string text) { return {0, std::move(text)}; }

uint8_t Odd(uint8_t b) { return std::popcount(b) % 2 ? b : static_cast<uint8_t>(b | 0x80); }

// Feeds the steps with parity bits set, each control code twice as encoders send it.
std::string Shown(const std::vector<Step>& steps) {
  Cea608Decoder d;
  for (const Step& s : steps) {
    if (s.code) {
      for (int i = 0; i < 2; ++i) d.Feed(Odd(s.code >> 8), Odd(s.code & 0xFF));
      continue;
    }
    for (size_t i = 0; i < s.text.size(); i += 2)
      d.Feed(Odd(static_cast<uint8_t>(s.text[i])), Odd(i + 1 < s.text.size() ? static_cast<uint8_t>(s.text[i + 1]) : 0));
  }
  return d.Shown();
}

constexpr uint16_t RCL = 0x1420, BS = 0x1421, RU2 = 0x1425, RDC = 0x1429, TR = 0x142A, EDM = 0x142C, CR = 0x142D,
                   ENM = 0x142E, EOC = 0x142F, Row14 = 0x1440, Row15 = 0x1460, Row1Indent8 = 0x1154;

TEST(Cea608, CaptionsAppearAsTheirStyleSays) {
  const struct {
    const char* name;
    std::vector<Step> steps;
    const char* shown;
  } cases[] = {
      {"pop-on before its end", {C(RCL), C(ENM), C(Row15), T("HELLO")}, ""},
      {"pop-on", {C(RCL), C(ENM), C(Row15), T("HELLO"), C(EOC)}, "HELLO"},
      {"two rows", {C(RCL), C(Row14), T("ONE"), C(Row15), T("TWO"), C(EOC)}, "ONE\nTWO"},
      {"indent and top row", {C(RCL), C(Row1Indent8), T("TOP"), C(EOC)}, "TOP"},
      {"shown erased", {C(RCL), T("GONE"), C(EOC), C(EDM)}, ""},
      {"next caption replaces", {C(RCL), T("A"), C(EOC), C(ENM), T("B"), C(EOC)}, "B"},
      {"roll-up scrolls out", {C(RU2), T("ONE"), C(CR), T("TWO"), C(CR), T("THREE")}, "TWO\nTHREE"},
      {"paint-on at once", {C(RDC), C(Row15), T("HI")}, "HI"},
      {"backspace", {C(RDC), T("HIX"), C(BS)}, "HI"},
      {"standard set", {C(RDC), T("Espa\x7E" "a \x2A")}, "España á"},
      {"special", {C(RDC), C(0x1137), T(" la")}, "♪ la"},
      {"extended replaces", {C(RDC), T("CAFE"), C(0x1221)}, "CAFÉ"},
      {"second channel ignored", {C(0x1C20), T("XX"), C(0x1C2F)}, ""},
      {"text mode ignored", {C(TR), T("XX")}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Shown(c.steps), c.shown) << c.name;
}

TEST(Cea608, AnImmediateRepeatIsOneCommandAndResetForgets) {
  Cea608Decoder d;
  const std::pair<uint8_t, uint8_t> caption[] = {{0x94, 0x20}, {0xC1, 0x80}, {0x94, 0x2F}, {0x94, 0x2F}};
  for (auto [a, b] : caption) d.Feed(a, b);
  EXPECT_EQ(d.Shown(), "A") << "end of caption and its repeat swap once";
  // Each further end of caption swaps back and forth, every second one being a repeat.
  const char* shown[] = {"", "", "A"};
  for (const char* text : shown) {
    d.Feed(0x94, 0x2F);
    EXPECT_EQ(d.Shown(), text);
  }
  EXPECT_TRUE(d.Reset());
  EXPECT_EQ(d.Shown(), "");
  EXPECT_FALSE(d.Reset());
}

TEST(Cea608, FirstFieldPairsOfEachPacking) {
  const uint8_t ccData[] = {0xFC, 0x94, 0x20, 0xFD, 0x11, 0x22, 0xF8, 0x33, 0x44, 0xFE, 0x55, 0x66};
  using Pairs = std::vector<std::pair<uint8_t, uint8_t>>;
  EXPECT_EQ(FirstFieldPairs(CaptionPacking::Cea708CcData, ccData, sizeof ccData), (Pairs{{0x94, 0x20}}));
  const uint8_t s334[] = {0x80, 1, 2, 0x00, 3, 4, 0x81, 5, 6, 0x80};
  EXPECT_EQ(FirstFieldPairs(CaptionPacking::Cea608S334, s334, sizeof s334), (Pairs{{1, 2}, {5, 6}}));
  const uint8_t raw[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(FirstFieldPairs(CaptionPacking::Cea608Raw, raw, sizeof raw), (Pairs{{1, 2}, {3, 4}}));
  EXPECT_TRUE(FirstFieldPairs(CaptionPacking::Cea608Raw, nullptr, 4).empty());
}

}  // namespace
}  // namespace orvana
