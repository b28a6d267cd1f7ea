// Joined channels heard at the sink's monitor: tracks that follow each other without a gap
// or a seam, sections of a file that end exactly, and a join undone by pause, seek or stop
// letting nothing of the next track through.
#include <cmath>
#include <numbers>

#include "engine_test_support.h"
#include "heard_sound.h"
#include "media_fixtures.h"

namespace lirra::testing {
namespace {

constexpr double kToneHz = 1000.0;
constexpr double kToneLevel = 0.5;

// The largest step between neighbouring samples of the tone at the sink's rate.
const double kToneStep = 2 * kToneLevel * std::sin(std::numbers::pi * kToneHz / kHeardRate);

class Joins : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    for (const char* addon : {"libbass_flac.so", "libbass_opus.so", "libbass_aac.so"})
      ASSERT_NE(BASS_PluginLoad((std::string(LIRRA_APP_DIR) + "/Plugins/" + addon).c_str(), 0), 0u) << addon;
  }
  HSTREAM open(const std::string& path) {
    const HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    EXPECT_NE(h, 0u) << path << ": error " << BASS_ErrorGetCode();
    return h;
  }
  bool waitStopped(DWORD h, int ms) {
    return WaitUntil(ms, [&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STOPPED; });
  }
  // Plays the channels one after the other as the player does: each joined to the one
  // playing, the one before freed once it has been heard to its end.
  void playJoined(const std::vector<HSTREAM>& chain) {
    ASSERT_TRUE(BASS_ChannelPlay(chain[0], FALSE));
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
      ASSERT_TRUE(BASS_ChannelJoin(chain[i], chain[i + 1])) << "join " << i << ": " << BASS_ErrorGetCode();
      ASSERT_TRUE(waitStopped(chain[i], 15000)) << "track " << i << " never ended";
      EXPECT_EQ(BASS_ChannelIsActive(chain[i + 1]), DWORD{BASS_ACTIVE_PLAYING});
      EXPECT_TRUE(BASS_StreamFree(chain[i]));
    }
    ASSERT_TRUE(waitStopped(chain.back(), 15000));
    SleepMs(100);
  }
};

// One continuous tone cut into three two-second files of each format, played joined: heard
// as one tone of six seconds, without a silence or a step larger than the tone's own at
// either join.
TEST_F(Joins, ATonePlayedAsThreeJoinedFilesIsHeardWhole) {
  for (const SplitFormat& format : kSplitFormats) {
    SCOPED_TRACE(format.name);
    const std::vector<std::string> files = WriteSplitTone(scratch_.file(""), format, kToneHz, kToneLevel, 3, 2.0);
    ASSERT_EQ(files.size(), 3u);
    std::vector<HSTREAM> chain;
    for (const std::string& file : files) chain.push_back(open(file));
    SinkRecording recording(scratch_.file("heard.raw"));
    ASSERT_TRUE(recording.started());
    playJoined(chain);
    const std::vector<float> heard = recording.stop();
    const Span span = SoundSpan(heard);
    EXPECT_NEAR(span.seconds(), 6.0, 0.05);
    for (double join : {2.0, 4.0}) {
      EXPECT_LE(LongestSilenceMs(heard, Around(span, join, 0.15)), 2.0) << "at " << join << " s";
      EXPECT_LE(LargestStep(heard, Around(span, join, 0.15)), 1.5 * kToneStep) << "at " << join << " s";
    }
  }
}

