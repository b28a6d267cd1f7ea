// A sound server that goes away while the engine plays (killed as in a crash) and comes
// back on the same socket: what was playing plays on from what had been heard, paused
// stays paused, a channel made meanwhile plays once the server is back, and no engine
// call waits for the server meanwhile. Heard at the restarted server's sink.
#include <algorithm>
#include <atomic>
#include <thread>

#include "engine_test_support.h"
#include "heard_sound.h"
#include "media_fixtures.h"
#include "sound_server.h"

namespace lirra::testing {
namespace {

using Clock = std::chrono::steady_clock;

class ServerRestarts : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(server_.start(&why)) << why;
    const char* shared = std::getenv("PULSE_SERVER");
    if (shared) sharedServer_ = shared;
    setenv("PULSE_SERVER", server_.address().c_str(), 1);
    SinkRecording(scratch_.file("clocked.raw")).stop();  // returns once the sink runs
    ASSERT_TRUE(BASS_Init(1, 44100, 0, 0, nullptr)) << "error " << BASS_ErrorGetCode();
    WriteWav(scratch_.file("sweep.wav"), 44100, 2, 20 * 44100, [](int64_t f, int) { return Sweep(f / 44100.0); });
    sweep_ = BASS_StreamCreateFile(FALSE, scratch_.file("sweep.wav").c_str(), 0, 0, 0);
    ASSERT_NE(sweep_, 0u);
  }
  void TearDown() override {
    stopWatching();
    BASS_Free();
    if (!sharedServer_.empty()) setenv("PULSE_SERVER", sharedServer_.c_str(), 1);
  }

