// Opening a network entry runs off the UI thread: while a server keeps the player waiting,
// the window goes on handling events, refuses to close and ignores play commands; when
// the open times out the user is told and the entry leaves the list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "http_server.h"
#include "main_window.h"
#include "scratch_app.h"
#include "track_opening.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

TEST(NetworkOpen, TheWindowStaysResponsiveWhileAServerKeepsItWaiting) {
  testing::HttpServer silent(testing::HttpServer::Mode::Silent, "");
  testing::ScratchApp app;
  MainWindow window({app.path(), {}, QLocale(u"en_US"_s)});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.player().state().EngineReady; }));
  PlayerContext& ctx = window.player().context();
  ctx.libs.engine->SetConfig(BASS_CONFIG_NET_TIMEOUT, 1500);
  ctx.libs.engine->SetConfig(BASS_CONFIG_NET_READTIMEOUT, 1500);
  window.player().AddFromAddressMemo({QString::fromStdString(silent.url("/live.mp3")),
                                      QString::fromStdString(silent.url("/other.mp3"))});
  ASSERT_EQ(ctx.list.size(), 2);
  ctx.state.MainActivated = true;

  // What happens on the UI thread while the open waits.
  int ticks = 0;
  bool closeRefused = false, playIgnored = false;
  QTimer clock;
  clock.setInterval(50);
  QObject::connect(&clock, &QTimer::timeout, [&] {
    ++ticks;
    if (!ctx.state.OpeningTrack) return;
    closeRefused = closeRefused || !window.close();
    const int playing = ctx.state.PlayingIndex;
    window.player().pmNextClick();
    window.player().lbNextClick();
    playIgnored = ctx.state.PlayingIndex == playing && ctx.state.OpeningTrack;
  });
  clock.start();
  // The failure message, shown once the open gave up, is answered like a user would.
  QString message;
  QTimer answer;
  answer.setInterval(50);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      message = box->text();
      box->accept();
    }
  });
  answer.start();

  ctx.list.select(0);
  QElapsedTimer took;
  took.start();
  PlayCurrent(ctx);
  EXPECT_GE(took.elapsed(), 1000) << "the server never answers: the open waits for the time-out";
  EXPECT_GE(ticks, 10) << "timers kept running during the open";
  EXPECT_TRUE(closeRefused);
  EXPECT_TRUE(playIgnored);
  EXPECT_FALSE(ctx.state.OpeningTrack);
  EXPECT_EQ(message, u"Invalid or unsupported URL stream."_s);
  EXPECT_EQ(ctx.list.size(), 1) << "the entry that failed leaves the list";
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace lirra
