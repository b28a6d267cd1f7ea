// The tray icon's clicks with the player in front, behind another window or behind a
// visualisation's window, and its tip.
#include <gtest/gtest.h>

#include "central_states.h"
#include "player_fixture.h"
#include "tray.h"

namespace lirra {
namespace {

TEST_F(PlayerTest, ALeftClickOnTheTrayHidesThePlayerInFrontAndFetchesItOtherwise) {
  AddEntries(1);
  Start({});
  struct Case {
    const char* what;
    ForegroundWindow front;
    bool minimisedBefore;
    bool minimisedAfter;
    int broughtToFront;
  };
  const Case cases[] = {
      {"the player in front: it hides", {true, {}}, false, true, 0},
      {"hidden: it comes back", {false, u"Terminal"_s}, true, false, 1},
      {"another program in front: the player comes forward", {false, u"Terminal"_s}, false, false, 1},
      {"the desktop in front counts as free", {false, u"Program Manager"_s}, false, true, 0},
      {"a visualisation's window titled Avs counts as the player", {false, u"Avs"_s}, false, true, 0},
      {"a title only beginning with Avs does not", {false, u"Avseq editor"_s}, false, false, 1},
      {"a window without a readable title counts as free", {false, {}}, false, true, 0},
  };
  for (const Case& c : cases) {
    shell_.foreground = c.front;
    shell_.minimised = c.minimisedBefore;
    shell_.broughtToFront = 0;
    player_.TrayMouseMove();
    player_.TrayLeftDown();
    player_.TrayMouseMove();  // moves while the button is down do not sample again
    player_.TrayLeftUp();
    EXPECT_EQ(shell_.minimised, c.minimisedAfter) << c.what;
    EXPECT_EQ(shell_.broughtToFront, c.broughtToFront) << c.what;
  }
}

TEST_F(PlayerTest, ARightClickOnTheTrayStopsAndHidesThenPlaysAgain) {
  Start({MakeList(u"mine.m3u"_s)});
  ASSERT_TRUE(shell_.trayIcon);
  const QString title = player_.context().list.at(0).Title;
  EXPECT_EQ(shell_.trayTip, title + u"|RightClk to Stop"_s);
  player_.TrayRightUp();
  EXPECT_FALSE(player_.state().Timer1On);
  EXPECT_TRUE(shell_.minimised) << "a stop from the tray hides the window";
  EXPECT_EQ(shell_.windowTitle, u"Lirra"_s);
  EXPECT_EQ(shell_.trayTip, u"Lirra|RightClk to Play"_s);
  player_.TrayRightUp();
  EXPECT_TRUE(player_.state().Timer1On) << "with the list visible a right click plays";

  player_.ApplicationMinimised();
  EXPECT_TRUE(shell_.taskbarButtonHidden) << "minimised, the tray icon is the way back";
  player_.ApplicationRestored();
  EXPECT_FALSE(shell_.taskbarButtonHidden);

  SetTrayTip(player_.context(), QString(80, u'x'));
  EXPECT_EQ(shell_.trayTip.size(), 63) << "the tip holds 63 characters";
  player_.FormClose();
  EXPECT_FALSE(shell_.trayIcon);
  started_ = false;
}

// Where the desktop has no tray, nothing takes the window off the taskbar: it would be
// unreachable.
TEST_F(PlayerTest, WithoutATrayAMinimisedOrTrayStoppedWindowKeepsItsTaskbarButton) {
  Start({MakeList(u"mine.m3u"_s)});
  for (bool tray : {false, true}) {
    shell_.trayHost = tray;
    shell_.taskbarButtonHidden = false;
    player_.TrayRightUp();  // a stop from the tray minimises
    ASSERT_TRUE(shell_.minimised);
    player_.ApplicationMinimised();
    EXPECT_EQ(shell_.taskbarButtonHidden, tray) << (tray ? "with" : "without") << " a tray";
    player_.TrayHostChanged(!tray);  // the tray goes, or comes, while minimised
    EXPECT_EQ(shell_.taskbarButtonHidden, !tray);
    shell_.minimised = false;
    player_.ApplicationRestored();
    EXPECT_FALSE(shell_.taskbarButtonHidden);
    player_.TrayRightUp();  // plays again
  }
}

// Always on top goes back on with the visual area only while the player counts as in front.
TEST_F(PlayerTest, TheVisualAreaPutsTheWindowOnTopOnlyWhenNothingElseIsInFront) {
  AddEntries(1);
  Start({});
  player_.state().StayOnTop = true;
  for (const auto& [front, topmost] : {std::pair{ForegroundWindow{false, u"Terminal"_s}, false},
                                       std::pair{ForegroundWindow{false, u"MilkDrop"_s}, true}}) {
    shell_.topmost = false;
    shell_.foreground = front;
    ShowVisualArea(player_.context());
    EXPECT_EQ(shell_.topmost, topmost) << front.title.toStdString();
  }
}

}  // namespace
}  // namespace lirra
