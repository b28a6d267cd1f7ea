// The window's face and behaviour on a real X server, driven by real pointer events
// (xdotool) and checked on the screen: skins and the shape, drags that snap, grip resizes
// on the ladder, the double click between list and visual area, the title strip, the
// taskbar when minimised.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "window_on_screen.h"
#include "skin_image.h"

#include <xcb/xcb.h>

#include <cstring>

namespace lirra {
namespace {

TEST_F(WindowOnScreen, ASkinPaintsTheFrameCutsTheCornersAndARightClickStepsToTheNext) {
  app_.addSkin(u"Graphite"_s);
  app_.addSkin(u"Ocean"_s);
  Open(u"Graphite.bmp"_s);
  const auto skin = [&](const QString& name) { return *ReadSkinFile(app_.skinFolder() + name + u".bmp"_s); };
  const auto pixelAt = [&](const QImage& shot, QPoint inWindow) { return shot.pixelColor(At(inWindow)); };

  QImage shot = Screen();
  const SkinImage graphite = skin(u"Graphite"_s);
  EXPECT_EQ(pixelAt(shot, {3, 9}), QColor::fromRgb(graphite.at(3, 9))) << "the tile skin's corner";
  EXPECT_EQ(pixelAt(shot, {100, 1}), QColor::fromRgb(graphite.at(8, 1))) << "a top tile";
  EXPECT_EQ(pixelAt(shot, {0, 0}), kBackdrop) << "the corner pixel is cut";
  EXPECT_EQ(pixelAt(shot, {1, 0}), kBackdrop) << "magenta is cut";
  EXPECT_EQ(pixelAt(shot, {100, 15}), kBackdrop) << "the row above the central area is see-through";

  Click(DragArea(), 3);
  ASSERT_TRUE(window_->player().state().SkinFile.endsWith(u"Ocean.bmp"_s));
  EXPECT_EQ(window_->control(ControlId::lbSkinName)->toolTip(), u"skin:Ocean"_s);
  shot = Screen();
  const SkinImage ocean = skin(u"Ocean"_s);
  for (QPoint p : {QPoint(100, 1), QPoint(3, 60), QPoint(135, 146)})
    EXPECT_EQ(pixelAt(shot, p), QColor::fromRgb(ocean.at(p.x(), p.y()))) << p.x() << "," << p.y();
  for (QPoint p : {QPoint(2, 0), QPoint(0, 2), QPoint(267, 0), QPoint(269, 149)})
    EXPECT_EQ(pixelAt(shot, p), kBackdrop) << "the rounded corner at " << p.x() << "," << p.y();
  EXPECT_NE(pixelAt(shot, {4, 4}), kBackdrop);
  EXPECT_TRUE(window_->player().state().SettingsDirty);
}

TEST_F(WindowOnScreen, ADragSnapsToTheEdgeAndAGripResizeLandsOnTheLadder) {
  app_.addSkin(u"Graphite"_s);
  Open(u"Graphite.bmp"_s);
  const QRect work = window_->screen()->availableGeometry();
  // Dropped 6 pixels right of the work area's left edge and 40 below its top.
  const QPoint grab = DragArea();
  Press(grab);
  DragTo(work.topLeft() + QPoint(6, 40) + grab);
  EXPECT_EQ(window_->pos(), work.topLeft() + QPoint(0, 40)) << "snapped onto the left edge";
  QImage shot = Screen();
  EXPECT_NE(shot.pixelColor(work.left() + 3, work.top() + 40 + 60), kBackdrop) << "drawn where it landed";

  // A flick: press, one motion and the release within a few milliseconds, before the
  // window has seen any of them. It lands where it was let go.
  window_->move(400, 200);
  QTest::qWait(100);
  const QPoint from = At(grab), to = from + QPoint(-150, 120);
  Xdo({u"mousemove"_s, Num(from.x()), Num(from.y()), u"mousedown"_s, u"1"_s, u"mousemove"_s, Num(to.x()),
       Num(to.y()), u"mouseup"_s, u"1"_s});
  EXPECT_TRUE(QTest::qWaitFor([&] { return window_->pos() == QPoint(250, 320); }, 2000))
      << "a flick landed at " << window_->pos().x() << "," << window_->pos().y();

  window_->move(400, 200);
  struct Step {
    ControlId grip;
    QPoint by;
    QSize lands;
  };
  for (const Step& step : {Step{ControlId::lbResiz8a, {80, 90}, {360, 270}}, Step{ControlId::lbResiz8a, {-100, -100}, {270, 150}},
                           Step{ControlId::lbResiz7a, {-230, 30}, {480, 200}}}) {
    const QRect before = window_->geometry();
    const QPoint grip = window_->control(step.grip)->geometry().center();
    Press(grip);
    DragTo(At(grip) + step.by);
    EXPECT_EQ(window_->size(), step.lands);
    shot = Screen();
    const QRect now = window_->geometry();
    EXPECT_NE(shot.pixelColor(now.right() - 3, now.bottom() - 30), kBackdrop);
    EXPECT_EQ(shot.pixelColor(now.right(), now.bottom()), kBackdrop) << "re-masked: the corner pixel is cut";
    if (step.grip == ControlId::lbResiz7a) {
      EXPECT_EQ(now.right(), before.right()) << "the bottom-left grip leaves the right edge where it was";
    }
  }
}

TEST_F(WindowOnScreen, ADoubleClickSwitchesBetweenTheListAndTheVisualArea) {
  app_.addSkin(u"Ocean"_s);
  app_.addDemoList();
  Open(u"Ocean.bmp"_s);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  const QPoint centre = window_->control(ControlId::VisPanel)->geometry().center();
  const QColor listBack = QColor::fromRgb(ReadSkinFile(app_.skinFolder() + u"Ocean.bmp"_s)->at(0, 0));
  const QPoint freeRow(centre.x(), window_->height() - 30);  // below the list's one entry
  EXPECT_EQ(Screen().pixelColor(At(freeRow)), QColor(Qt::black)) << "a playing track shows the visual area";
  Click(DragArea(), 1, 2);
  EXPECT_TRUE(window_->player().state().ListShown);
  EXPECT_EQ(Screen().pixelColor(At(freeRow)), listBack) << "the list in the skin's colours";
  EXPECT_TRUE(window_->control(ControlId::sbAdd)->isVisible());
  Click(DragArea(), 1, 2);
  EXPECT_FALSE(window_->player().state().ListShown);
  EXPECT_EQ(Screen().pixelColor(At(freeRow)), QColor(Qt::black));
  Click(DragArea(), 3, 2);
  QTest::qWait(200);
  EXPECT_FALSE(window_->player().state().ListShown) << "a right double click only steps the skin";
}

// The title strip moves the window when dragged with the left button; its clicks keep their
// meaning (the right one steps the visualisation).
TEST_F(WindowOnScreen, DraggingTheTitleStripMovesTheWindowAndAClickStillSteps) {
  // A tune without lyrics: a click on the title is the strip's.
  const QString song = app_.makeMedia(u"tone.wav"_s, u"sine=frequency=440:duration=30"_s);
  ASSERT_FALSE(song.isEmpty());
  Open({}, {song});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  window_->move(300, 200);
  QTest::qWait(100);
  const QWidget* strip = window_->control(ControlId::lbTitle);
  const QPoint grab = strip->mapTo(window_.get(), strip->rect().center());
  const int style = window_->player().context().spectrum.style;
  const QPoint from = window_->pos();
  Press(grab);
  DragTo(At(grab) + QPoint(60, 40));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window_->pos() == from + QPoint(60, 40); }, 2000))
      << "the window is at " << window_->pos().x() << "," << window_->pos().y();
  EXPECT_EQ(window_->player().context().spectrum.style, style) << "a move is no click";
  Click(grab, 3);  // the right button steps whether or not the window is active
  EXPECT_TRUE(QTest::qWaitFor([&] { return window_->player().context().spectrum.style != style; }, 2000))
      << "a click on the strip steps the style";
}

