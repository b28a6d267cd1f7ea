// Opening files: formats, lengths, decode-only channels, and bad input of every kind.
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>

#include "engine_test_support.h"
#include "media_fixtures.h"

namespace lirra::testing {
namespace {

// These tests need no sound: the engine runs on its null output (device 0).
class Files : public EngineTest {
 protected:
  Files() : EngineTest(0) {}
};

constexpr double kMp3Frame = 1152.0 / 44100.0;

TEST_F(Files, LengthsOfWavMp3AndOggAreRightAndConsistent) {
  const std::string wav = scratch_.file("tone.wav");
  WriteSineWav(wav, 440, 2.5, 0.5);
  const std::string mp3 = scratch_.file("tone.mp3");
  const std::string ogg = scratch_.file("tone.ogg");
  const std::string mp2 = scratch_.file("tone.mp2");
  const std::string aiff = scratch_.file("tone.aiff");
  ASSERT_TRUE(Encode(wav, mp3, "-c:a libmp3lame -b:a 128k"));
  ASSERT_TRUE(Encode(wav, ogg, "-c:a libvorbis -q:a 3"));
  ASSERT_TRUE(Encode(wav, mp2, "-c:a mp2 -b:a 192k"));
  ASSERT_TRUE(Encode(wav, aiff, "-c:a pcm_s16be"));

  struct Case { std::string path; DWORD ctype; double tolerance; };
  for (const Case& c : {Case{wav, BASS_CTYPE_STREAM_WAV_PCM, 0.0},
                        Case{aiff, BASS_CTYPE_STREAM_AIFF, 0.0},
                        Case{mp3, BASS_CTYPE_STREAM_MP3, kMp3Frame},
                        Case{mp2, BASS_CTYPE_STREAM_MP2, kMp3Frame},
                        Case{ogg, BASS_CTYPE_STREAM_OGG, 0.001}}) {
    SCOPED_TRACE(c.path);
    const HSTREAM h = BASS_StreamCreateFile(FALSE, c.path.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info;
    ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.ctype, c.ctype);
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_STREQ(info.filename, c.path.c_str());
    const QWORD bytes = BASS_ChannelGetLength(h, BASS_POS_BYTE);
    EXPECT_EQ(bytes % 4, 0u) << "whole frames of 16-bit stereo";
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, bytes), 2.5, c.tolerance + 1e-9);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(h, 1.0), 176400u);
    EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(h, 176400), 1.0);
    EXPECT_TRUE(BASS_StreamFree(h));
  }
}

TEST_F(Files, LengthUsesTheSourcesOwnRateAndChannels) {
  const std::string wav = scratch_.file("mono.wav");
  WriteWav(wav, 22050, 1, 22050 * 3, [](int64_t f, int) { return std::sin(f * 0.1) * 0.3; });
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), QWORD{22050 * 3 * 2});
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(h, 44100), 1.0);
}

TEST_F(Files, DecodeOnlyChannelsMeasureButNeverPlay) {
  const std::string wav = scratch_.file("tone.wav");
  WriteSineWav(wav, 440, 0.1, 0.5);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u);
  EXPECT_FALSE(BASS_ChannelPlay(h, TRUE));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DECODE);
  EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING}) << "data remains";
  float bins[512];
  int reads = 0;
  while (BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024) != 0xFFFFFFFFu) ++reads;
  EXPECT_EQ(reads, 5);  // 4410 frames in 1024-frame reads
  EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
}

TEST_F(Files, DamagedFloatSamplesNeverReachTheSpectrumAsNonNumbers) {
  std::vector<double> samples;
  for (int f = 0; f < 4096; ++f) {
    const double v = f % 7 == 0    ? std::nan("")
                     : f % 11 == 0 ? HUGE_VAL
                     : f % 13 == 0 ? 1e300
                                   : 0.5 * std::sin(f * 0.1);
    samples.push_back(v);
    samples.push_back(-v);
  }
  const std::string path = scratch_.file("damaged.wav");
  WriteBytes(path, MakeWave({3, 64, 2}, 44100, samples));
  const HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  float bins[512];
  int reads = 0;
  while (BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024) != 0xFFFFFFFFu) {
    ++reads;
    for (const float b : bins) ASSERT_TRUE(std::isfinite(b) && b >= 0.0f) << "read " << reads;
  }
  EXPECT_EQ(reads, 4);
}

