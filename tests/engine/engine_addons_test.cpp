// Engine add-ons: loading, declared formats, and streams opened through them.
#include <cmath>
#include <fstream>
#include <cstring>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "media_fixtures.h"

namespace lirra::testing {
namespace {

const std::string kApp = LIRRA_APP_DIR;

class Addons : public EngineTest {
 protected:
  Addons() : EngineTest(0) {}
  void TearDown() override {
    BASS_PluginFree(0);
    EngineTest::TearDown();
  }
  std::string tone() {
    const std::string wav = scratch_.file("tone.wav");
    WriteSineWav(wav, 440, 1.5, 0.5);
    return wav;
  }
};

std::vector<std::string> Extensions(const BASS_PLUGININFO* info) {
  std::vector<std::string> out;
  for (DWORD i = 0; info && i < info->formatc; ++i) out.emplace_back(info->formats[i].exts);
  return out;
}

TEST_F(Addons, EachDeclaresItsFormats) {
  struct Case { std::string file; std::vector<std::string> exts; };
  for (const Case& c : {Case{"libbasswma.so", {"*.wma;*.asf"}},
                        Case{"Plugins/libbass_aac.so", {"*.aac;*.adts", "*.m4a;*.mp4;*.m4b"}},
                        Case{"Plugins/libbass_ape.so", {"*.ape;*.apl"}},
                        Case{"Plugins/libbass_mpc.so", {"*.mpc;*.mpp;*.mp+"}},
                        Case{"Plugins/libbass_tta.so", {"*.tta"}},
                        Case{"Plugins/libbass_ac3.so", {"*.ac3"}},
                        Case{"Plugins/libbass_flac.so", {"*.flac", "*.oga"}},
                        Case{"Plugins/libbass_opus.so", {"*.opus"}},
                        Case{"Plugins/libbass_wv.so", {"*.wv"}}}) {
    const HPLUGIN p = BASS_PluginLoad((kApp + "/" + c.file).c_str(), 0);
    ASSERT_NE(p, 0u) << c.file << " error " << BASS_ErrorGetCode();
    EXPECT_EQ(Extensions(BASS_PluginGetInfo(p)), c.exts) << c.file;
  }
}

TEST_F(Addons, LoadingRejectsWhatIsNotAnAddOnAndLoadsEachOnce) {
  EXPECT_EQ(BASS_PluginLoad((kApp + "/Plugins/libbass_nothere.so").c_str(), 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  EXPECT_EQ(BASS_PluginLoad((kApp + "/libbass.so").c_str(), 0), 0u);  // a library, no add-on
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  EXPECT_EQ(BASS_PluginLoad(FAKE_ADDON_PATH, 0), 0u);  // an add-on of another version
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_VERSION);
  const std::string flac = kApp + "/Plugins/libbass_flac.so";
  const HPLUGIN p = BASS_PluginLoad(flac.c_str(), 0);
  ASSERT_NE(p, 0u);
  EXPECT_EQ(BASS_PluginLoad(flac.c_str(), 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  EXPECT_EQ(BASS_PluginGetInfo(p + 77), nullptr);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_TRUE(BASS_PluginFree(p));
  EXPECT_FALSE(BASS_PluginFree(p));
  EXPECT_EQ(BASS_PluginGetInfo(p), nullptr);
}

TEST_F(Addons, FormatsOutsideTheEngineOpenOnlyThroughTheirAddOn) {
  const std::string wav = tone();
  struct Case { std::string addon; std::string file; std::string args; DWORD ctype; double tolerance; };
  const std::vector<Case> cases = {
      {"libbasswma.so", "t.wma", "-c:a wmav2 -b:a 128k", 0x10300, 0.05},
      {"Plugins/libbass_aac.so", "t.m4a", "-c:a aac -b:a 128k", 0x10b00, 0.05},
      {"Plugins/libbass_tta.so", "t.tta", "-c:a tta", 0x10f00, 0.001},
      {"Plugins/libbass_ac3.so", "t.ac3", "-c:a ac3 -b:a 192k", 0x11000, 0.05},
      {"Plugins/libbass_flac.so", "t.flac", "-c:a flac", 0x10900, 0.001},
      {"Plugins/libbass_opus.so", "t.opus", "-c:a libopus -b:a 96k", 0x11200, 0.03},
      {"Plugins/libbass_wv.so", "t.wv", "-c:a wavpack", 0x10500, 0.001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = scratch_.file(c.file);
    ASSERT_TRUE(Encode(wav, path, c.args));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE), 0u)
        << "not one of the engine's own formats";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  }
  for (const Case& c : cases) ASSERT_NE(BASS_PluginLoad((kApp + "/" + c.addon).c_str(), 0), 0u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const HSTREAM h =
        BASS_StreamCreateFile(FALSE, scratch_.file(c.file).c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info;
    ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.ctype, c.ctype);
    EXPECT_NE(info.plugin, 0u);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE)), 1.5,
                c.tolerance);
    float bins[512];
    ASSERT_NE(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
    ASSERT_NE(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
    const int peak = static_cast<int>(std::max_element(bins, bins + 512) - bins);
    EXPECT_NEAR(peak, 10, 1) << "440 Hz lies in bin 10";
  }
}

// A two-track audio CD as a BIN/CUE image: 2 s of 440 Hz, then 1 s in bin 40.
std::string WriteCdImage(const ScratchFolder& scratch) {
  std::string bin;
  const auto put = [&bin](double hz, int frames) {
    for (int f = 0; f < frames; ++f) {
      const auto v = static_cast<int16_t>(16000 * std::sin(2 * M_PI * hz * f / 44100.0));
      for (int c = 0; c < 2; ++c) {
        bin.push_back(static_cast<char>(v & 0xFF));
        bin.push_back(static_cast<char>((v >> 8) & 0xFF));
      }
    }
  };
  put(440, 2 * 44100);
  put(BinCentreHz(40), 44100);
  std::ofstream(scratch.file("album.bin"), std::ios::binary).write(bin.data(), static_cast<std::streamsize>(bin.size()));
  std::ofstream(scratch.file("album.cue")) << "FILE \"album.bin\" BINARY\n"
                                              "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                              "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n";
  return scratch.file("album.cue");
}

TEST_F(Addons, CdTracksPlayFromADiscImage) {
  const std::string cue = WriteCdImage(scratch_);
  const HPLUGIN cd = BASS_PluginLoad((kApp + "/Plugins/libbasscd.so").c_str(), 0);
  ASSERT_NE(cd, 0u) << BASS_ErrorGetCode();
  EXPECT_EQ(Extensions(BASS_PluginGetInfo(cd)), std::vector<std::string>{"*.cda"});

  const HSTREAM h = BASS_StreamCreateFile(FALSE, (cue + "/Track02.cda").c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE)), 1.0, 0.014);
  float bins[512];
  ASSERT_NE(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(std::max_element(bins, bins + 512) - bins, 40);
  EXPECT_NEAR(bins[40], 16000 / 32768.0, 0.02);

  const HSTREAM first = BASS_StreamCreateFile(FALSE, (cue + "/TRACK01.CDA").c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(BASS_ChannelSetPosition(first, BASS_ChannelSeconds2Bytes(first, 1.5), BASS_POS_BYTE));
  ASSERT_NE(BASS_ChannelGetData(first, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(std::max_element(bins, bins + 512) - bins, 10) << "still the first track's tone";

  EXPECT_EQ(BASS_StreamCreateFile(FALSE, (cue + "/Track05.cda").c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, scratch_.file("nothing.cue/Track01.cda").c_str(), 0, 0, 0), 0u);
}

TEST_F(Addons, StreamsOutliveTheFreeingOfTheirAddOn) {
  const std::string flac = scratch_.file("t.flac");
  ASSERT_TRUE(Encode(tone(), flac, "-c:a flac"));
  ASSERT_NE(BASS_PluginLoad((kApp + "/Plugins/libbass_flac.so").c_str(), 0), 0u);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, flac.c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_PluginFree(0));
  float bins[512];
  EXPECT_NE(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_TRUE(BASS_StreamFree(h));
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, flac.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
}

}  // namespace
}  // namespace lirra::testing
