// The player's side of the visualisation plug-ins, against a fake host that records its
// calls: the order and arguments of the calls, the AVS preset and its settings, following a
// new track, the minimise rule, a start during a drag, and the fallback to the spectrum.
#include <gtest/gtest.h>

#include <QDir>

#include "fake_vis.h"
#include "inifile.h"
#include "player_fixture.h"
#include "settings.h"
#include "track_kind.h"
#include "track_opening.h"

namespace lirra {
namespace {

using Calls = std::vector<std::string>;

class VisHostTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_vis.so"), appDir_ + u"libbass_vis.so"_s));
    QDir(appDir_).mkpath(u"Plugins/AVS/newpicks"_s);
    for (const char* name : {"Plugins/vis_avs.so", "Plugins/vis_scope.so"}) MakeFile(QString::fromLatin1(name));
    writeBytes(u"Plugins/AVS/newpicks/Aurora.avs"_s, "preset aurora");
    writeBytes(u"Plugins/AVS/newpicks/Nebula.avs"_s, "preset nebula");
  }
  void TearDown() override {
    if (started_) Host() = FakeVisScript{};  // the fake is one library for the whole process
    PlayerTest::TearDown();
  }
  FakeVisScript& Host() { return FakeScript<FakeVisScript>(u"libbass_vis.so"_s, "FakeVis_Script"); }
  Calls TakeCalls() { return std::exchange(Host().calls, {}); }
  QString Plugin(const char* name) { return appDir_ + u"Plugins/"_s + QString::fromLatin1(name); }
  // A start as a module in a window of its own.
  std::string Execute(const char* name) { return "Execute " + Plugin(name).toStdString() + " 1 1 0"; }
};

// While a plug-in stops the window keeps handling events, but what they would start waits:
// the progress tick (a track that ends meanwhile) opens nothing, and a Next runs once the
// host is free.
TEST_F(VisHostTest, NothingOpensWhileAPlugInStops) {
  AddEntries(2);
  Start({});
  player_.FormActivate();
  PlayerState& s = player_.state();
  ASSERT_FALSE(s.ListShown);
  const int opens = Engine().streamOpens;
  int opensInside = -1;
  Host().busyPolls = 3;
  shell_.onPendingEvents = [&] {
    Engine().positionBytes = Engine().lengthBytes;  // the track ends now
    player_.Timer1Timer();
    player_.pmNextClick();
    opensInside = Engine().streamOpens;
  };
  player_.lbMoveDblClick();  // to the list: the plug-in stops
  shell_.onPendingEvents = nullptr;
  EXPECT_EQ(opensInside, opens) << "a track opened inside the stop";
  EXPECT_EQ(s.PlayingIndex, 1) << "the Next, once the plug-in had stopped";
  EXPECT_EQ(Engine().streamOpens, opens + 1);
}

