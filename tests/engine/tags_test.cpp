// Plugins/libtags.so loaded by name, as the player loads it, reading tags of files made here.
#include <dlfcn.h>

#include <fstream>

#include "engine_test_support.h"
#include "media_fixtures.h"
#include "tag_values.h"
#include "tags.h"

namespace lirra::testing {
namespace {

using ReadFn = const char* (*)(uint32_t, const char*);

class Tags : public EngineTest {
 protected:
  Tags() : EngineTest(0) {}
  void SetUp() override {
    EngineTest::SetUp();
    library_ = dlopen(LIRRA_APP_DIR "/Plugins/libtags.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    read_ = reinterpret_cast<ReadFn>(dlsym(library_, "TAGS_Read"));
    ASSERT_NE(read_, nullptr);
  }
  void TearDown() override {
    if (library_) dlclose(library_);
    EngineTest::TearDown();
  }
  std::string Read(const std::string& path, const char* format) {
    const HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_NE(h, 0u) << path;
    const char* text = read_(h, format);
    EXPECT_NE(text, nullptr);
    std::string out = text ? text : "(null)";
    BASS_StreamFree(h);
    return out;
  }
  std::string tone() {
    const std::string wav = scratch_.file("tone.wav");
    WriteSineWav(wav, 440, 0.5, 0.5);
    return wav;
  }

  void* library_ = nullptr;
  ReadFn read_ = nullptr;
};

TEST_F(Tags, Id3v2AndVorbisCommentsFillEveryField) {
  const std::string meta =
      "-metadata title=晨光 -metadata artist=Lirra -metadata album=Demo -metadata genre=Pop "
      "-metadata date=2024 -metadata track=3 -metadata comment=hello";
  const std::string mp3 = scratch_.file("t.mp3");
  const std::string ogg = scratch_.file("t.ogg");
  ASSERT_TRUE(Encode(tone(), mp3, "-c:a libmp3lame -id3v2_version 3 " + meta));
  ASSERT_TRUE(Encode(tone(), ogg, "-c:a libvorbis " + meta));
  for (const std::string& path : {mp3, ogg}) {
    EXPECT_EQ(Read(path, "%ARTI - %TITL"), "Lirra - 晨光") << path;
    EXPECT_EQ(Read(path, "%ALBM|%GNRE|%YEAR|%TRCK|%CMNT"), "Demo|Pop|2024|3|hello") << path;
  }
}

TEST_F(Tags, LegacyId3v1InGbkIsReadAsChinese) {
  const std::string mp3 = scratch_.file("legacy.mp3");
  ASSERT_TRUE(Encode(tone(), mp3, "-c:a libmp3lame -id3v2_version 0 -write_id3v1 0"));
  std::string tag(128, '\0');
  tag.replace(0, 3, "TAG");
  tag.replace(3, 6, "\xD6\xD0\xCE\xC4\xB8\xE8");   // 中文歌
  tag.replace(33, 4, "\xC4\xE3\xBA\xC3");          // 你好
  tag.replace(93, 4, "1999");
  tag[127] = static_cast<char>(255);
  std::ofstream(mp3, std::ios::binary | std::ios::app).write(tag.data(), 128);
  EXPECT_EQ(Read(mp3, "%ARTI - %TITL (%YEAR)"), "你好 - 中文歌 (1999)");
}

TEST_F(Tags, UnknownThingsGiveEmptyTextsNeverNull) {
  const std::string wav = tone();  // no tags at all
  EXPECT_EQ(Read(wav, "%TITL"), "");
  EXPECT_EQ(Read(wav, "[%ARTI] 100% %XYZW"), "[] 100% %XYZW");
  ASSERT_NE(read_(0xDEAD, "%TITL"), nullptr);
  EXPECT_STREQ(read_(0xDEAD, "%TITL"), "");
  EXPECT_STREQ(read_(0xDEAD, nullptr), "");
}

TEST(TagValues, ShoutcastStreamTitlesSplitIntoArtistAndTitle) {
  tags::TagValues v;
  tags::ParseStreamTitle("StreamTitle='Lirra - First Light';StreamUrl='';", &v);
  EXPECT_EQ(v.artist, "Lirra");
  EXPECT_EQ(v.title, "First Light");
  tags::TagValues w;
  tags::ParseStreamTitle("StreamTitle='Station jingle';", &w);
  EXPECT_EQ(w.artist, "");
  EXPECT_EQ(w.title, "Station jingle");
  tags::TagValues none;
  tags::ParseStreamTitle("garbage", &none);
  EXPECT_EQ(tags::Expand("%ARTI%TITL", none), "");
}

}  // namespace
}  // namespace lirra::testing
