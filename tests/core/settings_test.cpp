// The settings file and the AVS defaults file, in a scratch app folder.
#include "settings.h"

#include <gtest/gtest.h>

#include "inifile.h"
#include "schedule.h"
#include "temp_dir.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

const QRect kWorkArea(0, 0, 1280, 770);  // a screen of 1280 x 800 with a 30-pixel panel

class Settings : public testing::TempDirTest {
 protected:
  void SetUp() override { state_.AppDir = state_.ConfigDir = state_.DataDir = dir_.path() + u'/'; }
  void writeIni(const QByteArray& text) { writeBytes("lirra.ini", "[main]\r\n" + text); }
  PlayerState state_;
};

TEST_F(Settings, NoFileKeepsEveryBuiltInValueAndChangesNothing) {
  LoadSettings(state_, kWorkArea);
  EXPECT_FALSE(state_.SettingsDirty);
  EXPECT_TRUE(state_.CentreOnShow);
  EXPECT_EQ(state_.ClientWidth, 270);
  EXPECT_EQ(state_.ClientHeight, 150);
  EXPECT_EQ(state_.VisIndex, 2);
  EXPECT_TRUE(state_.ShowLyrics);
  EXPECT_FALSE(state_.RandomOrder);
  EXPECT_TRUE(entries().isEmpty()) << "reading writes nothing";
}

TEST_F(Settings, ValuesAreReadAndTheWindowKeptOnTheWorkArea) {
  writeBytes("Pop.m3u", "#EXTM3U\r\n");
  QDir(dir_.path()).mkpath(u"Plugins/Skin"_s);
  writeBytes("Plugins/Skin/blue.bmp", "BM");
  writeIni("open_dir=/home/me/Music\r\nrandom=1\r\nshow_lrc=0\r\nvis=3\r\non_top=1\r\ntransp=2\r\n"
           "pos_w=360\r\npos_h=200\r\npos_x=5\r\npos_y=562\r\nm3u=Pop.m3u\r\nskin=blue.bmp\r\n");
  LoadSettings(state_, kWorkArea);
  EXPECT_EQ(state_.OpenDir, u"/home/me/Music"_s);
  EXPECT_TRUE(state_.RandomOrder);
  EXPECT_FALSE(state_.ShowLyrics);
  EXPECT_EQ(state_.VisIndex, 3);
  EXPECT_TRUE(state_.StayOnTop);
  EXPECT_TRUE(state_.SeeThrough) << "any non-zero number is true";
  EXPECT_EQ(state_.ClientWidth, 360);
  EXPECT_EQ(state_.ClientHeight, 200);
  EXPECT_EQ(state_.Left, 0) << "5 pixels from the left edge snaps to it";
  EXPECT_EQ(state_.Top, 570) << "8 pixels inside the bottom edge snaps flush to it";
  EXPECT_FALSE(state_.CentreOnShow);
  EXPECT_TRUE(state_.SettingsDirty) << "snapping changed a kept value";
  EXPECT_EQ(state_.CurrentListFile, state_.AppDir + u"Pop.m3u"_s);
  EXPECT_EQ(state_.SkinFile, state_.AppDir + u"Plugins/Skin/blue.bmp"_s);
}

TEST_F(Settings, SizesAreLimitedBothWays) {
  writeIni("pos_w=100\r\npos_h=50\r\npos_x=300\r\npos_y=300\r\n");
  LoadSettings(state_, kWorkArea);
  EXPECT_EQ(state_.ClientWidth, 195);
  EXPECT_EQ(state_.ClientHeight, 109);
  EXPECT_FALSE(state_.SettingsDirty);

  PlayerState big;
  big.AppDir = big.ConfigDir = big.DataDir = state_.AppDir;
  writeIni("pos_w=2000\r\npos_h=900\r\npos_x=0\r\npos_y=0\r\n");
  LoadSettings(big, kWorkArea);
  EXPECT_EQ(big.ClientWidth, 1280);
  EXPECT_EQ(big.ClientHeight, 770);
  EXPECT_TRUE(big.SettingsDirty);
}

TEST_F(Settings, AMissingPlaceCentresTheWindowAndMarksTheSettingsChanged) {
  writeIni("pos_w=270\r\npos_h=150\r\npos_x=-270\r\npos_y=40\r\n");
  LoadSettings(state_, kWorkArea);
  EXPECT_TRUE(state_.CentreOnShow);
  EXPECT_TRUE(state_.SettingsDirty);
}

TEST_F(Settings, AnInvalidScheduleFallsBackAndTheDefaultIsWrittenBack) {
  writeIni("smart_mode=0213152208\r\npos_x=300\r\npos_y=300\r\n");
  LoadSettings(state_, kWorkArea);
  EXPECT_TRUE(state_.SmartModeSpec.isEmpty());
  EXPECT_TRUE(state_.SettingsDirty);
  ASSERT_TRUE(SaveSettings(state_));
  const IniFile saved(state_.AppDir + u"lirra.ini"_s);
  EXPECT_EQ(saved.readString(u"main"_s, u"smart_mode"_s, {}), u"1213152208"_s);

  PlayerState valid;
  valid.AppDir = valid.ConfigDir = valid.DataDir = state_.AppDir;
  writeIni("smart_mode=1310171810\r\npos_x=300\r\npos_y=300\r\n");
  LoadSettings(valid, kWorkArea);
  EXPECT_EQ(valid.SmartModeSpec, u"1310171810"_s);
  EXPECT_EQ(valid.ScheduleStartHour, 17) << "window 1 (10-10) is empty: window 2 starts the day";
  EXPECT_FALSE(valid.SettingsDirty);
}

