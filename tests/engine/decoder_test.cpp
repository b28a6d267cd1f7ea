// The decoders on their own: sample-accurate reading and seeking of files made here, the
// sample layouts of WAV files, and which formats need FFmpeg at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "bass.h"
#include "decoder.h"
#include "engine_test_support.h"
#include "media_fixtures.h"

namespace lirra::engine {
namespace {

using lirra::testing::Encode;
using lirra::testing::ScratchFolder;
using lirra::testing::MakeWave;
using lirra::testing::WaveLayout;
using lirra::testing::WriteBytes;
using lirra::testing::WriteWav;

bool Mapped(const std::string& name) {
  std::ifstream maps("/proc/self/maps");
  std::stringstream all;
  all << maps.rdbuf();
  return all.str().find(name) != std::string::npos;
}

// Index of the first output frame whose level passes `threshold`, or -1.
int64_t FirstLoudFrame(Decoder& d, float threshold, int64_t limit) {
  std::vector<float> buf(2 * 1024);
  int64_t frame = 0;
  while (frame < limit) {
    const size_t got = d.read(buf.data(), 1024);
    if (got == 0) return -1;
    for (size_t i = 0; i < got; ++i)
      if (std::fabs(buf[2 * i]) > threshold) return frame + static_cast<int64_t>(i);
    frame += static_cast<int64_t>(got);
  }
  return -1;
}

TEST(Decoders, SeeksLandWithinTenMillisecondsInWavMp3AndOgg) {
  // Silence with a loud tone from 1.000 s on.
  ScratchFolder scratch;
  const std::string wav = scratch.file("burst.wav");
  WriteWav(wav, 44100, 2, 44100 * 2, [](int64_t f, int) {
    return f >= 44100 ? 0.8 * std::sin(f * 0.3) : 0.0;
  });
  const std::string mp3 = scratch.file("burst.mp3");
  const std::string ogg = scratch.file("burst.ogg");
  ASSERT_TRUE(Encode(wav, mp3, "-c:a libmp3lame -b:a 192k"));
  ASSERT_TRUE(Encode(wav, ogg, "-c:a libvorbis -q:a 5"));
  const int64_t tenMs = 441;
  for (const std::string& path : {wav, mp3, ogg}) {
    SCOPED_TRACE(path);
    OpenResult opened = OpenCoreDecoder({path, 44100, 5000, nullptr});
    ASSERT_TRUE(opened.decoder) << opened.error;
    Decoder& d = *opened.decoder;
    EXPECT_NEAR(FirstLoudFrame(d, 0.2f, 88200), 44100, tenMs) << "from the start";
    for (const int64_t target : {22050, 39690, 13230, 0}) {  // 0.5 s, 0.9 s, back to 0.3 s, 0
      ASSERT_TRUE(d.seek(target));
      EXPECT_NEAR(FirstLoudFrame(d, 0.2f, 88200), 44100 - target, tenMs) << target;
    }
  }
}

TEST(Decoders, ReadToTheEndGivesTheWholeLength) {
  ScratchFolder scratch;
  const std::string wav = scratch.file("tone.wav");
  lirra::testing::WriteSineWav(wav, 440, 1.25, 0.5);
  OpenResult opened = OpenCoreDecoder({wav, 44100, 5000, nullptr});
  ASSERT_TRUE(opened.decoder);
  std::vector<float> buf(2 * 4096);
  int64_t total = 0;
  while (const size_t got = opened.decoder->read(buf.data(), 4096)) total += static_cast<int64_t>(got);
  EXPECT_EQ(total, 55125);
  EXPECT_EQ(opened.decoder->info().lengthFrames, 55125);
  EXPECT_EQ(opened.decoder->read(buf.data(), 4096), 0u) << "the end stays the end";
}

TEST(Decoders, ResamplesOtherRatesToTheOutputRate) {
  ScratchFolder scratch;
  const std::string wav = scratch.file("low.wav");
  WriteWav(wav, 22050, 1, 22050, [](int64_t f, int) { return 0.5 * std::sin(f * 0.2); });
  OpenResult opened = OpenCoreDecoder({wav, 44100, 5000, nullptr});
  ASSERT_TRUE(opened.decoder);
  EXPECT_EQ(opened.decoder->info().rate, 22050);
  EXPECT_EQ(opened.decoder->info().channels, 1);
  std::vector<float> buf(2 * 4096);
  int64_t total = 0;
  while (const size_t got = opened.decoder->read(buf.data(), 4096)) total += static_cast<int64_t>(got);
  EXPECT_NEAR(total, 44100, 64) << "one second at the output rate";
}

TEST(Decoders, EveryWavSampleLayoutDecodesToTheSameSignal) {
  ScratchFolder scratch;
  const int frames = 3000;
  struct Case { WaveLayout layout; double tolerance; DWORD ctype; };
  for (const Case& c : {Case{{1, 8, 2}, 1.0 / 100, BASS_CTYPE_STREAM_WAV_PCM},
                        Case{{1, 16, 1}, 1e-4, BASS_CTYPE_STREAM_WAV_PCM},
                        Case{{1, 24, 2, true}, 1e-6, BASS_CTYPE_STREAM_WAV_PCM},
                        Case{{1, 32, 2, false, true}, 1e-6, BASS_CTYPE_STREAM_WAV_PCM},
                        Case{{3, 32, 2}, 1e-7, BASS_CTYPE_STREAM_WAV_FLOAT},
                        Case{{3, 64, 1, true, true}, 1e-7, BASS_CTYPE_STREAM_WAV_FLOAT}}) {
    const WaveLayout& l = c.layout;
    SCOPED_TRACE(::testing::Message() << "format " << l.format << ", " << l.bits << " bits, "
                                      << l.channels << " channels");
    std::vector<double> samples;
    for (int f = 0; f < frames; ++f)
      for (int ch = 0; ch < l.channels; ++ch) samples.push_back(0.6 * std::sin(f * 0.05 + ch));
    const std::string path = scratch.file("layout.wav");
    WriteBytes(path, MakeWave(l, 44100, samples));
    OpenResult opened = OpenCoreDecoder({path, 44100, 5000, nullptr});
    ASSERT_TRUE(opened.decoder) << opened.error;
    EXPECT_EQ(opened.decoder->info().ctype, c.ctype);
    EXPECT_EQ(opened.decoder->info().bits, l.bits);
    EXPECT_EQ(opened.decoder->info().lengthFrames, frames);
    std::vector<float> out(2 * (frames + 10));
    ASSERT_EQ(opened.decoder->read(out.data(), frames + 10), static_cast<size_t>(frames));
    for (int f = 0; f < frames; f += 97)
      for (int ch = 0; ch < 2; ++ch)  // mono plays on both sides
        ASSERT_NEAR(out[2 * f + ch], samples[f * l.channels + (l.channels == 2 ? ch : 0)], c.tolerance)
            << "frame " << f;
    ASSERT_TRUE(opened.decoder->seek(frames / 2));
    ASSERT_EQ(opened.decoder->read(out.data(), 1), 1u);
    EXPECT_NEAR(out[0], samples[(frames / 2) * l.channels], c.tolerance) << "after a seek";
  }
}

TEST(Decoders, CompressedMonoAtOtherRatesIsResampledToStereo) {
  ScratchFolder scratch;
  const std::string wav = scratch.file("source.wav");
  WriteWav(wav, 48000, 1, 48000 * 2, [](int64_t f, int) { return 0.5 * std::sin(f * 0.05); });
  for (const std::string& name : {std::string("mono48.mp3"), std::string("mono48.ogg")}) {
    SCOPED_TRACE(name);
    const std::string path = scratch.file(name);
    ASSERT_TRUE(Encode(wav, path, name.ends_with(".mp3") ? "-c:a libmp3lame -b:a 96k" : "-c:a libvorbis"));
    OpenResult opened = OpenCoreDecoder({path, 44100, 5000, nullptr});
    ASSERT_TRUE(opened.decoder) << opened.error;
    EXPECT_EQ(opened.decoder->info().rate, 48000);
    EXPECT_EQ(opened.decoder->info().channels, 1);
    EXPECT_NEAR(opened.decoder->info().lengthFrames, 96000, 1152);
    std::vector<float> buf(2 * 4096);
    int64_t total = 0;
    bool sidesEqual = true;
    while (const size_t got = opened.decoder->read(buf.data(), 4096)) {
      for (size_t i = 0; i < got; ++i) sidesEqual = sidesEqual && buf[2 * i] == buf[2 * i + 1];
      total += static_cast<int64_t>(got);
    }
    EXPECT_NEAR(total, 88200, 1152) << "two seconds at the output rate";
    EXPECT_TRUE(sidesEqual);
  }
}

// Playing WAV, MPEG audio and Vorbis never maps FFmpeg; AIFF and WAV layouts the engine
// leaves (six channels here) still play, through the FFmpeg decoder loaded on demand.
TEST(Decoders, OnlyFormatsTheEngineLeavesLoadFfmpeg) {
  ScratchFolder scratch;
  const std::string wav = scratch.file("tone.wav");
  lirra::testing::WriteSineWav(wav, 440, 0.5, 0.5);
  const std::string mp3 = scratch.file("tone.mp3"), mp2 = scratch.file("tone.mp2"),
                    ogg = scratch.file("tone.ogg"), aiff = scratch.file("tone.aiff"),
                    six = scratch.file("six.wav");
  ASSERT_TRUE(Encode(wav, mp3, "-c:a libmp3lame"));
  ASSERT_TRUE(Encode(wav, mp2, "-c:a mp2"));
  ASSERT_TRUE(Encode(wav, ogg, "-c:a libvorbis"));
  ASSERT_TRUE(Encode(wav, aiff, "-c:a pcm_s16be"));
  ASSERT_TRUE(Encode(wav, six, "-ac 6 -c:a pcm_s16le"));
  std::vector<float> buf(2 * 1024);
  for (const std::string& path : {wav, mp3, mp2, ogg}) {
    OpenResult opened = OpenCoreDecoder({path, 44100, 5000, nullptr});
    ASSERT_TRUE(opened.decoder) << path;
    EXPECT_EQ(opened.decoder->read(buf.data(), 1024), 1024u) << path;
  }
  EXPECT_FALSE(Mapped("libavcodec")) << "FFmpeg was loaded for the engine's own formats";
  EXPECT_FALSE(Mapped("libbass_ffmpeg.so"));
  for (const std::string& path : {aiff, six}) {
    OpenResult opened = OpenCoreDecoder({path, 44100, 5000, nullptr});
    ASSERT_TRUE(opened.decoder) << path << ": " << opened.error;
    EXPECT_EQ(opened.decoder->info().lengthFrames, 22050) << path;
    EXPECT_EQ(opened.decoder->read(buf.data(), 1024), 1024u) << path;
  }
  EXPECT_TRUE(Mapped("libbass_ffmpeg.so"));
}

}  // namespace
}  // namespace lirra::engine
