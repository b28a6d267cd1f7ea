// Audio-only media through the video library: which recording input stands in for the
// engine, and the microphone given back at the stop.
#include <gtest/gtest.h>

#include "player_fixture.h"
#include "track_opening.h"

namespace lirra {
namespace {

constexpr uint32_t kMicrophoneOn = 3u << 24, kMicrophoneOff = 3u << 24 | 0x10000, kSynthesizer = 4u << 24;

TEST_F(PlayerTest, AudioOnlyMediaOfTheVideoLibraryAreRecordedBackFromTheRightInput) {
  struct Case {
    const char* file;
    std::vector<std::pair<const char*, uint32_t>> inputs;
    int capture, microphone;  // expected indexes (-1: none)
  };
  constexpr int kKept = 3;  // the indexes each case starts from: nothing matching keeps them
  const Case cases[] = {
      {"song_audio.avi", {{"Microphone", kMicrophoneOn}, {"Stereo Mix", 0}, {"Line In", 0}}, 1, 0},
      {"tune.mid", {{"Wave", 0}, {"Synth", kSynthesizer}, {"Mic", kMicrophoneOff}}, 1, -1},
      {"song_audio.avi", {{"Wave Out", 0}, {"Stereo Mix", 0}}, 0, -1},
      // Stereo before mix, in Chinese: each name holds one of the two words.
      {"song_audio.avi", {{"麦克风", kMicrophoneOn}, {"混音", 0}, {"立体声", 0}}, 2, 0},
      {"song_audio.avi", {{"立体声混音", 0}, {"波形", 0}}, 1, -1},  // the wave input first, in Chinese too
      {"song_audio.avi", {{"Line In", 0}}, kKept, kKept},  // nothing matches: the current input
  };
  ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_orvana.so"), appDir_ + u"liborvana.so"_s));
  Start({});
  PlayerContext& ctx = player_.context();
  PlayerState& s = ctx.state;
  for (const Case& c : cases) {
    FakeBassScript& engine = Engine();
    std::fill(std::begin(engine.inputNames), std::end(engine.inputNames), nullptr);
    for (size_t i = 0; i < c.inputs.size(); ++i) engine.inputNames[i] = c.inputs[i].first, engine.inputFlags[i] = c.inputs[i].second;
    s.CaptureInputIndex = s.MicInputIndex = kKept;
    engine.lastInputOn = -1;
    const QString name = QString::fromUtf8(c.file);
    ctx.list.clear();
    ctx.list.append({name, MakeFile(name), std::nullopt, std::nullopt});
    const int offThread = shell_.responsiveRuns;
    PlayCurrent(ctx);
    EXPECT_EQ(shell_.responsiveRuns, offThread + 1) << "the recording device opens off the UI thread";
    EXPECT_EQ(s.TrackKind, kKindMidiCapture) << c.file;
    EXPECT_EQ(s.CaptureInputIndex, c.capture) << c.file << " " << c.inputs[0].first;
    EXPECT_EQ(s.MicInputIndex, c.microphone) << c.inputs[0].first;
    EXPECT_EQ(engine.lastInputOn, c.capture) << "the capture input is switched on";
    EXPECT_EQ(s.CurrentChannel, engine.recordHandle) << "the recording stands in for the engine";
    EXPECT_FALSE(s.ListShown) << "the spectrum shows what is heard";
    const int frees = engine.recordFrees;
    player_.lbNextRightUp();
    EXPECT_EQ(engine.recordFrees, frees + 1);
    EXPECT_EQ(engine.lastInputOn, c.microphone >= 0 ? c.microphone : c.capture) << "the microphone is on again";
  }

  // No recording device: the medium plays on, without a picture or a spectrum.
  Engine().recordInitResult = 0;
  ctx.list.clear();
  ctx.list.append({u"song_audio.avi"_s, MakeFile(u"song_audio.avi"_s), std::nullopt, std::nullopt});
  PlayCurrent(ctx);
  EXPECT_TRUE(s.VideoActive);
  EXPECT_EQ(s.TrackKind, kKindOther);
  EXPECT_FALSE(s.LyricsTracking);
  EXPECT_TRUE(s.ListShown);
}

}  // namespace
}  // namespace lirra
