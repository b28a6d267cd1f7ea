// The smart mode over a hand-set clock: its decisions at any hour, the hour tick, the daily
// draw, starting and stopping at the top of an hour, and the video library's error box.
#include <gtest/gtest.h>

#include "player_fixture.h"
#include "schedule.h"

namespace lirra {
namespace {

TEST(Schedule, OnlyTenDigitsInOrderAreASchedule) {
  const struct {
    const char* text;
    std::optional<int> startHour;
  } cases[] = {
      {"1213152208", 8},  {"1124242400", 0},            {"1100000000", -1}, {"121315220", std::nullopt},
      {"0213152208", std::nullopt}, {"2113152208", std::nullopt}, {"1213152508", std::nullopt},
      {"12131522O8", std::nullopt}, {"1213152208 and more", 8},
  };
  for (const auto& c : cases) EXPECT_EQ(ValidateSchedule(QString::fromLatin1(c.text)), c.startHour) << c.text;
}

class ScheduleTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    ctx().now = [this] { return QDateTime(QDate(2026, 12, 8), clock_); };
    ctx().randomBelow = [this](int n) {
      ++draws_;
      return std::min(draw_, n - 1);
    };
  }
  PlayerContext& ctx() { return player_.context(); }
  void At(int h, int m, int s = 0) { clock_ = QTime(h, m, s); }

  QTime clock_{12, 0};
  int draw_ = 0;  // what the random draw gives (0: always within the chance)
  int draws_ = 0;
};

TEST_F(ScheduleTest, DecisionsAtAnyHour) {
  using Q = ScheduleQuestion;
  struct Case {
    const char* what;
    const char* schedule;
    QTime at;
    Q question;
    int draw;
    bool pending;
    bool answer;
    bool playTodayAfter;
  };
  const Case cases[] = {
      {"/AUTO at 12:40: the last half hour of window 1", "", {12, 40}, Q::AutoStartAllowed, 0, false, false, true},
      {"/AUTO at 12:20 with a lucky draw", "", {12, 20}, Q::AutoStartAllowed, 0, false, true, true},
      {"/AUTO at 12:20 with an unlucky draw", "", {12, 20}, Q::AutoStartAllowed, 1, false, false, true},
      {"armed at 12:40 for window 2", "", {12, 40}, Q::ArmNextHour, 0, false, true, true},
      {"armed inside a window", "", {10, 10}, Q::ArmNextHour, 1, false, true, true},
      {"armed in window 2's last hour before :30", "", {21, 10}, Q::ArmNextHour, 0, false, false, true},
      {"the start hour starts surely", "", {8, 0}, Q::StartThisHour, 1, false, true, true},
      {"an armed start starts surely", "", {3, 0}, Q::StartThisHour, 1, true, true, true},
      {"22:00 ends the day", "", {22, 0}, Q::StartThisHour, 0, false, false, false},
      {"outside, before the end hour", "", {23, 0}, Q::StartThisHour, 0, false, false, true},
      {"00-24: late at night is inside, no last hour", "1124242400", {23, 45}, Q::AutoStartAllowed, 0, false, true, true},
  };
  for (const Case& c : cases) {
    PlayerState& s = player_.state();
    s.SmartModeSpec = QString::fromLatin1(c.schedule);
    s.ScheduleStartHour = ValidateSchedule(s.SmartModeSpec).value_or(8);
    s.PlayToday = true;
    s.PlayNowPending = c.pending;
    clock_ = c.at;
    draw_ = c.draw;
    EXPECT_EQ(ScheduleDecision(ctx(), c.question), c.answer) << c.what;
    EXPECT_EQ(s.PlayToday, c.playTodayAfter) << c.what;
    EXPECT_FALSE(s.PlayNowPending) << c.what;
  }
}

TEST_F(ScheduleTest, TheHourTickFiresOnceAtSecondZeroOrOne) {
  Start({u"/auto"_s});
  PlayerState& s = player_.state();
  s.PlayToday = false;
  draw_ = 1;  // today is no play day: the draw shows in the title
  draws_ = 0;
  const struct {
    QTime at;
    int drawsAfter;
  } ticks[] = {
      {{7, 59, 59}, 0}, {{8, 0, 0}, 1}, {{8, 0, 0}, 1}, {{8, 0, 1}, 1},  // the daily draw once in 08:00:00-01
      {{8, 59, 59}, 1}, {{9, 0, 1}, 1}, {{9, 0, 1}, 1},  // second 0 missed, 1 fires once (9 is no start hour)
  };
  for (const auto& t : ticks) {
    clock_ = t.at;
    player_.Timer2Timer();
    EXPECT_EQ(draws_, t.drawsAfter) << t.at.toString().toStdString();
  }
  EXPECT_EQ(shell_.windowTitle, u"Stop playing today"_s);
  EXPECT_EQ(ctx().schedule.lastHourTick, QDate(2026, 12, 8).toJulianDay() * 24 + 9) << "09:00:01 fired";
}

