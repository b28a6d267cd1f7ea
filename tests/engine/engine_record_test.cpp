// Recording: the server's sources as inputs, and the engine hearing itself through the
// monitor of the sink it plays to.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "engine_test_support.h"
#include "media_fixtures.h"
#include "sound_server.h"

namespace lirra::testing {
namespace {

class Recording : public EngineTest {
 protected:
  void TearDown() override {
    BASS_RecordFree();
    EngineTest::TearDown();
  }
  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (int i = 0; const char* name = BASS_RecordGetInputName(i); ++i) out.emplace_back(name);
    return out;
  }
};

TEST_F(Recording, TheOutputsMonitorComesFirstAsAStereoMix) {
  // Another source besides the monitor, as a microphone would be (pipewire-pulse has no
  // null source: a null sink of the source class is one).
  const std::string made = scratch_.file("module");
  ASSERT_EQ(std::system(((PipeWireRun() ? "pactl load-module module-null-sink media.class=Audio/Source/Virtual "
                                       "sink_name=lirra_test_mic >"
                                     : "pactl load-module module-null-source source_name=lirra_test_mic >") +
                         made).c_str()),
            0);
  ASSERT_TRUE(BASS_RecordInit(0)) << BASS_ErrorGetCode();
  EXPECT_FALSE(BASS_RecordInit(0));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  const std::vector<std::string> inputs = names();
  std::system(("pactl unload-module $(cat " + made + ")").c_str());
  ASSERT_GE(inputs.size(), 2u);
  EXPECT_EQ(inputs[0].rfind("Stereo Mix (", 0), 0u) << inputs[0];
  EXPECT_EQ(BASS_RecordGetInputName(static_cast<int>(inputs.size())), nullptr);

  float volume = -1;
  EXPECT_EQ(BASS_RecordGetInput(0, &volume) & BASS_INPUT_TYPE_MASK, BASS_INPUT_TYPE_ANALOG);
  EXPECT_GE(volume, 0.0f);
  // Switching an input on selects it, and only it.
  ASSERT_TRUE(BASS_RecordSetInput(1, BASS_INPUT_ON, -1.0f));
  EXPECT_EQ(BASS_RecordGetInput(1, nullptr) & BASS_INPUT_OFF, 0u);
  EXPECT_EQ(BASS_RecordGetInput(0, nullptr) & BASS_INPUT_OFF, DWORD{BASS_INPUT_OFF});
  ASSERT_TRUE(BASS_RecordSetInput(0, BASS_INPUT_ON, -1.0f));
  EXPECT_EQ(BASS_RecordGetInput(0, nullptr) & BASS_INPUT_OFF, 0u);
  EXPECT_FALSE(BASS_RecordSetInput(99, BASS_INPUT_ON, -1.0f));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

TEST_F(Recording, ASinePlayedIsHeardInTheRecordingOfTheMonitor) {
  constexpr int kBin = 40;  // 1722.7 Hz
  const std::string wav = scratch_.file("sine.wav");
  WriteSineWav(wav, BinCentreHz(kBin), 4.0, 0.5);
  const HSTREAM play = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  ASSERT_NE(play, 0u);

  ASSERT_TRUE(BASS_RecordInit(0));
  ASSERT_TRUE(BASS_RecordSetInput(0, BASS_INPUT_ON, -1.0f));
  // Stereo: the two channels' mean is the same on every server (their mono mixes differ).
  const HRECORD rec = BASS_RecordStart(44100, 2, 0, nullptr, nullptr);
  ASSERT_NE(rec, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(rec, &info));
  EXPECT_EQ(info.ctype, DWORD{BASS_CTYPE_RECORD});
  EXPECT_EQ(info.freq, 44100u);
  EXPECT_EQ(info.chans, 2u);
  EXPECT_EQ(BASS_ChannelIsActive(rec), DWORD{BASS_ACTIVE_PLAYING});

  ASSERT_TRUE(BASS_ChannelPlay(play, TRUE));
  float bins[512];
  ASSERT_TRUE(WaitUntil(2000, [&] {
    return BASS_ChannelGetData(rec, bins, BASS_DATA_FFT1024) != 0xFFFFFFFFu &&
           std::max_element(bins, bins + 512) - bins == kBin;
  })) << "the recording never heard the sine";
  SleepMs(300);  // the whole analysis window inside the tone
  ASSERT_NE(BASS_ChannelGetData(rec, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(std::max_element(bins, bins + 512) - bins, kBin);
  EXPECT_NEAR(bins[kBin], 0.5, 0.08) << "played at half scale";
  EXPECT_GT(BASS_ChannelGetPosition(rec, BASS_POS_BYTE), 0u);

  ASSERT_TRUE(BASS_ChannelPause(rec));
  EXPECT_EQ(BASS_ChannelIsActive(rec), DWORD{BASS_ACTIVE_PAUSED});
  ASSERT_TRUE(BASS_RecordFree());
  EXPECT_EQ(BASS_ChannelGetData(rec, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_RecordStart(44100, 1, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

}  // namespace
}  // namespace lirra::testing
