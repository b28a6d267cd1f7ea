// The decoders on their own: sample-accurate reading and seeking of files made here.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bass.h"
#include "decoder.h"
#include "engine_test_support.h"
#include "media_fixtures.h"

namespace lirra::engine {
namespace {

using lirra::testing::Encode;
using lirra::testing::ScratchFolder;
using lirra::testing::WriteWav;

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
    OpenResult opened = OpenMediaDecoder({path, 44100, 5000, nullptr});
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
  OpenResult opened = OpenMediaDecoder({wav, 44100, 5000, nullptr});
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
  OpenResult opened = OpenMediaDecoder({wav, 44100, 5000, nullptr});
  ASSERT_TRUE(opened.decoder);
  EXPECT_EQ(opened.decoder->info().rate, 22050);
  EXPECT_EQ(opened.decoder->info().channels, 1);
  std::vector<float> buf(2 * 4096);
  int64_t total = 0;
  while (const size_t got = opened.decoder->read(buf.data(), 4096)) total += static_cast<int64_t>(got);
  EXPECT_NEAR(total, 44100, 64) << "one second at the output rate";
}

}  // namespace
}  // namespace lirra::engine