TEST_F(ScheduleTest, OutsideTheWindowsAClipStopsButAFilmPlaysOn) {
  AddEntries(1);
  Start({u"/auto"_s});
  PlayerState& s = player_.state();
  struct Case {
    bool videoShown;
    int seconds;
    bool stream, alone;  // a network stream; a file played alone (from the command line)
    bool stops;
  };
  const int mode = s.StartMode;
  for (const Case& c : {Case{true, 7200, false, false, false}, Case{true, 0, false, false, false},
                        Case{true, 300, false, false, true}, Case{false, 7200, false, false, true},
                        Case{false, 300, true, false, false}, Case{false, 300, false, true, false}}) {
    ctx().setTimer1(true);
    s.VideoShown = c.videoShown;
    s.TrackSeconds = c.seconds;
    s.CurrentIsNetwork = c.stream;
    s.StartMode = c.alone ? kStartSingleFile : mode;
    clock_ = QTime(22, 0, 0);
    ctx().schedule.lastHourTick = -1;
    player_.Timer2Timer();
    EXPECT_EQ(!s.Timer1On, c.stops) << c.videoShown << " " << c.seconds << " " << c.stream << c.alone;
    if (c.stops) {
      EXPECT_EQ(shell_.windowTitle, u"Pause@Smart Mode"_s);
      EXPECT_EQ(ctx().schedule.stopReason, StopReason::Ordinary) << "the reason is used up";
    }
  }
}

// What an armed hour starts: the selected entry of the list shown; nothing at all without
// any list.
TEST_F(ScheduleTest, AnArmedHourStartsTheSelectionOrNothingWithoutAList) {
  QByteArray list = "#EXTM3U\r\n";
  for (const QString& name : {u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s}) list += MakeFile(name).toUtf8() + "\r\n";
  writeBytes(u"three.m3u"_s, list);
  Start({appDir_ + u"three.m3u"_s});
  PlayerState& s = player_.state();
  s.AutoStart = true;
  player_.lbNextRightUp();  // stopped
  ASSERT_FALSE(s.Timer1On);
  ctx().list.clearSelection();
  ctx().list.select(2);
  s.PlayNowPending = true;
  clock_ = QTime(4, 0, 0);
  player_.Timer2Timer();
  EXPECT_TRUE(s.Timer1On);
  EXPECT_EQ(s.PlayingIndex, 2) << "the selection";

  player_.lbNextRightUp();
  ctx().list.clear();
  s.CurrentListFile.clear();
  ASSERT_TRUE(QFile::remove(appDir_ + u"three.m3u"_s));  // the library is empty too
  s.PlayNowPending = true;
  clock_ = QTime(5, 0, 0);
  player_.Timer2Timer();
  EXPECT_FALSE(s.Timer1On) << "no list: nothing to start";
}

TEST_F(ScheduleTest, AnArmedHourStartsTheListAndTheVideoLibrarysErrorBoxIsClosed) {
  Start({MakeList(u"mine.m3u"_s)});
  player_.state().AutoStart = true;
  player_.lbNextRightUp();
  ASSERT_FALSE(player_.state().Timer1On);
  player_.state().PlayNowPending = true;
  clock_ = QTime(3, 0, 0);
  player_.Timer2Timer();
  EXPECT_TRUE(player_.state().Timer1On) << "an armed start plays at the top of any hour";
  EXPECT_EQ(player_.state().StartMode, kStartList);

  SetScheduleTimer(ctx(), true, 100);  // as after the video library opened something
  player_.Timer2Timer();
  EXPECT_EQ(shell_.timer2Interval, 100) << "no box yet: keep looking";
  shell_.errorBoxShown = true;
  player_.Timer2Timer();
  EXPECT_FALSE(shell_.errorBoxShown) << "the box was closed";
  EXPECT_EQ(shell_.timer2Interval, 1000);

  // A load that failed without a box: the hour clock comes back after three seconds.
  SetScheduleTimer(ctx(), true, kLookForErrorBoxMs);
  for (int tick = 1; tick < 30; ++tick) player_.Timer2Timer();
  EXPECT_EQ(shell_.timer2Interval, kLookForErrorBoxMs);
  player_.Timer2Timer();
  EXPECT_EQ(shell_.timer2Interval, 1000) << "the smart mode goes on";
}

}  // namespace
}  // namespace lirra
