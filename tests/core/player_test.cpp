// The player's start-up, opening, transport and close logic against a fake engine library
// in a scratch app folder, with a recording shell and a hand-driven Timer1.
#include "player.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>
#include <set>

#include "player_fixture.h"
#include "play_order.h"
#include "track_opening.h"
#include "recording_shell.h"
#include "temp_dir.h"

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


TEST_F(PlayerTest, WithoutAnEngineTheWindowSaysSoAndCloses) {
  QFile::remove(appDir_ + u"libbass.so"_s);
  Start({});
  ASSERT_EQ(shell_.messages.size(), 1u);
  EXPECT_EQ(shell_.messages[0].text, u"Can't run without libbass.so"_s);
  EXPECT_EQ(shell_.messages[0].caption, u"Infomation"_s);
  EXPECT_EQ(shell_.closeRequests, 1);
  EXPECT_FALSE(player_.state().EngineReady);
  EXPECT_TRUE(player_.FormCloseQuery()) << "nothing started, nothing to refuse";
}

TEST_F(PlayerTest, AnEngineThatCannotOpenTheDeviceClosesTheWindowWithItsMessage) {
  ASSERT_TRUE(player_.FormCreate({appDir_, {}, QLocale(u"zh_CN"_s)}));
  started_ = true;
  // Script the fake before the first show binds it: load it ourselves first.
  void* keep = dlopen((appDir_ + u"libbass.so"_s).toUtf8().constData(), RTLD_NOW);
  ASSERT_NE(keep, nullptr);
  reinterpret_cast<FakeBassScriptFn>(dlsym(keep, "FakeBass_Script"))()->initResult = 0;
  player_.FormShow();
  ASSERT_EQ(shell_.messages.size(), 1u);
  EXPECT_EQ(shell_.messages[0].text, u"声卡未安装/被占用/或者驱动不兼容,不能运行!"_s);
  EXPECT_EQ(shell_.messages[0].caption, u"提示"_s);
  EXPECT_EQ(shell_.closeRequests, 1);
  Engine().initResult = 1;
  dlclose(keep);
}

TEST_F(PlayerTest, ShowAppliesTheLanguage) {
  Start({}, "zh_CN");
  EXPECT_EQ(shell_.captions[ControlId::lbNext], u"◇"_s);
  EXPECT_EQ(shell_.captions[ControlId::lbPower], u"★"_s);
  EXPECT_EQ(shell_.hints[ControlId::lbPower], u"关闭"_s);
  EXPECT_EQ(shell_.hints[ControlId::sbRandom], u"顺序播放"_s);
  EXPECT_EQ(shell_.fonts[ControlId::lbTitle], SongTiFont());
  EXPECT_TRUE(player_.state().OpenFilter.startsWith(u"媒体文件(所有类型)|"_s));

  RecordingShell english;
  Player other(english);
  ASSERT_TRUE(other.FormCreate({appDir_, {}, QLocale(u"en_US"_s)}));
  other.state().RandomOrder = true;
  other.FormShow();
  EXPECT_EQ(english.captions[ControlId::lbNext], u"<>"_s);
  EXPECT_EQ(english.hints[ControlId::lbNext], u"Play"_s);
  EXPECT_EQ(english.hints[ControlId::sbRandom], u"Random Playback"_s);
  EXPECT_EQ(english.fonts[ControlId::lbTime].pixelSize, 12);
  other.FormClose();
}