  double position(DWORD h) { return BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE)); }

  // Calls what the player's timers call, as fast as it can, and keeps the longest call and
  // when the channel played again after the server went away.
  void watchCalls() {
    watcher_ = std::thread([this] {
      std::vector<float> fft(512);
      bool away = false;
      while (!stopWatching_) {
        const auto begin = Clock::now();
        const DWORD state = BASS_ChannelIsActive(sweep_);
        away = away || state == BASS_ACTIVE_PAUSED_DEVICE;
        if (away && state == BASS_ACTIVE_PLAYING && playingAgain_.load() == Clock::time_point{})
          playingAgain_ = begin;
        BASS_ChannelGetPosition(sweep_, BASS_POS_BYTE);
        BASS_ChannelGetData(sweep_, fft.data(), BASS_DATA_FFT1024);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        if (ms > longestCallMs_) longestCallMs_ = ms;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
  }
  void stopWatching() {
    stopWatching_ = true;
    if (watcher_.joinable()) watcher_.join();
  }

  // The server gone for `ms`, then started again; returns when it answers.
  Clock::time_point restartAfter(int ms) {
    server_.kill();
    SleepMs(ms);
    std::string why;
    EXPECT_TRUE(server_.start(&why)) << why;
    return Clock::now();
  }

  // Where in the sweep the first sound of `heard` lies, and when (in the recording). The
  // sweep's place is the median of what its first seven 50-ms windows say: the onset, and
  // PipeWire's monitor now and then, garble a window.
  struct Resumed {
    double atSecond = -1;     // of the recording
    double sweepSecond = -1;  // of the file
  };
  Resumed firstSound(const std::vector<float>& heard) {
    const Span span = SoundSpan(heard);
    if (span.end == 0) return {};
    const std::vector<double> track = FrequencyTrack(heard, span, 0.05);
    if (track.size() < 7) return {};
    std::vector<double> starts;
    for (size_t k = 0; k < 7; ++k) starts.push_back(SweepTimeAt(track[k]) - 0.025 - 0.05 * static_cast<double>(k));
    std::nth_element(starts.begin(), starts.begin() + 3, starts.end());
    return {static_cast<double>(span.begin) / kHeardRate, starts[3]};
  }

  ScratchFolder scratch_;
  SoundServer server_{scratch_.file("server")};
  std::string sharedServer_;
  HSTREAM sweep_ = 0;
  std::thread watcher_;
  std::atomic<bool> stopWatching_{false};
  std::atomic<double> longestCallMs_{0};
  std::atomic<Clock::time_point> playingAgain_{};
};

TEST_F(ServerRestarts, APlayingTrackPlaysOnFromWhatWasHeard) {
  ASSERT_TRUE(BASS_ChannelPlay(sweep_, FALSE));
  SleepMs(2000);
  watchCalls();
  const double heardBefore = position(sweep_);
  server_.kill();
  EXPECT_TRUE(WaitUntil(1000, [&] { return BASS_ChannelIsActive(sweep_) == BASS_ACTIVE_PAUSED_DEVICE; }))
      << "state " << BASS_ChannelIsActive(sweep_);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  SleepMs(1000);
  EXPECT_NEAR(position(sweep_), heardBefore, 0.2) << "the position runs on without a server";
  std::string why;
  ASSERT_TRUE(server_.start(&why)) << why;
  const Clock::time_point back = Clock::now();
  // The restarted null sink may sleep out its first block (up to 2 s) before it plays
  // anything: the recording begins when it does, and the sound is timed from there.
  SinkRecording recording(scratch_.file("heard.raw"));
  ASSERT_TRUE(recording.started());
  EXPECT_TRUE(WaitUntil(3000, [&] { return BASS_ChannelIsActive(sweep_) == BASS_ACTIVE_PLAYING; }));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
  SleepMs(2000);
  stopWatching();
  const double reconnectMs = std::chrono::duration<double, std::milli>(playingAgain_.load() - back).count();
  EXPECT_LT(reconnectMs, 2000) << "the engine took long to connect again";
  const Resumed resumed = firstSound(recording.stop());
  ASSERT_GE(resumed.atSecond, 0) << "nothing heard after the server came back";
  EXPECT_LT(resumed.atSecond, 1.0) << "the sink ran " << resumed.atSecond << " s before the sound came back";
  EXPECT_NEAR(resumed.sweepSecond, heardBefore, 0.2) << "played on from elsewhere";
  EXPECT_LT(longestCallMs_.load(), 50.0) << "an engine call waited for the server";
  std::printf("server back -> playing %.0f ms; sink running -> sound %.0f ms; resumed at %.2f s of %.2f s "
              "heard; longest call %.2f ms\n",
              reconnectMs, resumed.atSecond * 1000, resumed.sweepSecond, heardBefore, longestCallMs_.load());
}

TEST_F(ServerRestarts, APausedTrackStaysPausedAndResumesWhereItWasPaused) {
  ASSERT_TRUE(BASS_ChannelPlay(sweep_, FALSE));
  SleepMs(1500);
  ASSERT_TRUE(BASS_ChannelPause(sweep_));
  const double pausedAt = position(sweep_);
  restartAfter(500);
  SinkRecording recording(scratch_.file("heard.raw"));
  SleepMs(1500);
  EXPECT_EQ(BASS_ChannelIsActive(sweep_), DWORD{BASS_ACTIVE_PAUSED});
  const Clock::time_point played = Clock::now();
  ASSERT_TRUE(BASS_ChannelPlay(sweep_, FALSE));
  SleepMs(1500);
  const Resumed resumed = firstSound(recording.stop());
  ASSERT_GE(resumed.atSecond, 0) << "nothing heard after play";
  EXPECT_GT(resumed.atSecond, recording.secondsAt(played) - 0.05) << "sound before play: not paused";
  EXPECT_NEAR(resumed.sweepSecond, pausedAt, 0.2);
}

TEST_F(ServerRestarts, AChannelMadeWhileTheServerIsAwayPlaysOnceItIsBack) {
  server_.kill();
  ASSERT_TRUE(WaitUntil(1000, [&] {
    BASS_ChannelIsActive(sweep_);
    return BASS_ErrorGetCode() == BASS_ERROR_DEVICE;
  }));
  const HSTREAM later = BASS_StreamCreateFile(FALSE, scratch_.file("sweep.wav").c_str(), 0, 0, 0);
  ASSERT_NE(later, 0u) << "error " << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_ChannelSetPosition(later, BASS_ChannelSeconds2Bytes(later, 5.0), BASS_POS_BYTE));
  ASSERT_TRUE(BASS_ChannelPlay(later, FALSE));
  EXPECT_EQ(BASS_ChannelIsActive(later), DWORD{BASS_ACTIVE_PAUSED_DEVICE});
  std::string why;
  ASSERT_TRUE(server_.start(&why)) << why;
  SinkRecording recording(scratch_.file("heard.raw"));
  SleepMs(2500);
  EXPECT_EQ(BASS_ChannelIsActive(later), DWORD{BASS_ACTIVE_PLAYING});
  const Resumed resumed = firstSound(recording.stop());
  ASSERT_GE(resumed.atSecond, 0) << "nothing heard";
  EXPECT_NEAR(resumed.sweepSecond, 5.0, 0.2);
}

TEST_F(ServerRestarts, ARecordingOfTheMonitorRecordsOnOnceTheServerIsBack) {
  ASSERT_TRUE(BASS_RecordInit(0)) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_RecordSetInput(0, BASS_INPUT_ON, -1.0f));  // the sink's monitor
  const HRECORD rec = BASS_RecordStart(44100, 2, 0, nullptr, nullptr);
  ASSERT_NE(rec, 0u) << BASS_ErrorGetCode();
  SleepMs(300);
  restartAfter(0);
  // (It may be back before the recording noticed it was gone.)
  ASSERT_TRUE(WaitUntil(3000, [&] { return BASS_ChannelIsActive(rec) == BASS_ACTIVE_PLAYING; }));
  const QWORD recorded = BASS_ChannelGetPosition(rec, BASS_POS_BYTE);
  ASSERT_TRUE(BASS_ChannelPlay(sweep_, FALSE));
  float bins[512];
  EXPECT_TRUE(WaitUntil(3000, [&] {
    return BASS_ChannelGetData(rec, bins, BASS_DATA_FFT1024) != 0xFFFFFFFFu && *std::max_element(bins, bins + 512) > 0.1f;
  })) << "the recording hears nothing of what plays after the restart";
  EXPECT_GT(BASS_ChannelGetPosition(rec, BASS_POS_BYTE), recorded) << "it records no more";
  BASS_RecordFree();
}

}  // namespace
}  // namespace lirra::testing