TEST_F(Files, BadInputFailsWithTheMatchingErrorCode) {
  struct Case { std::string what; std::string path; int error; };
  const std::string empty = scratch_.file("empty.mp3");
  std::ofstream(empty).close();
  const std::string noise = scratch_.file("noise.mp3");
  {
    std::mt19937 rng(42);
    std::ofstream f(noise, std::ios::binary);
    for (int i = 0; i < 64 * 1024; ++i) f.put(static_cast<char>(rng() & 0x7F));  // no sync words
  }
  const std::string truncated = scratch_.file("truncated.wav");
  {
    const std::string full = scratch_.file("full.wav");
    WriteSineWav(full, 440, 1.0);
    std::ifstream in(full, std::ios::binary);
    std::string head(30, '\0');
    in.read(head.data(), 30);
    std::ofstream(truncated, std::ios::binary).write(head.data(), 30);
  }
  for (const Case& c : {Case{"missing", scratch_.file("absent.mp3"), BASS_ERROR_FILEOPEN},
                        Case{"folder", scratch_.file(""), BASS_ERROR_FILEOPEN},
                        Case{"empty", empty, BASS_ERROR_FILEFORM},
                        Case{"random bytes", noise, BASS_ERROR_FILEFORM},
                        Case{"truncated header", truncated, BASS_ERROR_FILEFORM}}) {
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, c.path.c_str(), 0, 0, 0), 0u) << c.what;
    EXPECT_EQ(BASS_ErrorGetCode(), c.error) << c.what;
  }
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

  // A module that is not one.
  const std::string corrupt = scratch_.file("corrupt.mod");
  std::vector<uint8_t> module = MinimalModule(8);
  module.resize(600);
  WriteBytes(corrupt, module);
  EXPECT_EQ(BASS_MusicLoad(FALSE, corrupt.c_str(), 0, 0, 0x28400, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  EXPECT_EQ(BASS_MusicLoad(FALSE, noise.c_str(), 0, 0, 0x28400, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

TEST_F(Files, EveryCallRejectsAnUnknownHandle) {
  const DWORD bad = 0xDEAD;
  float bins[512];
  BASS_CHANNELINFO info;
  EXPECT_EQ(BASS_ChannelGetData(bad, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ChannelGetLength(bad, 0), QWORD(-1));
  EXPECT_EQ(BASS_ChannelGetPosition(bad, 0), QWORD(-1));
  EXPECT_FALSE(BASS_ChannelSetPosition(bad, 0, 0));
  EXPECT_FALSE(BASS_ChannelPlay(bad, TRUE));
  EXPECT_FALSE(BASS_ChannelPause(bad));
  EXPECT_FALSE(BASS_ChannelStop(bad));
  EXPECT_FALSE(BASS_ChannelGetInfo(bad, &info));
  EXPECT_EQ(BASS_ChannelGetTags(bad, BASS_TAG_OGG), nullptr);
  EXPECT_LT(BASS_ChannelBytes2Seconds(bad, 100), 0.0);
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(bad, 1.0), QWORD(-1));
  EXPECT_EQ(BASS_StreamGetFilePosition(bad, BASS_FILEPOS_CURRENT), QWORD(-1));
  EXPECT_FALSE(BASS_StreamFree(bad));
  EXPECT_FALSE(BASS_MusicFree(bad));
  EXPECT_EQ(BASS_ChannelIsActive(bad), DWORD{BASS_ACTIVE_STOPPED});
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(Files, TagsOfAnOggFileComeAsKeyValueTexts) {
  const std::string wav = scratch_.file("tone.wav");
  WriteSineWav(wav, 440, 0.5, 0.5);
  const std::string ogg = scratch_.file("tagged.ogg");
  ASSERT_TRUE(Encode(wav, ogg, "-c:a libvorbis -metadata title=Morning -metadata artist=Lirra"));
  const HSTREAM h = BASS_StreamCreateFile(FALSE, ogg.c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u);
  std::vector<std::string> tags;
  for (const char* p = BASS_ChannelGetTags(h, BASS_TAG_OGG); p && *p; p += std::strlen(p) + 1)
    tags.emplace_back(p);
  EXPECT_NE(std::find(tags.begin(), tags.end(), "title=Morning"), tags.end());
  EXPECT_NE(std::find(tags.begin(), tags.end(), "artist=Lirra"), tags.end());
}

TEST(EngineInit, FailsPromptlyWhenNoSoundServerCanBeReached) {
  const char* saved = std::getenv("PULSE_SERVER");
  const std::string restore = saved ? saved : "";
  setenv("PULSE_SERVER", "unix:/nonexistent/lirra/native", 1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(BASS_Init(1, 44100, 0, 0, nullptr));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  EXPECT_LT(took, std::chrono::seconds(4));
  EXPECT_FALSE(BASS_Init(7, 44100, 0, 0, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  if (saved)
    setenv("PULSE_SERVER", restore.c_str(), 1);
  else
    unsetenv("PULSE_SERVER");
  EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);
  EXPECT_TRUE(BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 2000));
  EXPECT_FALSE(BASS_SetConfig(9999, 1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);
}

}  // namespace
}  // namespace lirra::testing