TEST_F(Settings, AListOrSkinWhoseFileIsGoneIsForgotten) {
  writeIni("m3u=Deleted.m3u\r\nskin=gone.bmp\r\npos_x=300\r\npos_y=300\r\n");
  LoadSettings(state_, kWorkArea);
  EXPECT_TRUE(state_.CurrentListFile.isEmpty());
  EXPECT_TRUE(state_.SkinFile.isEmpty());
}

TEST_F(Settings, SavingWritesTheKeptValuesAndLeavesOtherKeys) {
  writeIni("future=keep me\r\n");
  state_.OpenDir = u"/music"_s;
  state_.RandomOrder = true;
  state_.ShowLyrics = false;
  state_.VisIndex = 4;
  state_.ClientWidth = 480;
  state_.ClientHeight = 270;
  state_.Left = 12;
  state_.Top = 34;
  state_.CurrentListFile = state_.AppDir + u"我的歌.m3u"_s;
  state_.SkinFile = state_.AppDir + u"Plugins/Skin/green.bmp"_s;
  ASSERT_TRUE(SaveSettings(state_));
  EXPECT_EQ(readBytes("lirra.ini"),
            QByteArray("[main]\r\nfuture=keep me\r\nopen_dir=/music\r\nsmart_mode=1213152208\r\n"
                       "random=1\r\nshow_lrc=0\r\nvis=4\r\non_top=0\r\ntransp=0\r\npos_w=480\r\n"
                       "pos_h=270\r\npos_x=12\r\npos_y=34\r\nm3u=我的歌.m3u\r\nskin=green.bmp\r\n"));

  // A full-screen video layout leaves the geometry of the file alone.
  state_.VideoFullScreen = true;
  state_.ClientWidth = 1280;
  ASSERT_TRUE(SaveSettings(state_));
  EXPECT_EQ(IniFile(state_.AppDir + u"lirra.ini"_s).readInteger(u"main"_s, u"pos_w"_s, 0), 480);
}

TEST_F(Settings, AvsDefaultsAreWrittenOnlyWhenThePluginIsInstalled) {
  writeBytes("libbass.so", "x");
  writeBytes("libbass_vis.so", "x");
  WriteVisDefaults(state_);
  EXPECT_FALSE(entries().contains(u"lirra.dat"_s));
  QDir(dir_.path()).mkpath(u"Plugins"_s);
  writeBytes("Plugins/vis_avs.so", "x");
  WriteVisDefaults(state_);
  ASSERT_TRUE(entries().contains(u"lirra.dat"_s));
  EXPECT_EQ(readBytes("lirra.dat"),
            QByteArray("[AVS]\r\ncfg_fs_w=640\r\ncfg_fs_h=480\r\ncfg_fs_bpp=32\r\ncfg_fs_fps=10\r\n"
                       "cfg_fs_rnd=1\r\ncfg_fs_rnd_time=60\r\ncfg_fs_dblclk=0\r\ncfg_fs_d=0\r\n"));
  writeBytes("lirra.dat", "[AVS]\r\ncfg_fs_w=800\r\n");
  WriteVisDefaults(state_);
  EXPECT_EQ(readBytes("lirra.dat"), QByteArray("[AVS]\r\ncfg_fs_w=800\r\n")) << "never touched again";
}

TEST(SnapToWorkArea, WithinTenPixelsOrBeyondAnEdgeIsFlush) {
  PlayerState s;
  const QRect area(100, 0, 1000, 700);
  EXPECT_EQ(SnapToWorkArea(s, 108, 270, true, area), 100);
  EXPECT_TRUE(s.SettingsDirty);
  s.SettingsDirty = false;
  EXPECT_EQ(SnapToWorkArea(s, 112, 270, true, area), 112);
  EXPECT_FALSE(s.SettingsDirty);
  EXPECT_EQ(SnapToWorkArea(s, 40, 270, true, area), 100) << "beyond the edge";
  EXPECT_EQ(SnapToWorkArea(s, 825, 270, true, area), 830) << "right edge 5 pixels inside";
  EXPECT_EQ(SnapToWorkArea(s, 900, 270, true, area), 830) << "hanging over the right edge";
  EXPECT_EQ(SnapToWorkArea(s, 5, 109, false, area), 0);
}

TEST(Schedule, ValidTextsGiveTheirDecisionHour) {
  EXPECT_EQ(ValidateSchedule(u"1213152208"_s), 8);
  EXPECT_EQ(ValidateSchedule(u"1213152213"_s), 15) << "window 1 empty";
  EXPECT_EQ(ValidateSchedule(u"1213131313"_s), -1) << "both windows empty";
  EXPECT_FALSE(ValidateSchedule(u"0213152208"_s)) << "P must not be 0";
  EXPECT_FALSE(ValidateSchedule(u"3213152208"_s)) << "N below P";
  EXPECT_FALSE(ValidateSchedule(u"1213152508"_s)) << "hours past 24";
  EXPECT_FALSE(ValidateSchedule(u"12131522"_s)) << "too short";
  EXPECT_FALSE(ValidateSchedule(u"12131522a8"_s));
}

}  // namespace
}  // namespace lirra