TEST_F(PlayerTest, TheFirstArgumentDecidesTheStart) {
  struct Case { QStringList args; int mode; bool autoStart; };
  const QString song = MakeFile(u"song.mp3"_s);
  for (const Case& c : {Case{{}, 1, false}, Case{{u"/auto"_s}, 1, true}, Case{{u"/min"_s}, 1, false},
                        Case{{MakeList(u"Mix.M3U"_s)}, 3, false}, Case{{song}, 2, false}}) {
    RecordingShell shell;
    Player p(shell);
    p.context().now = [] { return QDateTime(QDate(2026, 12, 8), QTime(10, 0)); };  // inside the play hours
    p.context().randomBelow = [](int) { return 0; };                                // and a lucky draw
    ASSERT_TRUE(p.FormCreate({appDir_, c.args, QLocale::c()}));
    p.FormShow();
    EXPECT_EQ(p.state().StartMode, c.mode) << c.args.value(0).toStdString();
    EXPECT_EQ(p.state().AutoStart, c.autoStart) << c.args.value(0).toStdString();
    if (c.mode == 3) {
      EXPECT_EQ(p.state().CurrentListFile, c.args[0]);
    }
    p.FormClose();
  }
}

TEST_F(PlayerTest, AFileOnTheCommandLinePlaysAloneAndClosesTheWindowAtItsEnd) {
  const QString song = MakeFile(u"First Light.mp3"_s);
  Start({song});
  const PlayerState& s = player_.state();
  EXPECT_EQ(s.StartMode, 2);
  ASSERT_EQ(player_.context().list.size(), 1);
  EXPECT_EQ(player_.context().list.at(0).Title, u"First Light"_s);
  EXPECT_NE(s.CurrentChannel, 0u);
  EXPECT_TRUE(shell_.timer1);
  EXPECT_EQ(s.TrackSeconds, 10);
  EXPECT_EQ(shell_.windowTitle, u"First Light"_s);
  EXPECT_EQ(shell_.captions[ControlId::lbTime], u"0:10"_s);
  EXPECT_EQ(shell_.hints[ControlId::lbNext], u"Next/RightClk to Stop"_s);
  const TrackEntry& e = player_.context().list.at(0);
  EXPECT_EQ(e.LengthSeconds, u"10"_s);
  EXPECT_EQ(e.LengthText, u"0:10"_s);

  // The gauge moves once a second: on the tenth tick.
  Engine().positionBytes = 176400 * 3;
  Tick(9);
  EXPECT_EQ(shell_.position, 0);
  Tick(1);
  EXPECT_EQ(shell_.position, 3);
  // The engine says the end was heard: the window closes by itself.
  Engine().activeState = 0;
  Tick(10);
  EXPECT_EQ(shell_.closeRequests, 1);
  Engine().activeState = 1;
}

TEST_F(PlayerTest, AFileThatDoesNotOpenIsReportedAndEndsTheSingleFileRun) {
  Start({appDir_ + u"missing.mp3"_s});
  ASSERT_EQ(shell_.messages.size(), 1u);
  EXPECT_EQ(shell_.messages[0].text, u"Invalid or unsupported stream file."_s);
  EXPECT_EQ(shell_.messages[0].caption, u"missing"_s) << "captioned with the entry's title";
  EXPECT_EQ(shell_.closeRequests, 1);
  EXPECT_FALSE(shell_.timer1);
}

TEST_F(PlayerTest, InAListAFailedEntryIsRemovedAndPlayingGoesOn) {
  Start({});
  AddEntries(3);
  player_.context().list.append({u"gone"_s, appDir_ + u"gone.mp3"_s, std::nullopt, std::nullopt});
  player_.context().list.select(3);
  player_.MListDblClick();
  ASSERT_EQ(shell_.messages.size(), 1u);
  EXPECT_EQ(player_.context().list.size(), 3);
  EXPECT_TRUE(player_.state().ListModified);
  EXPECT_EQ(shell_.closeRequests, 0);
}