// The setting names the spectrum (1) or a plug-in (2 and up): anything else is brought
// into that range at start-up, so a track never starts the host with no plug-in.
class VisSetting : public VisHostTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(VisSetting, IsBroughtIntoRangeAtStartUp) {
  writeBytes(u"lirra.ini"_s, "[main]\r\nvis=" + QByteArray::number(GetParam().first) + "\r\n");
  Start({});
  EXPECT_EQ(player_.state().VisIndex, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(BelowAndAbove, VisSetting,
                         ::testing::Values(std::pair{0, 1}, std::pair{-3, 1}, std::pair{5, 3}));

TEST_F(VisHostTest, TheAvsPluginStartsAtTheFirstActivationWithAFreshPresetAndFollowsNewTracks) {
  AddEntries(2);
  Start({});
  PlayerState& s = player_.state();
  ASSERT_EQ(s.VisPlugins.size(), 2);
  ASSERT_EQ(s.VisIndex, 2) << "the AVS plug-in, by default";
  EXPECT_TRUE(TakeCalls().empty()) << "nothing starts before the window is first activated";

  player_.FormActivate();
  const auto channel = [&] { return "RenderChannel " + std::to_string(s.CurrentChannel); };
  EXPECT_EQ(TakeCalls(), (Calls{"Init 1 0x1234 0x1234", Execute("vis_avs.so"), "SetPlayState 1 -1 0",
                                "SetVisPort 0x4400 in 0x9abc at 0,0 256x127",
                                channel(), "SetInfo 1. t0 - Winamp"}));
  EXPECT_TRUE(s.AvsSelected);
  EXPECT_FALSE(s.ListShown);
  const QByteArray preset = readBytes(u"Plugins/vis_avs.dat"_s);
  EXPECT_TRUE(preset == "preset aurora" || preset == "preset nebula") << preset.toStdString();
  const IniFile dat(VisDefaultsPath(s));
  EXPECT_EQ(dat.readInteger(u"AVS"_s, u"cfg_docked"_s, -1), 0);
  EXPECT_EQ(dat.readInteger(u"AVS"_s, u"cfg_cfgwnd_open"_s, -1), 0);
  EXPECT_TRUE(dat.readString(u"AVS"_s, u"last_preset_name"_s, {}).startsWith(appDir_ + u"Plugins/AVS/newpicks/"_s));

  player_.pmNextClick();
  EXPECT_EQ(TakeCalls(), (Calls{"SetPlayState 1 -1 0", channel(), "SetInfo 2. t1 - Winamp"}))
      << "the running plug-in follows the new channel";

  // A drag: a restart asked for meanwhile waits for its end.
  player_.WindowDragStarted();
  player_.VisPanelMouseUp(ControlId::VisPanel, PointerButton::Right, {20, 20});
  EXPECT_EQ(TakeCalls(), (Calls{"Quit", "IsFree", "IsFree", "IsFree"})) << "stopped, waiting for the host";
  EXPECT_EQ(shell_.eventRounds, 2) << "the window keeps handling events while it waits";
  player_.lbMoveDragEnded();
  const Calls restart = TakeCalls();
  ASSERT_GE(restart.size(), 2u);
  EXPECT_EQ(restart[1], Execute("vis_avs.so")) << "started at the drag's end";

  shell_.bounds = QRect(100, 100, 350, 240);
  player_.lbResizeDragEnded();
  EXPECT_EQ(TakeCalls(), (Calls{"Resize 0x9abc fit 1 at 0,0 346x247"}));
}

TEST_F(VisHostTest, MinimisingStopsAPluginInsideTheWorkAreaAndRestoringStartsItAgain) {
  AddEntries(1);
  Start({});
  player_.FormActivate();
  TakeCalls();
  shell_.pluginWindowSize = QSize(1920, 1080);  // in its own full screen
  player_.ApplicationMinimised();
  EXPECT_TRUE(TakeCalls().empty()) << "a full-screen plug-in keeps running";
  shell_.pluginWindowSize = QSize(256, 127);
  player_.ApplicationMinimised();
  EXPECT_EQ(TakeCalls().front(), "Quit");
  player_.ApplicationRestored();
  const Calls again = TakeCalls();
  ASSERT_GE(again.size(), 2u);
  EXPECT_EQ(again[1], Execute("vis_avs.so"));
}

// Audio-only media of the video library are shown from what is recorded back: after a
// minimise stopped the plug-in, the restore switches the capture input on again first.
TEST_F(VisHostTest, ARestoreSwitchesTheCaptureInputOnAgainBeforeThePlugIn) {
  ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_orvana.so"), appDir_ + u"liborvana.so"_s));
  Start({});
  FakeBassScript& engine = Engine();
  engine.inputNames[0] = "Microphone", engine.inputFlags[0] = 3u << 24;
  engine.inputNames[1] = "Stereo Mix", engine.inputFlags[1] = 0;
  player_.context().list.append({u"song_audio.avi"_s, MakeFile(u"song_audio.avi"_s), std::nullopt, std::nullopt});
  player_.FormActivate();
  PlayCurrent(player_.context());
  ASSERT_EQ(player_.state().TrackKind, kKindMidiCapture);
  TakeCalls();
  player_.ApplicationMinimised();
  ASSERT_EQ(TakeCalls().front(), "Quit");
  engine.lastInputOn = -1;
  player_.ApplicationRestored();
  EXPECT_EQ(engine.lastInputOn, 1) << "the capture input is on again";
  const Calls again = TakeCalls();
  ASSERT_GE(again.size(), 2u);
  EXPECT_EQ(again[1], Execute("vis_avs.so"));
  std::fill(std::begin(engine.inputNames), std::end(engine.inputNames), nullptr);
}

TEST_F(VisHostTest, APluginThatFailsToStartGivesWayToTheSpectrumSilently) {
  AddEntries(1);
  Start({});
  Host().pluginHandle = 0;
  player_.FormActivate();
  const PlayerState& s = player_.state();
  EXPECT_EQ(s.VisIndex, 1) << "the spectrum";
  EXPECT_FALSE(s.ListShown);
  EXPECT_TRUE(shell_.timerFFT);
  EXPECT_TRUE(shell_.messages.empty());
  Host().pluginHandle = 7;
  // Left clicks on the title strip step spectrum → AVS → scope → spectrum.
  for (const char* expected : {"vis_avs.so", "vis_scope.so"}) {
    TakeCalls();
    player_.VisPanelMouseMove(ControlId::VisPanel, true);
    player_.VisPanelMouseUp(ControlId::lbTmp1, PointerButton::Left, {20, -6});
    const Calls calls = TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), Execute(expected)), calls.end()) << expected;
  }
  player_.VisPanelMouseUp(ControlId::lbTmp1, PointerButton::Left, {20, -6});
  EXPECT_EQ(s.VisIndex, 1);
  EXPECT_EQ(TakeCalls().front(), "Quit") << "the scope stopped for the spectrum";
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(VisHostTest, AtMostSevenPlugInsAndThePresetPoolRules) {
  for (int i = 0; i < 8; ++i) MakeFile(u"Plugins/vis_extra%1.so"_s.arg(i));
  // Without "newpicks": the first sub-folder not starting with a dot, else the folder itself.
  QDir(appDir_).rename(u"Plugins/AVS/newpicks"_s, u"Plugins/AVS/.hidden"_s);
  QDir(appDir_).mkpath(u"Plugins/AVS/Zephyr"_s);
  writeBytes(u"Plugins/AVS/Zephyr/Only.avs"_s, "preset zephyr");
  writeBytes(u"Plugins/AVS/Base.avs"_s, "preset base");
  Start({});
  EXPECT_EQ(player_.state().VisPlugins.size(), 7);
  PickAvsPreset(player_.context());
  EXPECT_EQ(readBytes(u"Plugins/vis_avs.dat"_s), "preset zephyr");
  EXPECT_EQ(player_.context().vis.LastPresetPath, appDir_ + u"Plugins/AVS/Zephyr/Only.avs"_s);
  QDir(appDir_ + u"Plugins/AVS/Zephyr"_s).removeRecursively();
  PickAvsPreset(player_.context());
  EXPECT_EQ(readBytes(u"Plugins/vis_avs.dat"_s), "preset base") << "no usable sub-folder: the folder itself";
}

