// The engine playing real files to a real PulseAudio null sink.
#include <algorithm>
#include <atomic>
#include <cmath>

#include "engine_test_support.h"
#include "media_fixtures.h"

namespace lirra::testing {
namespace {

constexpr int kBin = 23;  // 990.5 Hz, the bin centre nearest 1 kHz

int PeakBin(const float* bins, float* peak) {
  const float* top = std::max_element(bins, bins + 512);
  *peak = *top;
  return static_cast<int>(top - bins);
}

using Playback = EngineTest;

TEST_F(Playback, ASineIsHeardAsOnePeakInItsBin) {
  const std::string wav = scratch_.file("sine.wav");
  WriteSineWav(wav, BinCentreHz(kBin), 3.0);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  float bins[512];
  EXPECT_EQ(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu) << "nothing heard yet";
  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  SleepMs(400);
  ASSERT_EQ(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 512 * sizeof(float));
  float peak = 0;
  EXPECT_EQ(PeakBin(bins, &peak), kBin);
  EXPECT_NEAR(peak, 1.0, 0.05);
  EXPECT_LT(bins[kBin + 5], 0.01f);
  EXPECT_LT(bins[200], 0.001f);
  EXPECT_TRUE(BASS_StreamFree(h));
  EXPECT_EQ(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(Playback, PositionFollowsWhatIsHeardThroughPauseResumeAndStop) {
  const std::string wav = scratch_.file("sine.wav");
  WriteSineWav(wav, 440, 4.0, 0.5);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
  EXPECT_FALSE(BASS_ChannelPause(h));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);

  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING});
  SleepMs(600);
  const double playing = PositionSeconds(h);
  EXPECT_NEAR(playing, 0.6, 0.15);

  ASSERT_TRUE(BASS_ChannelPause(h));
  EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PAUSED});
  const double paused = PositionSeconds(h);
  SleepMs(300);
  EXPECT_NEAR(PositionSeconds(h), paused, 0.01) << "a paused channel does not move";

  ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));  // resume
  SleepMs(300);
  EXPECT_NEAR(PositionSeconds(h), paused + 0.3, 0.12);

  ASSERT_TRUE(BASS_ChannelStop(h));
  EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
  float bins[512];
  EXPECT_EQ(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  const double stopped = PositionSeconds(h);
  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));  // from the start again
  SleepMs(100);
  EXPECT_LT(PositionSeconds(h), stopped);
}

// Opened a while before it plays, a channel has decoded ahead: the first request takes
// more than one write buffer, and playing must go on past that first buffer.
TEST_F(Playback, AChannelDecodedAheadBeforePlayingPlaysOnToItsEnd) {
  const std::string wav = scratch_.file("sine.wav");
  WriteSineWav(wav, 440, 1.5, 0.5);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  SleepMs(300);
  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  SleepMs(800);
  EXPECT_NEAR(PositionSeconds(h), 0.8, 0.15);
  EXPECT_TRUE(WaitUntil(1500, [&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STOPPED; }));
}

TEST_F(Playback, TheEndIsDetectedOnceItWasHeard) {
  const std::string wav = scratch_.file("short.wav");
  WriteSineWav(wav, 440, 0.5, 0.5);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
  SleepMs(250);
  EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING});
  EXPECT_TRUE(WaitUntil(1500, [&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STOPPED; }));
  EXPECT_NEAR(PositionSeconds(h), 0.5, 0.05);
}

TEST_F(Playback, SeekingWhilePlayingJumpsThere) {
  const std::string wav = scratch_.file("sine.wav");
  WriteSineWav(wav, 440, 10.0, 0.5);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  SleepMs(200);
  ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 7.0), BASS_POS_BYTE));
  EXPECT_NEAR(PositionSeconds(h), 7.0, 0.01);
  SleepMs(300);
  EXPECT_NEAR(PositionSeconds(h), 7.3, 0.12);
  EXPECT_FALSE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 11.0), BASS_POS_BYTE));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
}

TEST_F(Playback, AModuleWrittenByTheTestPlaysAndEnds) {
  const std::string mod = scratch_.file("tune.mod");
  WriteBytes(mod, MinimalModule(8));  // 8 rows: about 0.96 s
  const HMUSIC h = BASS_MusicLoad(FALSE, mod.c_str(), 0, 0, 0x28400, 0);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, DWORD{BASS_CTYPE_MUSIC_MOD});
  EXPECT_NEAR(Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE)), 0.96, 0.05);
  EXPECT_STREQ(BASS_ChannelGetTags(h, BASS_TAG_MUSIC_NAME), "lirra test");
  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  SleepMs(300);
  float bins[512];
  ASSERT_NE(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_GT(*std::max_element(bins, bins + 512), 0.01f) << "the module makes sound";
  EXPECT_TRUE(WaitUntil(2500, [&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STOPPED; }));
  EXPECT_FALSE(BASS_StreamFree(h + 1000));
  EXPECT_TRUE(BASS_MusicFree(h));
}

TEST_F(Playback, FreeingTheEngineReleasesEveryChannel) {
  const std::string wav = scratch_.file("sine.wav");
  WriteSineWav(wav, 440, 2.0, 0.5);
  const HSTREAM a = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  const HSTREAM b = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  ASSERT_TRUE(a && b && a != b);
  ASSERT_TRUE(BASS_ChannelPlay(a, TRUE));
  ASSERT_TRUE(BASS_Free());
  EXPECT_EQ(BASS_ChannelIsActive(a), DWORD{BASS_ACTIVE_STOPPED});
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(BASS_Free());
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  ASSERT_TRUE(BASS_Init(1, 44100, 0, 0, nullptr));  // TearDown frees it again
  EXPECT_FALSE(BASS_Init(1, 44100, 0, 0, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
}

}  // namespace
}  // namespace lirra::testing

namespace lirra::testing {
namespace {

struct SyncLog {
  std::atomic<int> calls{0};
  std::atomic<DWORD> channel{0};
};

void CountSync(HSYNC, DWORD channel, DWORD, void* user) {
  auto* log = static_cast<SyncLog*>(user);
  log->channel = channel;
  ++log->calls;
}

TEST_F(Playback, EndSyncsRunWhenTheEndIsReachedAndHeard) {
  const std::string wav = scratch_.file("short.wav");
  WriteSineWav(wav, 440, 0.3, 0.5);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  SyncLog heard, mixed, once;
  ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, CountSync, &heard), 0u);
  ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END | BASS_SYNC_MIXTIME, 0, CountSync, &mixed), 0u);
  ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END | BASS_SYNC_ONETIME, 0, CountSync, &once), 0u);
  EXPECT_EQ(BASS_ChannelSetSync(h, 99, 0, CountSync, &heard), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);

  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
  ASSERT_TRUE(WaitUntil(1500, [&] { return heard.calls == 1; }));
  EXPECT_EQ(heard.channel, h);
  EXPECT_EQ(mixed.calls, 1);
  EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});

  ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));  // again: the one-time sync stays quiet
  ASSERT_TRUE(WaitUntil(1500, [&] { return heard.calls == 2; }));
  EXPECT_EQ(mixed.calls, 2);
  EXPECT_EQ(once.calls, 1);
}

}  // namespace
}  // namespace lirra::testing