TEST_F(PlayerTest, PauseFreezesTheClockAndSeekingResumes) {
  Start({});
  AddEntries(2);
  player_.context().list.select(0);
  player_.MListDblClick();
  ASSERT_TRUE(player_.state().Timer1On);
  player_.pmPauseClick();
  EXPECT_EQ(player_.state().PausedTag, 1);
  Engine().positionBytes = 176400 * 5;
  Tick(30);
  EXPECT_EQ(shell_.position, 0) << "paused: no progress";
  // Seeks need the application active, the left button and a click inside the strip.
  player_.lbProgressMouseUp(50, 2, 100, 4, false);
  EXPECT_EQ(player_.state().PausedTag, 1);
  player_.lbProgressMouseUp(100, 2, 100, 4, true);
  EXPECT_EQ(player_.state().PausedTag, 1) << "x must lie inside the strip";
  player_.lbProgressMouseUp(50, 2, 100, 4, true);
  EXPECT_EQ(player_.state().PausedTag, 0) << "seeking resumes";
  EXPECT_EQ(shell_.position, 5);
  EXPECT_EQ(Engine().positionBytes, 176400u * 5) << "half of a 10 s track";
  player_.lbProgressMouseUp(0, 0, 100, 4, true);
  EXPECT_EQ(Engine().positionBytes, 0u) << "x = 0 is the start";
}

TEST_F(PlayerTest, AtTheEndOfATrackTheNextOnePlaysAndEnterDoesNothingWhilePlaying) {
  Start({});
  AddEntries(3);
  player_.context().list.select(1);
  player_.MListDblClick();
  EXPECT_EQ(player_.state().PlayingIndex, 1);
  player_.pmPlayClick();
  EXPECT_EQ(player_.state().PlayingIndex, 1) << "Enter while playing";
  Engine().activeState = 0;
  Tick(10);
  Engine().activeState = 1;
  EXPECT_EQ(player_.state().PlayingIndex, 2);
  player_.lbNextClick();
  EXPECT_EQ(player_.state().PlayingIndex, 0) << "after the last comes the first";
  player_.lbNextRightUp();
  EXPECT_FALSE(player_.state().Timer1On);
  player_.pmNextClick();
  EXPECT_FALSE(player_.state().Timer1On) << "the Right arrow while stopped";
}

TEST_F(PlayerTest, ClosingWritesTheSettingsOnlyWhenSomethingChanged) {
  Start({});
  EXPECT_TRUE(player_.FormCloseQuery());
  EXPECT_FALSE(QFile::exists(appDir_ + u"lirra.ini"_s));
  RandomButtonClick(player_.context());
  EXPECT_EQ(shell_.hints[ControlId::sbRandom], u"Random Playback"_s);
  EXPECT_TRUE(player_.FormCloseQuery());
  EXPECT_TRUE(QFile::exists(appDir_ + u"lirra.ini"_s));
  player_.state().OpeningTrack = true;
  EXPECT_FALSE(player_.FormCloseQuery()) << "refused while a network entry opens";
  player_.state().OpeningTrack = false;
}

