// Orvana's arithmetic: the volume and balance tables, time texts, the letter-box
// fit, zoom, window sizes, the channel copy, the snapshot header and the message table.
#include "playback_math.h"

#include <gtest/gtest.h>

#include <tuple>

#include "dvd_place.h"
#include "event_texts.h"
#include "messages.h"
#include "stored_format.h"
#include "stream_text.h"

namespace orvana {
namespace {

TEST(VolumeAndBalance, FollowTheLogarithmicTables) {
  const std::pair<int, int> volumes[] = {{0, -10000}, {1, -9247}, {10, -7397}, {100, -4989},
                                         {1000, -2499}, {5000, -752}, {9999, 0}, {10000, 0},
                                         {20000, 0}, {-5, -10000}};
  for (auto [v, cb] : volumes) EXPECT_EQ(VolumeToCentibels(v), cb) << v;
  const std::pair<int, int> balances[] = {{0, 0}, {10000, -10000}, {-10000, 10000}, {100, -5011},
                                          {1, -753}, {-1, 753}};
  for (auto [b, cb] : balances) EXPECT_EQ(BalanceToCentibels(b), cb) << b;
  EXPECT_DOUBLE_EQ(CentibelsToGain(0), 1.0);
  EXPECT_DOUBLE_EQ(CentibelsToGain(-10000), 0.0);
  EXPECT_NEAR(CentibelsToGain(-2000), 0.1, 1e-12);  // -20 dB
  EXPECT_NEAR(BalanceToPanorama(-10000), -1.0, 1e-12) << "right silenced";
  EXPECT_NEAR(BalanceToPanorama(10000), 1.0, 1e-12);
  EXPECT_DOUBLE_EQ(BalanceToPanorama(0), 0.0);
}

TEST(TimeTexts, MinutesBelowAnHourAndHoursFromIt) {
  EXPECT_EQ(TimeText(59), "00:59");
  EXPECT_EQ(TimeText(3599), "59:59");
  EXPECT_EQ(TimeText(3600), "01:00:00");
  EXPECT_EQ(TimeText(3725), "01:02:05");
}

TEST(VideoWindow, FitZoomAndScaledSizes) {
  EXPECT_EQ(FitVideo(1000, 300, 640, 480), (Rect{300, 0, 400, 300}));
  EXPECT_EQ(FitVideo(300, 1000, 640, 480), (Rect{0, 387, 300, 225}));
  EXPECT_EQ(FitVideo(640, 480, 640, 480), (Rect{0, 0, 640, 480}));
  EXPECT_EQ(ZoomSource(640, 480, 50), (Rect{160, 120, 320, 240}));
  EXPECT_EQ(ZoomSource(640, 480, 0), (Rect{0, 0, 640, 480}));
  int32_t w = 0, h = 0;
  ASSERT_TRUE(ScaledVideoSize(2, 640, 480, &w, &h));
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  ASSERT_TRUE(ScaledVideoSize(4, 640, 480, &w, &h));
  EXPECT_EQ(w, 480);
  EXPECT_EQ(h, 360);
  EXPECT_FALSE(ScaledVideoSize(5, 640, 480, &w, &h));
}

TEST(ChannelCopy, CopiesWholeFramesOnly) {
  uint8_t pcm8[5] = {1, 2, 3, 4, 5};  // two whole frames and one byte
  CopyChannel(pcm8, 5, 1, 8);
  EXPECT_EQ((std::vector<uint8_t>(pcm8, pcm8 + 5)), (std::vector<uint8_t>{1, 1, 3, 3, 5}));
  uint8_t pcm16[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  CopyChannel(pcm16, 8, 2, 16);
  EXPECT_EQ((std::vector<uint8_t>(pcm16, pcm16 + 8)), (std::vector<uint8_t>{3, 4, 3, 4, 7, 8, 7, 8}));
  uint8_t pcm24[6] = {1, 2, 3, 4, 5, 6};
  CopyChannel(pcm24, 6, 1, 24);
  EXPECT_EQ((std::vector<uint8_t>(pcm24, pcm24 + 6)), (std::vector<uint8_t>{1, 2, 3, 1, 2, 3}));
  uint8_t same[4] = {1, 2, 3, 4};
  CopyChannel(same, 4, 3, 16);
  CopyChannel(same, 4, 1, 12);
  EXPECT_EQ((std::vector<uint8_t>(same, same + 4)), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(Snapshot, GrabberHeaderIs26BytesWithItsFields) {
  const std::vector<uint8_t> pixels(640 * 480 * 3, 0x7F);
  const std::vector<uint8_t> bmp = GrabberBmp(640, 480, 24, pixels.data(), pixels.size());
  ASSERT_EQ(bmp.size(), 26u + 921600u);
  const auto u16 = [&](size_t at) { return bmp[at] | bmp[at + 1] << 8; };
  const auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | u16(at + 2) << 16); };
  EXPECT_EQ(u16(0), 0x4D42);
  EXPECT_EQ(u32(2), 26u + 921600u);
  EXPECT_EQ(u32(10), 26u);
  EXPECT_EQ(u32(14), 12u);
  EXPECT_EQ(u16(18), 640);
  EXPECT_EQ(u16(20), 480);
  EXPECT_EQ(u16(22), 1);
  EXPECT_EQ(u16(24), 24);
  EXPECT_EQ(bmp[26], 0x7F);
}

TEST(Messages, BothLanguagesAndTheErrorCode) {
  MessageTable t;
  t.Load(0);
  EXPECT_EQ(t.text(Message::ErrorCaption), "Error");
  EXPECT_EQ(t.ErrorCodeText(static_cast<int32_t>(0x80004005u)), "Error Code: $80004005");
  EXPECT_NE(t.text(Message::RendererMissingText).find("Renderer\rwhich"), std::string::npos);
  t.Load(1);
  EXPECT_EQ(t.text(Message::ErrorCaption), "错误");
  EXPECT_EQ(t.ErrorCodeText(static_cast<int32_t>(0x8004027Au)), "错误代码: $8004027A");
  t.Load(2);  // not a language: the Chinese texts stay
  EXPECT_EQ(t.text(Message::ErrorCaption), "错误");
  t.Load(256);  // the low byte counts: English
  EXPECT_EQ(t.text(Message::MediaTypeWord), "MediaType");
}

TEST(EventTexts, EachCodesTextAndTheUnknownOnes) {
  const std::pair<int32_t, std::string> texts[] = {
      {1, "EC_COMPLETE - All data from a particular stream has been rendered."},
      {14, "EC_PAUSED - A pause request has completed."},
      {48, "EC_TIMECODE_AVAILABLE- Sent by filter supporting timecode."},
      {283, "EC_DVD_KARAOKE_MODE - Indicates that the Navigator has either begun playing or finished playing karaoke data."},
      {513, "EC_SNDDEV_OUT_ERROR - An audio device error has occurred on an output pin."},
      {15, "Unknow Graph Event"}, {30, "Unknow Graph Event"}, {1000, "Unknow Graph Event"}, {0, "Unknow Graph Event"},
      {-1, "Unknow Graph Event"}, {514, "Unknow Graph Event"},
  };
  for (const auto& [code, text] : texts) EXPECT_EQ(EventCodeText(code), text) << code;
}

TEST(StreamText, TheMediaTypeWordsOfEachFormatBlock) {
  using F = StreamFormat;
  MessageTable english, chinese;
  english.Load(0);
  chinese.Load(1);
  const struct {
    F format;
    const MessageTable& words;
    const char* line;
  } cases[] = {
      {{F::Major::Video, "YV12", F::Block::VideoInfo, 0x32315659, 640, 480, 12}, english,
       "Video: YV12, Format: VideoInfo YV12 640 X 480, 12 bits"},
      {{F::Major::Video, "RGB24", F::Block::VideoInfo, 0, 320, 240, 24}, english,
       "Video: RGB24, Format: VideoInfo RGB 320 X 240, 24 bits"},
      {{F::Major::Video, "RGB565", F::Block::VideoInfo, 3, 2, 2, 16}, chinese,
       "Video: RGB565, 格式: 视频信息 BITFIELDS 2 X 2, 16 bits"},
      {{F::Major::Video, "", F::Block::VideoInfo, 1, 8, 8, 8}, english, "Video: UnKnown , Format: VideoInfo RLE8 8 X 8, 8 bits"},
      {{F::Major::Audio, "PCM", F::Block::WaveFormatEx, 0, 0, 0, 0, 1, 44100, 16, 2}, english,
       "Audio: PCM, Format: WaveFormatEx: PCM, 44100 Hz, 16 Bits, 2 Chan"},
      {{F::Major::Audio, "", F::Block::WaveFormatEx, 0, 0, 0, 0, 0x1234, 22050, 8, 1}, english,
       "Audio: UnKnown , Format: WaveFormatEx: UnKnown , 22050 Hz, 8 Bits, 1 Chan"},
      {{F::Major::Audio, "", F::Block::WaveFormatEx, 0, 0, 0, 0, 117, 8000, 16, 1}, chinese,
       "Audio: 未知 , 格式: WaveFormatEx: VOXWARE, 8000 Hz, 16 Bits, 1 Chan"},
      {{F::Major::Audio, "", F::Block::WaveFormatEx, 0, 0, 0, 0, 0x55, 48000, 0, 2}, english,
       "Audio: UnKnown , Format: WaveFormatEx: MPEGLAYER3, 48000 Hz, 0 Bits, 2 Chan"},
      {{F::Major::Text, "", F::Block::None}, english, "Text: UnKnown , Format: UnKnown "},
      {{F::Major::Other, "", F::Block::None}, english, "UnKnown UnKnown , Format: UnKnown "},
  };
  for (const auto& c : cases) EXPECT_EQ(DescribeStream(c.format, c.words), c.line);
}

namespace {
// A RIFF chunk: its id, its size and its body padded to an even length.
std::string Chunk(const char (&id)[5], const std::string& body) {
  std::string c(id, 4);
  for (int i = 0; i < 4; ++i) c += static_cast<char>((body.size() >> (8 * i)) & 0xFF);
  return c + body + (body.size() % 2 ? std::string(1, '\0') : "");
}
std::string Le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
}  // namespace

TEST(StoredFormat, AviAndWaveHeadersAreReadAndDamagedOnesRefused) {
  const std::string bitmap = Le(40, 4) + Le(160, 4) + Le(static_cast<uint32_t>(-120), 4) + Le(1, 2) + Le(24, 2) +
                             std::string("DIVX") + std::string(20, '\0');
  const std::string mp3 = Le(0x55, 2) + Le(2, 2) + Le(48000, 4) + Le(16000, 4) + Le(1, 2) + Le(0, 2) + Le(0, 2);
  // Six channels of float in the extensible form: the sub-format names the subtype.
  const std::string extensible = Le(0xFFFE, 2) + Le(6, 2) + Le(48000, 4) + Le(1152000, 4) + Le(24, 2) + Le(32, 2) +
                                 Le(22, 2) + Le(32, 2) + Le(0x3F, 4) + Le(3, 2) + std::string(14, '\0');
  const std::string strh = [](const char* type) { return std::string(type, 4) + std::string(52, '\0'); }("vids");
  const std::string avi =
      Chunk("RIFF", "AVI " + Chunk("LIST", "hdrl" + Chunk("avih", std::string(56, '\0')) +
                                               Chunk("LIST", "strl" + Chunk("strh", strh) + Chunk("strf", bitmap)) +
                                               Chunk("LIST", "strl" + Chunk("strh", "auds" + strh.substr(4)) +
                                                                 Chunk("strf", mp3))) +
                        Chunk("LIST", "movi"));
  const std::vector<StoredStream> streams = ReadRiffStreams(avi);
  ASSERT_EQ(streams.size(), 2u);
  EXPECT_EQ(std::tuple(streams[0].kind, streams[0].compression, streams[0].width, streams[0].height, streams[0].bitCount),
            std::tuple(StoredStream::Kind::Video, FourCc("DIVX"), 160, 120, 24));
  EXPECT_EQ(std::tuple(streams[1].kind, streams[1].formatTag, streams[1].rate, streams[1].channels, streams[1].subtypeTag),
            std::tuple(StoredStream::Kind::Audio, 0x55, 48000, 2, 0x55));
  const std::vector<StoredStream> wave = ReadRiffStreams(Chunk("RIFF", "WAVE" + Chunk("fmt ", extensible)));
  ASSERT_EQ(wave.size(), 1u);
  EXPECT_EQ(std::tuple(wave[0].formatTag, wave[0].subtypeTag, wave[0].bits, wave[0].channels), std::tuple(0xFFFE, 3, 32, 6));
  EXPECT_EQ(SubtypeOfFormatTag(wave[0].subtypeTag), "IEEE_FLOAT");
  EXPECT_EQ(SubtypeOfFourCc(FourCc("MP42")) + SubtypeOfFourCc(FourCc("dvsd")) + SubtypeOfFourCc(FourCc("divx")), "MS-MPEG4dvsd_");
  // A header cut short anywhere, or with a size that overruns it, reads as no streams or
  // fewer, and never past its end (the address checker watches).
  for (size_t cut = 0; cut < avi.size(); ++cut) {
    const std::string head = avi.substr(0, cut);
    EXPECT_LE(ReadRiffStreams(head).size(), 2u);
  }
  std::string overrun = avi;
  overrun[16] = '\xFF';
  EXPECT_TRUE(ReadRiffStreams(overrun).empty());
  EXPECT_TRUE(ReadRiffStreams("RIFF\0\0\0\0AVIX").empty());
}

TEST(StandingClockWatch, OnlyAClockThatStandsWhilePlayingIsLeft) {
  using C = StandingClockWatch::Check;
  const C standing{.playing = true, .position = 5, .clockTime = 99};
  const struct {
    const char* what;
    C check;            // the same at every check, except where the clock runs
    bool clockRuns;
    int movesInTen;     // moves to the system clock in ten checks
  } cases[] = {
      {"a clock that stands", standing, false, 3},
      {"a stalled stream under a running clock", standing, true, 0},
      {"buffering", {.playing = true, .buffering = true, .position = 5, .clockTime = 99}, false, 0},
      {"a live source", {.playing = true, .live = true, .position = 5, .clockTime = 99}, false, 0},
      {"already on the system clock", {.playing = true, .onSystemClock = true, .position = 5, .clockTime = 99}, false, 0},
      {"at the end", {.playing = true, .ended = true, .position = 5, .clockTime = 99}, false, 0},
      {"paused", {.position = 5, .clockTime = 99}, false, 0},
  };
  for (const auto& c : cases) {
    StandingClockWatch watch;
    int moves = 0;
    for (int i = 0; i < 10; ++i) {
      C check = c.check;
      if (c.clockRuns) check.clockTime += static_cast<uint64_t>(i) * 500'000'000;
      moves += watch.ShouldMoveToSystemClock(check);
    }
    EXPECT_EQ(moves, c.movesInTen) << c.what;
  }
}

TEST(DvdPlace, TheVolumeAPathNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"/media/disc", "/media/disc"},          {"/media/disc/", "/media/disc"},
      {"/media/disc/VIDEO_TS", "/media/disc"}, {"/media/disc/video_ts/", "/media/disc"},
      {"/media/disc/VIDEO_TS/VTS_01_0.IFO", "/media/disc"}, {"/films/movie.iso", "/films/movie.iso"},
      {"/VIDEO_TS/VIDEO_TS.BUP", "/"},         {"", ""},
  };
  for (const auto& [path, volume] : cases) EXPECT_EQ(DvdVolumeOf(path), volume) << path;
}

TEST(DvdPlace, BookmarksRoundTripAndOnlyPlacesADiscHasAreRead) {
  const DvdPlace place{2, 3, 61234, 2};
  const std::optional<DvdBookmark> back = ParseBookmark(BookmarkText("/media/a disc=1", place));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->volume, "/media/a disc=1");
  EXPECT_EQ(std::tie(back->place.title, back->place.chapter, back->place.positionMs, back->place.angle),
            std::tie(place.title, place.chapter, place.positionMs, place.angle));
  EXPECT_TRUE(ParseBookmark(BookmarkText("/d", DvdPlace{0, kDvdRootMenu, 0, 1}))) << "a menu";
  const std::string header = "[Lirra DVD bookmark 1]\nvolume=/d\n";
  for (const std::string& text : {std::string(), std::string("volume=/d\ntitle=1\n"), header,
                                 header + "title=x\n", header + "title=1\nposition=-5\n", header + "title=0\nchapter=5\n",
                                 header + "title=-1\n", header + "title=1\nangle=0\n", header + "title=1 \n"})
    EXPECT_FALSE(ParseBookmark(text)) << text;
}

}  // namespace
}  // namespace orvana