// Three sections of one file, each ending where the next begins, and thirty one-second
// ones: the sweep is heard in order from the first section's start to the last one's end.
TEST_F(Joins, SectionsOfOneFileEndExactlyAndFollowEachOther) {
  const std::string file = scratch_.file("sweep.wav");
  WriteWav(file, 44100, 2, 31 * 44100, [](int64_t f, int) { return Sweep(f / 44100.0); });
  struct Case {
    int first, count, length;
  } cases[] = {{1, 3, 2}, {0, 30, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.count) + " sections");
    std::vector<HSTREAM> chain;
    for (int k = 0; k < c.count; ++k) {
      const HSTREAM h = open(file);
      const double start = c.first + k * c.length;
      ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, start), BASS_POS_BYTE));
      ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, start + c.length), BASS_POS_END));
      EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_END), BASS_ChannelSeconds2Bytes(h, start + c.length));
      chain.push_back(h);
    }
    SinkRecording recording(scratch_.file("heard.raw"));
    playJoined(chain);
    const std::vector<float> heard = recording.stop();
    const Span span = SoundSpan(heard);
    const double total = c.count * c.length;
    EXPECT_NEAR(span.seconds(), total, 0.05);
    // Heard 50 ms at a time, the sweep's own time runs with the time it was heard.
    const std::vector<double> track = FrequencyTrack(heard, span, 0.05);
    int out = 0;
    for (size_t i = 0; i < track.size(); ++i) {
      const double expected = c.first + (i + 0.5) * 0.05;
      // Away from the joins, a hole the server made is the server's.
      const double fromJoin = std::remainder((i + 0.5) * 0.05, c.length);
      const Span window = Around(span, (i + 0.5) * 0.05, 0.025);
      if (std::fabs(fromJoin) > 0.1 && HoleIn(heard, window)) continue;
      if (std::fabs(SweepTimeAt(track[i]) - expected) > 0.03 && ++out <= 3)
        ADD_FAILURE() << "at " << i * 0.05 << " s heard the sweep's " << SweepTimeAt(track[i]) << " s, not " << expected;
    }
    EXPECT_EQ(out, 0);
  }
}

TEST_F(Joins, AJoinIsRefusedWhereItCannotBeHeardWhole) {
  const std::string a = scratch_.file("a.wav"), b = scratch_.file("b.wav"), slow = scratch_.file("slow.wav");
  WriteSineWav(a, 440, 0.3, 0.5);
  WriteSineWav(b, 440, 1.0, 0.5);
  WriteWav(slow, 22050, 2, 22050, [](int64_t, int) { return 0.1; });
  const HSTREAM h = open(a), next = open(b), other = open(slow);
  const HSTREAM decoding = BASS_StreamCreateFile(FALSE, b.c_str(), 0, 0, BASS_STREAM_DECODE);
  struct Refusal {
    DWORD handle, next;
    int error;
  } refusals[] = {{h, h, BASS_ERROR_ILLPARAM},       {h, decoding, BASS_ERROR_DECODE},
                  {h, other, BASS_ERROR_FORMAT},     {h, 0xDEAD, BASS_ERROR_HANDLE},
                  {0xDEAD, next, BASS_ERROR_HANDLE}};
  for (const Refusal& r : refusals) {
    EXPECT_FALSE(BASS_ChannelJoin(r.handle, r.next));
    EXPECT_EQ(BASS_ErrorGetCode(), r.error) << r.handle << " + " << r.next;
  }
  ASSERT_TRUE(BASS_ChannelPlay(next, FALSE));
  EXPECT_FALSE(BASS_ChannelJoin(h, next));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY) << "a playing channel cannot follow";
  ASSERT_TRUE(BASS_ChannelStop(next));
  ASSERT_TRUE(BASS_ChannelJoin(h, next));
  EXPECT_TRUE(BASS_ChannelJoin(h, 0)) << "undone";
  ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
  ASSERT_TRUE(waitStopped(h, 2000));
  EXPECT_EQ(BASS_ChannelIsActive(next), DWORD{BASS_ACTIVE_STOPPED}) << "the undone join left it alone";
  EXPECT_FALSE(BASS_ChannelJoin(h, next));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ENDED);
}

