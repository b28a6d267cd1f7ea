// A file named on the command line starting before the window: which command lines
// qualify, how the first show takes over the started engine and channel, and that a
// failed or abandoned early start leaves the usual steps (and their messages) intact.
#include <dlfcn.h>

#include <QDir>

#include <memory>

#include "bass.h"
#include "early_start.h"
#include "player_fixture.h"

namespace lirra {
namespace {

class EarlyStartTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    // Loaded here so that the test can script it before the early start binds it.
    fake_ = dlopen((appDir_ + u"libbass.so"_s).toUtf8().constData(), RTLD_NOW);
    ASSERT_NE(fake_, nullptr);
  }
  void TearDown() override {
    PlayerTest::TearDown();
    dlclose(fake_);
  }
  QString engineFile() const { return appDir_ + u"libbass.so"_s; }
  void StartWith(EarlyStart& early, const QString& file) {
    ASSERT_TRUE(player_.FormCreate({appDir_, {file}, QLocale(u"en_US"_s), &early}));
    player_.FormShow();
    started_ = true;
  }

  void* fake_ = nullptr;
};

TEST_F(EarlyStartTest, OnlyALocalFileTheEngineItselfPlaysStartsEarly) {
  const QString mp3 = MakeFile(u"song.mp3"_s);
  const QString module = MakeFile(u"tune.MOD"_s);
  const QString ogg = MakeFile(u"Quiet.OGG"_s);
  const QString flac = MakeFile(u"lossless.flac"_s);  // an add-on's type: add-ons load later
  const QString midi = MakeFile(u"tune.mid"_s);
  const QString list = MakeList(u"list.m3u"_s);
  struct Case { QStringList args; bool qualifies; };
  for (const Case& c : {Case{{mp3}, true}, Case{{module}, true}, Case{{ogg, u"/min"_s}, true},
                        Case{{flac}, false}, Case{{midi}, false}, Case{{list}, false},
                        Case{{u"/AUTO"_s}, false}, Case{{}, false},
                        Case{{appDir_ + u"missing.mp3"_s}, false},
                        Case{{u"http://radio.example/live.mp3"_s}, false},
                        Case{{mp3 + u",10,20"_s}, false}}) {
    EXPECT_EQ(EarlyStart(engineFile(), c.args).qualifies(), c.qualifies) << c.args.join(u' ').toStdString();
  }
  EXPECT_FALSE(EarlyStart(appDir_ + u"nothing.so"_s, {mp3}).qualifies()) << "no engine, no early start";

  EarlyStart notQualified(engineFile(), {flac});
  notQualified.run();
  EXPECT_FALSE(notQualified.take().engineStarted);
  // The window came first: the early start never begins.
  EarlyStart late(engineFile(), {mp3});
  EXPECT_FALSE(late.take().engineStarted);
  late.run();
  EXPECT_EQ(Engine().initCalls, 0);
}

TEST_F(EarlyStartTest, TheFirstShowTakesOverTheStartedEngineAndPlayingChannel) {
  const QString song = MakeFile(u"song.mp3"_s);
  auto owned = std::make_unique<EarlyStart>(engineFile(), QStringList{song});
  EarlyStart& early = *owned;
  ASSERT_TRUE(early.qualifies());
  early.run();
  EXPECT_EQ(Engine().initCalls, 1);
  EXPECT_EQ(Engine().plays, 1) << "sounding before the window";
  const uint32_t channel = Engine().nextHandle - 1;

  StartWith(early, song);
  EXPECT_EQ(Engine().initCalls, 1) << "the engine is not started twice";
  EXPECT_EQ(Engine().streamOpens, 1) << "the file is not opened twice";
  EXPECT_EQ(Engine().plays, 1) << "the playing channel is not restarted";
  EXPECT_EQ(player_.state().StartMode, 2);
  EXPECT_EQ(player_.state().CurrentChannel, channel);
  EXPECT_EQ(player_.state().TrackSeconds, 10);
  EXPECT_TRUE(shell_.timer1);
  EXPECT_EQ(shell_.windowTitle, u"song"_s);
  EXPECT_TRUE(shell_.messages.empty());

  // The rest runs as usual: the end closes the window, closing frees the engine, and the
  // early start, handed over, releases nothing more.
  Engine().activeState = 0;
  Tick(10);
  EXPECT_EQ(shell_.closeRequests, 1);
  EXPECT_TRUE(player_.FormCloseQuery());
  player_.FormClose();
  started_ = false;
  const int frees = Engine().freeCalls;
  EXPECT_GE(frees, 1);
  EXPECT_FALSE(early.take().channel) << "handed over once";
  owned.reset();
  EXPECT_EQ(Engine().freeCalls, frees);
  EXPECT_EQ(Engine().streamFrees, 1) << "only the player's own stop freed the channel";
}