TEST_F(WindowOnScreen, TheTimeShowsWholeBesideALongTitle) {
  // A list naming a track of 3:45 with a title far wider than the strip.
  const QString title = u"A Very Long Title That Cannot Possibly Fit Into The Caption Strip Of The Window"_s;
  const QString song = app_.makeMedia(u"long.mp3"_s, u"anullsrc=r=8000:cl=mono"_s, {u"-t"_s, u"225"_s, u"-b:a"_s, u"8k"_s});
  ASSERT_FALSE(song.isEmpty());
  QFile list(app_.path() + u"long.m3u"_s);
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write(("#EXTM3U\r\n#EXTINF:225," + title + "\r\n" + song + "\r\n").toUtf8());
  list.close();
  Open({}, {app_.path() + u"long.m3u"_s});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->player().state().Timer1On; }));
  auto* time = static_cast<QLabel*>(window_->control(ControlId::lbTime));
  auto* titleLabel = static_cast<QLabel*>(window_->control(ControlId::lbTitle));
  ASSERT_EQ(time->text(), u"3:45"_s);
  EXPECT_EQ(time->geometry().right(), lirra::At(LayoutFor(window_->size()), ControlId::lbTime).right()) << "right-aligned";
  EXPECT_LT(titleLabel->geometry().right(), time->x()) << "the title ends left of the time";

  // On the screen: the time's ink spans the whole text's width and nothing of it is cut.
  const QImage shot = Screen();
  shot.save(QStringLiteral(LIRRA_SCREENSHOT_DIR "/long_title.png"));
  const QRect onScreen(At(time->pos()), time->size());
  const QColor ink = time->palette().color(QPalette::WindowText);
  int first = -1, last = -1;
  for (int x = onScreen.left(); x <= onScreen.right(); ++x)
    for (int y = onScreen.top(); y <= onScreen.bottom(); ++y)
      if (InkLike(shot.pixelColor(x, y), ink)) {
        if (first < 0) first = x;
        last = x;
      }
  const int advance = time->fontMetrics().horizontalAdvance(u"3:45"_s);
  ASSERT_GE(first, 0) << "no time on the screen";
  EXPECT_LE(first, onScreen.left() + 3) << "the time begins at the label's left";
  EXPECT_GE(last - first + 1, advance - 3) << "all four characters show";
}