// Without an AVS folder there is nothing to pick: the last preset stays as it was.
TEST_F(VisHostTest, WithoutThePresetFolderTheLastPresetStays) {
  QDir(appDir_ + u"Plugins/AVS"_s).removeRecursively();
  writeBytes(u"Plugins/vis_avs.dat"_s, "preset kept");
  Start({});
  PickAvsPreset(player_.context());
  EXPECT_EQ(readBytes(u"Plugins/vis_avs.dat"_s), "preset kept");
}

// The window's name tells a stream ("i))") and a track of unknown length ("?time ").
TEST_F(VisHostTest, TheWindowsNameMarksStreamsAndUnknownLengths) {
  AddEntries(1);
  Start({});
  PlayerState& s = player_.state();
  s.PlayingIndex = 0;
  const struct {
    bool network, lengthUnknown;
    const char* title;
  } cases[] = {{false, false, "t0"}, {true, false, "i))t0"}, {false, true, "?time t0"}, {true, true, "i))t0"}};
  for (const auto& c : cases) {
    s.CurrentIsNetwork = c.network;
    s.LengthUnknown = c.lengthUnknown;
    AnnounceTitle(player_.context());
    EXPECT_EQ(shell_.windowTitle, QString::fromUtf8(c.title));
  }
}

}  // namespace
}  // namespace lirra