TEST_F(EarlyStartTest, AFailedEarlyStepLeavesTheFirstShowToRunAndReportIt) {
  {
    // The file does not open early: the first show opens it itself and reports the failure.
    const QString song = MakeFile(u"broken.mp3"_s);
    Engine().openError = BASS_ERROR_FILEFORM;
    EarlyStart early(engineFile(), {song});
    early.run();
    StartWith(early, song);
    EXPECT_EQ(Engine().initCalls, 1) << "the started engine was taken over";
    EXPECT_EQ(Engine().streamOpens, 2);
    ASSERT_EQ(shell_.messages.size(), 1u);
    EXPECT_EQ(shell_.messages[0].text, u"Invalid or unsupported stream file."_s);
    EXPECT_EQ(shell_.closeRequests, 1);
    player_.FormClose();
    started_ = false;
  }
  {
    // The engine does not start: the first show tries again and says so.
    shell_.messages.clear();
    Engine() = FakeBassScript{};
    Engine().initResult = 0;
    const QString song = MakeFile(u"song.mp3"_s);
    EarlyStart early(engineFile(), {song});
    early.run();
    EXPECT_EQ(Engine().streamOpens, 0);
    StartWith(early, song);
    EXPECT_EQ(Engine().initCalls, 2);
    ASSERT_EQ(shell_.messages.size(), 1u);
    EXPECT_EQ(shell_.messages[0].text, u"Can't initialize device"_s);
    started_ = false;
  }
}

TEST_F(EarlyStartTest, WhatTheWindowNeverTookOverIsReleased) {
  const QString song = MakeFile(u"song.mp3"_s);
  {
    EarlyStart early(engineFile(), {song});
    early.run();
    EXPECT_EQ(Engine().plays, 1);
  }
  EXPECT_EQ(Engine().stops, 1);
  EXPECT_EQ(Engine().streamFrees, 1);
  EXPECT_EQ(Engine().freeCalls, 1);
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(PlayerTest, AnEngineTheWindowWouldRefusePlaysNothingEarly) {
  const QString song = MakeFile(u"song.mp3"_s);
  const QString incomplete = appDir_ + u"incomplete/libbass.so"_s;
  QDir(appDir_).mkdir(u"incomplete"_s);
  ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_bass_without_setsync.so"), incomplete));
  void* fake = dlopen(incomplete.toUtf8().constData(), RTLD_NOW);
  ASSERT_NE(fake, nullptr);
  auto* script = reinterpret_cast<FakeBassScriptFn>(dlsym(fake, "FakeBass_Script"))();
  {
    EarlyStart early(incomplete, {song});
    ASSERT_TRUE(early.qualifies());
    early.run();
    const EarlyStart::Handover handed = early.take();
    EXPECT_FALSE(handed.engine.bound());
    EXPECT_EQ(handed.channel, 0u);
  }
  EXPECT_EQ(script->initCalls, 0);
  EXPECT_EQ(script->plays, 0) << "not a sound under \"Can't run without libbass.so\"";
  dlclose(fake);
}

}  // namespace
}  // namespace lirra