// A 1-second 440 Hz track with a 1 kHz one joined to it. Near the join (its last sound
// still buffered, the next one's first already sent) a pause, a seek or a stop undoes the
// join: the 1 kHz track is never heard, and the first one goes on from what was heard.
TEST_F(Joins, PauseSeekOrStopNearTheJoinLetNothingOfTheNextTrackThrough) {
  const std::string first = scratch_.file("first.wav"), second = scratch_.file("second.wav");
  WriteSineWav(first, 440, 1.0, 0.5);
  WriteSineWav(second, kToneHz, 1.0, 0.5);
  enum class Act { Pause, Seek, Stop };
  for (const Act act : {Act::Pause, Act::Seek, Act::Stop}) {
    SCOPED_TRACE(static_cast<int>(act));
    const HSTREAM h = open(first), next = open(second);
    SinkRecording recording(scratch_.file("heard.raw"));
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    ASSERT_TRUE(BASS_ChannelJoin(h, next));
    ASSERT_TRUE(WaitUntil(2000, [&] { return PositionSeconds(h) >= 0.85; }));
    double resumeFrom = 0;
    switch (act) {
      case Act::Pause:
        ASSERT_TRUE(BASS_ChannelPause(h));
        resumeFrom = PositionSeconds(h);
        EXPECT_NEAR(resumeFrom, 0.87, 0.05);
        SleepMs(300);
        EXPECT_NEAR(PositionSeconds(h), resumeFrom, 0.01) << "paused, it stays";
        ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
        break;
      case Act::Seek:
        ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 0.5), BASS_POS_BYTE));
        resumeFrom = 0.5;
        break;
      case Act::Stop:
        ASSERT_TRUE(BASS_ChannelStop(h));
        break;
    }
    EXPECT_EQ(BASS_ChannelIsActive(next), DWORD{BASS_ACTIVE_STOPPED});
    if (act != Act::Stop) {
      ASSERT_TRUE(waitStopped(h, 2000));
      EXPECT_NEAR(PositionSeconds(h), 1.0, 0.01) << "played on to its own end";
    }
    SleepMs(200);
    const std::vector<float> heard = recording.stop();
    const std::vector<double> track = FrequencyTrack(heard, {0, heard.size()}, 0.05);
    for (size_t i = 0; i < track.size(); ++i)
      EXPECT_FALSE(std::fabs(track[i] - kToneHz) < 30) << "the next track heard at " << i * 0.05 << " s";
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(next, BASS_ChannelGetPosition(next, BASS_POS_BYTE)), 0.0, 0.001)
        << "the next track is back at its start";
    EXPECT_TRUE(BASS_StreamFree(next));
    EXPECT_TRUE(BASS_StreamFree(h));
  }
}

// A join that comes after the playing track's source ran out (its last half second still
// buffered) follows on the same output, seamlessly.
TEST_F(Joins, AJoinMadeAfterTheSourceRanOutStillFollowsWithoutAGap) {
  const std::string first = scratch_.file("first.wav"), second = scratch_.file("second.wav");
  WriteSineWav(first, 440, 1.0, 0.5);
  WriteSineWav(second, 440, 1.0, 0.5);
  const HSTREAM h = open(first), next = open(second);
  SinkRecording recording(scratch_.file("heard.raw"));
  ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
  ASSERT_TRUE(WaitUntil(2000, [&] { return PositionSeconds(h) >= 0.75; }));  // its source has run out
  ASSERT_TRUE(BASS_ChannelJoin(h, next)) << BASS_ErrorGetCode();
  ASSERT_TRUE(waitStopped(h, 2000));
  EXPECT_EQ(BASS_ChannelIsActive(next), DWORD{BASS_ACTIVE_PLAYING});
  EXPECT_TRUE(BASS_StreamFree(h));
  ASSERT_TRUE(waitStopped(next, 2000));
  SleepMs(100);
  const std::vector<float> heard = recording.stop();
  const Span span = SoundSpan(heard);
  EXPECT_NEAR(span.seconds(), 2.0, 0.05);
  EXPECT_LE(LongestSilenceMs(heard, Around(span, 1.0, 0.15)), 2.0);
  EXPECT_TRUE(BASS_StreamFree(next));
}

}  // namespace
}  // namespace lirra::testing