TEST_F(PlayerTest, ShuffleVisitsEveryOtherEntryOnceBeforeANewOne) {
  Start({});
  AddEntries(5);
  PlayerContext& ctx = player_.context();
  ctx.state.RandomOrder = true;
  ctx.state.PlayingIndex = 0;
  std::multiset<int> seen;
  for (int i = 0; i < 4; ++i) {
    ChooseNext(ctx);
    seen.insert(ctx.state.NextIndex);
  }
  EXPECT_EQ(seen, (std::multiset<int>{1, 2, 3, 4}));
  EXPECT_EQ(ctx.state.ShufflePos, 0) << "used up: the next call draws anew";
  ctx.state.PlayingIndex = 3;
  std::set<int> next;
  for (int i = 0; i < 4; ++i) {
    ChooseNext(ctx);
    next.insert(ctx.state.NextIndex);
  }
  EXPECT_EQ(next, (std::set<int>{0, 1, 2, 4})) << "the new shuffle leaves out the entry playing";

  // Two entries alternate like list order; list order wraps.
  ctx.list.clear();
  AddEntries(2);
  ctx.state.PlayingIndex = 1;
  ChooseNext(ctx);
  EXPECT_EQ(ctx.state.NextIndex, 0);
  ctx.state.PlayingIndex = 0;
  ChooseNext(ctx);
  EXPECT_EQ(ctx.state.NextIndex, 1);
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(PlayerTest, InsertTogglesSeeThroughAndTOnlyActsOutsideTheList) {
  AddEntries(1);
  Start({});
  PlayerState& s = player_.state();
  player_.context().list.select(0);
  PlayCurrent(player_.context());
  ShowTrackList(player_.context());
  player_.pmPauseClick();
  ASSERT_EQ(s.PausedTag, 1);
  player_.pmTranspClick();
  EXPECT_TRUE(s.SeeThrough);
  EXPECT_TRUE(shell_.alphaBlend) << "the list is shown: the window's alpha follows";
  EXPECT_EQ(s.PausedTag, 0) << "see-through resumes a paused track";
  EXPECT_TRUE(s.SettingsDirty);
  player_.pmTranspClick();
  EXPECT_FALSE(shell_.alphaBlend);
  s.VideoShown = true;
  player_.pmTranspClick();
  EXPECT_FALSE(s.SeeThrough) << "refused while a video picture is shown";
  s.VideoShown = false;

  player_.pmOnTopClick();
  EXPECT_FALSE(s.StayOnTop) << "ignored while the list is shown";
  s.ListShown = false;
  player_.pmOnTopClick();
  EXPECT_TRUE(s.StayOnTop);
  EXPECT_TRUE(shell_.topmost);
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// A network entry opens while the window keeps running: every command that would change
// the track list or the library meanwhile is refused, and what follows the open finds
// its entry again by identity.
TEST_F(PlayerTest, ListCommandsWaitWhileANetworkEntryOpens) {
  Start({});
  AddEntries(3);
  PlayerContext& ctx = player_.context();
  PlayerState& s = player_.state();
  s.MListVisible = true;
  s.MainActivated = true;
  ctx.list.append({u"radio"_s, u"http://127.0.0.1:9/live"_s, std::nullopt, std::nullopt});
  ctx.library.insert({u"other"_s, MakeList(u"other.m3u"_s)}, ctx.collator());
  const std::vector<std::pair<const char*, std::function<void()>>> commands = {
      {"Delete", [&] { shell_.focus = ListFocus::TrackList; player_.pmDelClick(); }},
      {"library Delete", [&] { shell_.focus = ListFocus::Library; ctx.library.selected = 0; player_.pmDelClick(); }},
      {"right-click clear", [&] { player_.MListMouseUp(); }},
      {"add folder", [&] { player_.sbAddFldClick(); }},
      {"address memo", [&] { player_.AddFromAddressMemo({u"http://x/y"_s}); }},
      {"library switch", [&] { player_.LibrarySelectionChanged(0); }},
      {"new list", [&] { s.LibraryPanelShown = true; player_.sbNewlistClick(); }},
      {"title edit", [&] { player_.MListEdited(0, u"renamed"_s); }},
      {"list rename", [&] { player_.ListView1Edited(0, u"renamed"_s); }},
  };
  for (const auto& [name, command] : commands) {
    SCOPED_TRACE(name);
    ctx.list.select(3);
    bool opening = false;
    shell_.whileResponsive = [&] {
      opening = s.OpeningTrack;
      ctx.list.setSelection({0, 1});  // the user clicks elsewhere meanwhile
      command();
    };
    PlayCurrent(ctx);
    EXPECT_TRUE(opening);
    EXPECT_EQ(ctx.list.size(), 4);
    EXPECT_EQ(ctx.list.at(3).Location, u"http://127.0.0.1:9/live"_s);
    EXPECT_EQ(ctx.list.at(0).Title, u"t0"_s);
    EXPECT_EQ(ctx.library.size(), 1);
    EXPECT_EQ(ctx.library.at(0).Name, u"other"_s);
    EXPECT_EQ(s.PlayingIndex, 3);
    EXPECT_EQ(ctx.list.at(3).LengthSeconds, u"10"_s) << "the length lands on the opened entry";
    player_.lbNextRightUp();  // stop
  }
  // A failed open removes the entry that failed, not the selection the user moved to.
  shell_.whileResponsive = [&] { ctx.list.setSelection({0}); };
  s.LibraryPanelShown = false;
  Engine().openError = BASS_ERROR_FILEOPEN;
  ctx.list.select(3);
  PlayCurrent(ctx);
  EXPECT_EQ(ctx.list.findByLocation(u"http://127.0.0.1:9/live"_s), -1);
  EXPECT_EQ(ctx.list.size(), 3);
  EXPECT_EQ(ctx.list.at(0).Title, u"t0"_s);
  EXPECT_EQ(shell_.windowTitle, u"Lirra"_s) << "no longer \"Connecting...\"";
}

TEST_F(PlayerTest, AChannelTheEngineRefusesToPlayIsAFailedOpen) {
  Start({});
  AddEntries(2);
  player_.state().MListVisible = true;
  Engine().playResult = 0;
  player_.context().list.select(1);
  PlayCurrent(player_.context());
  EXPECT_FALSE(player_.state().Timer1On) << "no silent playing state";
  EXPECT_EQ(player_.state().CurrentChannel, 0u);
  ASSERT_EQ(shell_.messages.size(), 1u);
  EXPECT_EQ(shell_.messages[0].text, u"Invalid or unsupported stream file."_s);
  EXPECT_EQ(Engine().streamFrees, 1) << "the refused channel is freed";
  EXPECT_EQ(player_.context().list.size(), 1);
}

TEST_F(PlayerTest, AFailedOpenWithTheLibraryShownRemovesNothing) {
  Start({});
  AddEntries(3);
  PlayerState& s = player_.state();
  s.MListVisible = s.LibraryPanelShown = true;
  QFile::remove(player_.context().list.at(1).Location);
  player_.context().list.setSelection({1, 2});
  PlayCurrent(player_.context());
  EXPECT_EQ(shell_.messages.size(), 1u);
  EXPECT_EQ(player_.context().list.size(), 3);
}

TEST_F(PlayerTest, PlayOnAnEmptyTrackListPlaysTheLibrarysCurrentList) {
  const QString list = MakeList(u"mine.m3u"_s);
  Start({});
  PlayerContext& ctx = player_.context();
  // A new list empties the track list; the current list file stays the old one.
  player_.sbNewlistClick();
  player_.sbNewlistClick();
  ASSERT_TRUE(ctx.list.empty());
  ASSERT_FALSE(player_.state().Timer1On);
  player_.pmPlayClick();
  EXPECT_EQ(player_.state().CurrentListFile, list);
  EXPECT_EQ(ctx.list.size(), 1);
  EXPECT_TRUE(player_.state().Timer1On);
}

}  // namespace
TEST_F(PlayerTest, ASoundServerAwayForTenSecondsIsToldOnceAndTheNoticeGoesWhenItIsBack) {
  Start({});
  AddEntries(2);
  player_.context().list.select(0);
  player_.MListDblClick();
  Engine().positionBytes = 176400 * 3;
  Engine().activeState = BASS_ACTIVE_PAUSED_DEVICE;
  Tick(99);
  EXPECT_TRUE(shell_.notices.empty()) << "told before 10 s";
  Tick(60);
  ASSERT_EQ(shell_.notices.size(), 1u) << "told once, after 10 s";
  EXPECT_EQ(shell_.notices[0].text, u"The sound server went away; Lirra will play again as soon as it is back."_s);
  EXPECT_EQ(shell_.noticesClosed, 0);
  Engine().activeState = BASS_ACTIVE_PLAYING;
  Tick(10);
  EXPECT_EQ(shell_.noticesClosed, 1);
  EXPECT_EQ(player_.state().PlayingIndex, 0) << "the track waited: nothing moved on";
  EXPECT_EQ(shell_.position, 3);
  EXPECT_TRUE(shell_.messages.empty());
}

}  // namespace lirra
