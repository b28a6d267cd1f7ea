// The next entry opened and joined before the playing track ends, over a fake engine that
// can join: which entry, when it is dropped and chosen again, and what the switch leaves.
#include <QThread>

#include "list_commands.h"
#include "play_order.h"
#include "player_fixture.h"

namespace lirra {
namespace {

constexpr uint64_t kSecond = 176400;  // bytes of the fake engine's format

class NextTrackTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    QFile::remove(appDir_ + u"libbass.so"_s);
    ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_bass_joining.so"), appDir_ + u"libbass.so"_s));
  }
  PlayerContext& ctx() { return player_.context(); }
  // Plays entry `index` from the list and moves it to 6 s of its 10.
  void PlayNearItsEnd(int index) {
    ctx().list.select(index);
    player_.MListDblClick();
    ASSERT_TRUE(ctx().state.Timer1On);
    Engine().positionBytes = 6 * kSecond;
  }
  // Ticks until an open off the UI thread came back and was joined (2 s at most).
  bool TickUntilJoined() {
    const int joins = Engine().joins;
    for (int i = 0; i < 200; ++i) {
      Tick(1);
      if (Engine().joins > joins && ctx().nextTrack.joined) return true;
      QThread::msleep(10);
    }
    return false;
  }
  // The engine has played the playing channel to its end and goes on with the joined one.
  void EngineMovesOn() {
    Engine().stoppedHandle = ctx().state.CurrentChannel;
    Tick(1);
  }
  QString OpenedFile() { return QString::fromUtf8(Engine().lastPath).section(u'/', -1); }
};

TEST_F(NextTrackTest, NearItsEndTheNextEntryIsJoinedAndTakenOverWhenTheEngineMovesOn) {
  Start({});
  AddEntries(3);
  writeBytes(u"t1.lrc"_s, "[00:00.5]first line\r\n");
  PlayNearItsEnd(0);
  Engine().positionBytes = 4 * kSecond;
  const int opens = Engine().streamOpens, plays = Engine().plays;
  const uint32_t first = ctx().state.CurrentChannel;
  Tick(3);
  EXPECT_EQ(Engine().streamOpens, opens) << "6 s before the end is too early";

  Engine().positionBytes = 6 * kSecond;
  ASSERT_TRUE(TickUntilJoined());
  EXPECT_EQ(OpenedFile(), u"t1.mp3"_s);
  EXPECT_EQ(Engine().joinedTo, first);
  EXPECT_EQ(ctx().state.PlayingIndex, 0) << "joined, not played yet";
  Engine().positionBytes = 10 * kSecond;
  Tick(20);
  EXPECT_EQ(ctx().state.PlayingIndex, 0) << "the gauge alone does not end a track with a follower";

  EngineMovesOn();
  EXPECT_EQ(ctx().state.PlayingIndex, 1);
  EXPECT_EQ(ctx().state.CurrentChannel, Engine().joinedNext);
  EXPECT_EQ(Engine().streamOpens, opens + 1) << "taken over, not opened again";
  EXPECT_EQ(Engine().plays, plays) << "it plays already";
  EXPECT_EQ(Engine().lastFreed, first);
  EXPECT_TRUE(ctx().state.Timer1On);
  EXPECT_EQ(shell_.windowTitle, u"t1"_s);
  EXPECT_EQ(ctx().lyrics.table.texts, QStringList{u"first line"_s}) << "the new track's lyrics";
}

TEST_F(NextTrackTest, TheJoinFollowsTheShuffleAndIsChosenAgainWhenTheListChanges) {
  Start({});
  AddEntries(5);
  ctx().state.RandomOrder = true;
  ctx().randomBelow = [](int) { return 0; };  // from 0: the shuffle 4, 3, 2, 1
  PlayNearItsEnd(0);
  ASSERT_TRUE(TickUntilJoined());
  EXPECT_EQ(OpenedFile(), u"t4.mp3"_s);
  EXPECT_EQ(ctx().state.ShufflePos, 0) << "the order moves on only when the entry plays";
  const uint32_t dropped = Engine().joinedNext;

  ctx().list.select(4);
  DeleteSelectedTracks(ctx());  // the entry that would follow goes
  ASSERT_TRUE(TickUntilJoined());
  EXPECT_EQ(Engine().lastFreed, dropped);
  EXPECT_EQ(OpenedFile(), u"t3.mp3"_s) << "a new shuffle of what is left: 3, 2, 1";

  EngineMovesOn();
  EXPECT_EQ(ctx().state.PlayingIndex, 3);
  EXPECT_EQ(ctx().state.ShufflePos, 1);
  EXPECT_EQ(ctx().state.ShuffleOrder, (std::vector<int>{3, 2, 1}));

  RandomButtonClick(ctx());  // list order: entry 3 is the last, nothing is joined to it
  const int joins = Engine().joins;
  Tick(30);
  EXPECT_EQ(Engine().joins, joins);
  EXPECT_FALSE(ctx().nextTrack.joined);
  ctx().list.select(1);  // a selected entry wins over the order
  ASSERT_TRUE(TickUntilJoined());
  EXPECT_EQ(OpenedFile(), u"t1.mp3"_s);
}

