#include "encoding.h"

#include <gtest/gtest.h>

namespace lirra {
namespace {

// "中文" and "你好" in GBK (code page 936).
constexpr char kGbkZhongWen[] = "\xD6\xD0\xCE\xC4";
constexpr char kGbkNiHao[] = "\xC4\xE3\xBA\xC3";

TEST(Utf8Validation, AcceptsWellFormedText) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain ascii"));
  EXPECT_TRUE(IsValidUtf8("中文 ★ ◇"));
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8E\xB5"));  // U+1F3B5, four bytes
}

TEST(Utf8Validation, RejectsMalformedText) {
  EXPECT_FALSE(IsValidUtf8(kGbkZhongWen));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong, three bytes
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate D800
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("abc\xE4\xB8"));       // truncated at the end
  EXPECT_FALSE(IsValidUtf8("\x80"));              // lone continuation byte
}

TEST(GbkDecoding, DecodesChineseText) {
  EXPECT_EQ(GbkToUtf8(kGbkZhongWen), "中文");
  EXPECT_EQ(GbkToUtf8(std::string("a") + kGbkNiHao + "b"), "a你好b");
}

TEST(GbkDecoding, ReplacesUnmappableBytesAndKeepsTheRest) {
  // 0xFF is never a GBK lead byte; a lead byte at the very end is truncated.
  EXPECT_EQ(GbkToUtf8(std::string(kGbkZhongWen) + "\xFF" + kGbkNiHao), "中文\uFFFD你好");
  EXPECT_EQ(GbkToUtf8(std::string("ok") + "\xD6"), "ok\uFFFD");
}

TEST(DecodeRule, Utf8WhenValidElseGbkAndBomSkipped) {
  EXPECT_EQ(DecodeToUtf8("中文"), "中文");
  EXPECT_EQ(DecodeToUtf8(kGbkZhongWen), "中文");
  EXPECT_EQ(DecodeToUtf8("\xEF\xBB\xBF中文"), "中文");
  EXPECT_EQ(DecodeToUtf8("\xEF\xBB\xBF"), "");
  // Text that is not UTF-8 after the mark is still read as GBK.
  EXPECT_EQ(DecodeToUtf8(std::string("\xEF\xBB\xBF") + kGbkNiHao), "你好");
}

}  // namespace
}  // namespace lirra
