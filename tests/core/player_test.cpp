#include "player.h"

#include <gtest/gtest.h>

#include "recording_shell.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;
using testing::RecordingShell;

TEST(Language, SimplifiedChineseLocalesChooseChinese) {
  EXPECT_TRUE(IsSimplifiedChinese(QLocale(u"zh_CN"_s)));
  EXPECT_TRUE(IsSimplifiedChinese(QLocale(u"zh_SG"_s)));
  EXPECT_TRUE(IsSimplifiedChinese(QLocale(u"zh"_s)));
  EXPECT_FALSE(IsSimplifiedChinese(QLocale(u"zh_TW"_s)));
  EXPECT_FALSE(IsSimplifiedChinese(QLocale(u"zh_HK"_s)));
  EXPECT_FALSE(IsSimplifiedChinese(QLocale(u"en_US"_s)));
  EXPECT_FALSE(IsSimplifiedChinese(QLocale::c()));
}

TEST(PlayerCreation, SetsTheStartStateAndTitle) {
  RecordingShell shell;
  Player player(shell);
  player.FormCreate(u"/opt/lirra"_s, QLocale(u"en_GB"_s));
  const PlayerState& s = player.state();
  EXPECT_EQ(s.AppDir, u"/opt/lirra/"_s);
  EXPECT_FALSE(s.UseChinese);
  EXPECT_EQ(s.PlayingIndex, -1);
  EXPECT_EQ(s.NextIndex, -1);
  EXPECT_EQ(s.CurrentListIndex, -1);
  EXPECT_EQ(s.VisIndex, 2);
  EXPECT_TRUE(s.ShowLyrics);
  EXPECT_TRUE(s.CentreOnShow);
  EXPECT_FALSE(s.SettingsDirty);
  EXPECT_EQ(shell.windowTitle, u"Lirra"_s);
}

TEST(PlayerShow, ChineseCaptionsHintsAndSongTypeface) {
  RecordingShell shell;
  Player player(shell);
  player.FormCreate(u"/opt/lirra/"_s, QLocale(u"zh_CN"_s));
  player.FormShow();
  EXPECT_EQ(shell.captions[ControlId::lbNext], u"◇"_s);
  EXPECT_EQ(shell.captions[ControlId::lbPower], u"★"_s);
  EXPECT_EQ(shell.captions[ControlId::lbTitle], u"Lirra"_s);
  EXPECT_EQ(shell.hints[ControlId::lbNext], u"播放"_s);
  EXPECT_EQ(shell.hints[ControlId::lbPower], u"关闭"_s);
  EXPECT_EQ(shell.hints[ControlId::lbMove], u"右键换肤"_s);
  EXPECT_EQ(shell.hints[ControlId::sbAdd], u"添加文件"_s);
  EXPECT_EQ(shell.hints[ControlId::sbAddFld], u"添加文件夹或URL"_s);
  EXPECT_EQ(shell.hints[ControlId::sbRandom], u"顺序播放"_s);
  EXPECT_EQ(shell.hints[ControlId::sbNewlist], u"列表管理"_s);
  EXPECT_EQ(shell.hints[ControlId::lbProgress], u"进度调节"_s);
  for (ControlId id : {ControlId::lbNext, ControlId::lbPower, ControlId::lbTitle})
    EXPECT_EQ(shell.fonts[id], SongTiFont());
  EXPECT_EQ(shell.fonts.count(ControlId::lbTime), 0u);
  EXPECT_EQ(player.texts().messageCaption, u"提示"_s);
}

TEST(PlayerShow, EnglishCaptionsAndHints) {
  RecordingShell shell;
  Player player(shell);
  player.FormCreate(u"/opt/lirra/"_s, QLocale(u"en_US"_s));
  player.state().RandomOrder = true;
  player.FormShow();
  EXPECT_EQ(shell.captions[ControlId::lbNext], u"<>"_s);
  EXPECT_EQ(shell.captions[ControlId::lbPower], u"()"_s);
  EXPECT_EQ(shell.captions[ControlId::lbTitle], u"Lirra"_s);
  EXPECT_EQ(shell.hints[ControlId::lbNext], u"Play"_s);
  EXPECT_EQ(shell.hints[ControlId::lbPower], u"Close"_s);
  EXPECT_EQ(shell.hints[ControlId::lbMove], u"RightClk to Change Skin"_s);
  EXPECT_EQ(shell.hints[ControlId::sbAdd], u"Add Files"_s);
  EXPECT_EQ(shell.hints[ControlId::sbAddFld], u"Add Folder or URL"_s);
  EXPECT_EQ(shell.hints[ControlId::sbRandom], u"Random Playback"_s);
  EXPECT_EQ(shell.hints[ControlId::sbNewlist], u"Manage Playlist"_s);
  EXPECT_EQ(shell.hints[ControlId::lbProgress], u"进度调节"_s);
  EXPECT_EQ(shell.fonts[ControlId::lbTime].pixelSize, 12);
  EXPECT_EQ(shell.fonts.count(ControlId::lbNext), 0u);
  EXPECT_EQ(player.texts().messageCaption, u"Infomation"_s);
}

TEST(PlayerClose, PowerButtonClosesAndAnOpeningTrackRefusesTheClose) {
  RecordingShell shell;
  Player player(shell);
  player.FormCreate(u"/opt/lirra/"_s, QLocale::c());
  player.lbPowerClick();
  EXPECT_EQ(shell.closeRequests, 1);
  EXPECT_TRUE(player.FormCloseQuery());
  player.state().OpeningTrack = true;
  EXPECT_FALSE(player.FormCloseQuery());
}

}  // namespace
}  // namespace lirra