// The demo tune's lyrics: the line of the moment in the title, and the title lit lime
// under the pointer while lyrics show.
TEST_F(WindowOnScreen, TheDemoTunesLyricLineShowsInTheTitleAndLightsUnderThePointer) {
  app_.addDemoList();
  Open({});
  auto* title = static_cast<QLabel*>(window_->control(ControlId::lbTitle));
  EXPECT_TRUE(QTest::qWaitFor([&] { return title->text() == u"Lirra\u00B7"_s; }, 8000)) << "the last line, at 4.8 s";
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  const QPoint centre = title->mapTo(window_.get(), title->rect().center());
  Xdo({u"mousemove"_s, Num(At(centre).x() - 2), Num(At(centre).y()), u"mousemove"_s, Num(At(centre).x()),
       Num(At(centre).y())});
  const auto limePixels = [&] {  // the text is smoothed: its solid strokes are lime
    const QImage shot = Screen();
    const QRect onScreen(At(title->mapTo(window_.get(), QPoint(0, 0))), title->size());
    int lime = 0;
    for (int y = onScreen.top(); y <= onScreen.bottom(); ++y)
      for (int x = onScreen.left(); x <= onScreen.right(); ++x) {
        const QColor c = shot.pixelColor(x, y);  // lime's ink, above the caption colour's 192
        lime += c.green() > 224 && c.red() < 64 && c.blue() < 64;
      }
    return lime;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return limePixels() > 10; }, 3000)) << "the title is not lime under the pointer";
  // Off the title onto the play label, and off the window: the title's own colour again.
  const QWidget* play = window_->control(ControlId::lbNext);
  const QPoint onPlay = At(play->mapTo(window_.get(), play->rect().center()));
  const QPoint outside = At(QPoint(window_->width() + 40, window_->height() / 2));
  for (const QPoint to : {onPlay, outside}) {
    Xdo({u"mousemove"_s, Num(At(centre).x()), Num(At(centre).y())});
    ASSERT_TRUE(QTest::qWaitFor([&] { return limePixels() > 10; }, 3000));
    Xdo({u"mousemove"_s, Num(to.x()), Num(to.y())});
    EXPECT_TRUE(QTest::qWaitFor([&] { return limePixels() == 0; }, 3000)) << "still lime with the pointer at " << to.x();
  }
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// Whether the window asked, within half a second, to leave the taskbar
// (_NET_WM_STATE_SKIP_TASKBAR added: a client message to the root, which a window manager
// reads and this test overhears).
bool AskedToLeaveTheTaskbar(xcb_connection_t* x, uint32_t window) {
  const auto atom = [x](const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
  };
  const xcb_atom_t state = atom("_NET_WM_STATE"), skip = atom("_NET_WM_STATE_SKIP_TASKBAR");
  bool asked = false;
  QTest::qWait(500);
  while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
    const auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
    if ((e->response_type & 0x7F) == XCB_CLIENT_MESSAGE && m->window == window && m->type == state &&
        m->data.data32[0] == 1 && m->data.data32[1] == skip)
      asked = true;
    free(e);
  }
  return asked;
}

// Minimised, the window leaves the taskbar only where a tray icon brings it back: here the
// test holds the X tray's selection (_NET_SYSTEM_TRAY_S0) for the second round.
TEST_F(WindowOnScreen, MinimisedItLeavesTheTaskbarOnlyWhereThereIsATray) {
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  ASSERT_EQ(xcb_connection_has_error(x), 0);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const uint32_t overhear = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &overhear);
  Open({});
  const auto window = static_cast<uint32_t>(window_->winId());
  for (bool tray : {false, true}) {
    if (tray) {
      const xcb_window_t owner = xcb_generate_id(x);
      xcb_create_window(x, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                        screen->root_visual, 0, nullptr);
      xcb_intern_atom_reply_t* s0 = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, 19, "_NET_SYSTEM_TRAY_S0"), nullptr);
      xcb_set_selection_owner(x, owner, s0->atom, XCB_CURRENT_TIME);
      free(s0);
      xcb_flush(x);
    }
    AskedToLeaveTheTaskbar(x, window);  // what came before
    window_->showMinimized();
    EXPECT_EQ(AskedToLeaveTheTaskbar(x, window), tray) << (tray ? "with" : "without") << " a tray";
    window_->showNormal();
  }
  xcb_disconnect(x);
}

}  // namespace
}  // namespace lirra