TEST_F(NextTrackTest, APauseASeekOrAStopDropsTheJoinedEntry) {
  Start({});
  AddEntries(3);
  const std::function<void()> acts[] = {
      [&] { player_.pmPauseClick(); },
      [&] { player_.lbProgressMouseUp(20, 2, 100, 4, true); },
      [&] { player_.lbNextRightUp(); },
  };
  for (const auto& act : acts) {
    PlayNearItsEnd(0);
    ASSERT_TRUE(TickUntilJoined());
    const uint32_t joined = Engine().joinedNext;
    act();
    EXPECT_NE(std::find(std::begin(Engine().freed), std::end(Engine().freed), joined), std::end(Engine().freed));
    EXPECT_FALSE(ctx().nextTrack.chosen());
    if (ctx().state.PausedTag) player_.pmPauseClick();
    if (ctx().state.Timer1On) player_.lbNextRightUp();
  }
}

struct NotJoined {
  const char* what;
  int play;
  const char* second;  // the location of entry 1 (a file name in the app folder, or an address)
  bool plainEngine;
};

class NothingIsJoined : public NextTrackTest, public ::testing::WithParamInterface<NotJoined> {};

TEST_P(NothingIsJoined, AfterTheListsLastEntryOrBeforeWhatTheEngineDoesNotJoin) {
  const NotJoined& c = GetParam();
  if (c.plainEngine) {
    QFile::remove(appDir_ + u"libbass.so"_s);
    ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_bass.so"), appDir_ + u"libbass.so"_s));
  }
  Start({});
  AddEntries(3);
  const QString second = QString::fromUtf8(c.second);
  if (!second.isEmpty()) ctx().list.at(1).Location = second.startsWith(u"http"_s) ? second : MakeFile(second);
  PlayNearItsEnd(c.play);
  const int opens = Engine().streamOpens;
  Tick(30);
  EXPECT_EQ(Engine().streamOpens, opens);
  EXPECT_FALSE(ctx().nextTrack.joined);
}

INSTANTIATE_TEST_SUITE_P(Cases, NothingIsJoined, ::testing::Values(
    NotJoined{"TheLastEntryInListOrder", 2, "", false},
    NotJoined{"ANetworkStreamNext", 0, "http://127.0.0.1:9/stream", false},
    NotJoined{"AVideoFileNext", 0, "clip.avi", false},
    NotJoined{"AnEngineThatCannotJoin", 0, "", true}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(NextTrackTest, ACueTrackIsPlacedInItsFileBeforeItPlaysAndEndsAtItsEnd) {
  Start({});
  const QString album = MakeFile(u"album.wav"_s);
  ctx().list.append({u"one"_s, album + u",60,200"_s, std::nullopt, std::nullopt});
  ctx().list.append({u"two"_s, album + u",200,260"_s, std::nullopt, std::nullopt});
  ctx().list.select(0);
  player_.MListDblClick();
  EXPECT_EQ(Engine().positionBytes, 60 * kSecond);
  EXPECT_EQ(Engine().endBytes, 200 * kSecond);
  EXPECT_EQ(ctx().state.GaugeRange, 140);
  Engine().positionBytes = 196 * kSecond;  // 4 s before its end
  ASSERT_TRUE(TickUntilJoined());
  EXPECT_EQ(OpenedFile(), u"album.wav"_s);
  EXPECT_EQ(Engine().positionBytes, 200 * kSecond) << "the next track opened at its start";
  EXPECT_EQ(Engine().endBytes, 260 * kSecond);
  EngineMovesOn();
  EXPECT_EQ(ctx().state.PlayingIndex, 1);
  EXPECT_EQ(ctx().state.TrackStartSeconds, 200);
  EXPECT_EQ(ctx().state.GaugeRange, 60);
}

}  // namespace
}  // namespace lirra
