// The main window on Qt's offscreen platform: real widgets, real events, no display.
#include "main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QSignalSpy>
#include <QTest>
#include <QHeaderView>
#include <QTreeView>

#include "after_questions.h"
#include "scratch_app.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

using testing::ScratchApp;

QString Caption(const MainWindow& w, ControlId id) {
  return qobject_cast<QLabel*>(w.control(id))->text();
}

TEST(MainWindowOffscreen, OpensFramelessAtTheStartSizeWithEveryDesignedControl) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale(u"en_US"_s)});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.player().state().EngineReady; }));

  EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(window.size(), QSize(270, 150));
  EXPECT_EQ(window.windowTitle(), u"Lirra"_s);

  const WindowLayout layout = LayoutFor(window.size());
  for (const ControlSpec& entry : ControlTable()) {
    const QString name = QString::fromLatin1(entry.name.data(), entry.name.size());
    QWidget* w = window.findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << entry.name;
    EXPECT_EQ(w, window.control(entry.id));
    EXPECT_EQ(w->geometry(), At(layout, entry.id)) << entry.name;
    // The skin-name edge shows once a skin is loaded (the app folder ships skins).
    const bool visible = entry.id == ControlId::lbSkinName ? window.player().context().skin.SkinLoaded
                                                           : entry.visibleAtStart;
    EXPECT_EQ(w->isVisible(), visible) << entry.name;
  }
  auto* list = window.findChild<QTreeView*>(u"MList"_s);
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(list->isVisible()) << "an empty library starts in the empty-list state";
  EXPECT_EQ(Caption(window, ControlId::lbTitle), u"Open Music Files From The Bottom"_s);
  EXPECT_TRUE(list->isHeaderHidden());
  EXPECT_EQ(list->model()->columnCount(), 4);
  EXPECT_TRUE(list->isColumnHidden(1) && list->isColumnHidden(2));
  EXPECT_EQ(list->columnWidth(3), 42);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);

  EXPECT_EQ(Caption(window, ControlId::lbNext), u"<>"_s);
  EXPECT_EQ(Caption(window, ControlId::lbPower), u"()"_s);
  // The program's own cursors: the hand over captions, the four-way arrow over the rest.
  const QCursor hand = window.control(ControlId::lbTitle)->cursor();
  const QCursor arrows = window.control(ControlId::sbAdd)->cursor();
  EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
  EXPECT_EQ(arrows.shape(), Qt::BitmapCursor);
  EXPECT_EQ(hand.hotSpot(), QPoint(6, 0));
  EXPECT_EQ(arrows.hotSpot(), QPoint(7, 7));
  EXPECT_EQ(window.control(ControlId::lbMove)->cursor().hotSpot(), QPoint(7, 7));
  EXPECT_EQ(window.control(ControlId::lbPower)->cursor().hotSpot(), QPoint(6, 0));
  EXPECT_EQ(window.control(ControlId::sbAddFld)->toolTip(), u"Add Folder or URL"_s);
}

TEST(MainWindowOffscreen, ChineseCaptionsUseTheSongTypefaceAndQtsDialogsSpeakChinese) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale(u"zh_CN"_s)});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.player().state().EngineReady; }));
  EXPECT_EQ(Caption(window, ControlId::lbNext), u"◇"_s);
  EXPECT_EQ(Caption(window, ControlId::lbPower), u"★"_s);
  EXPECT_EQ(window.control(ControlId::lbPower)->toolTip(), u"关闭"_s);
  const QFont font = window.control(ControlId::lbTitle)->font();
  EXPECT_EQ(font.families().value(0), u"SimSun"_s);
  // As large as the captions' 12 pixels allow while the letters fit the caption strip.
  EXPECT_GE(font.pixelSize(), 9);
  EXPECT_LE(QFontMetrics(font).tightBoundingRect(u"Lirra\u4E2D"_s).height(), 11);
  // The buttons of message boxes and the file dialog's texts come from Qt's translations.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), u"确定"_s);
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), u"打开"_s);
}

TEST(MainWindowOffscreen, ResizingFollowsTheAnchors) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale::c()});
  window.show();
  window.resize(480, 270);
  const WindowLayout layout = LayoutFor({480, 270});
  for (const ControlSpec& entry : ControlTable())
    EXPECT_EQ(window.control(entry.id)->geometry(), At(layout, entry.id)) << entry.name;
  EXPECT_EQ(window.trackList()->size(), At(layout, ControlId::MListPanel).size());
}

// A desktop command that comes while a question is open runs after its answer, in the
// order the commands came; the caller never waits for the question.
TEST(MainWindowOffscreen, DesktopCommandsWaitForAnOpenQuestion) {
  QWidget owner;
  QMessageBox* question = new QMessageBox(QMessageBox::Question, u"?"_s, u"save?"_s, QMessageBox::Yes, &owner);
  QStringList ran;
  QTimer::singleShot(0, &owner, [&] {
    RunWhenNoQuestionIsOpen(&owner, [&] { ran << u"stop"_s; });
    RunWhenNoQuestionIsOpen(&owner, [&] { ran << u"quit"_s; });
  });
  QTimer::singleShot(600, question, [&] {
    EXPECT_TRUE(ran.isEmpty()) << "a command ran inside the question";
    question->done(QMessageBox::Yes);
  });
  question->exec();
  EXPECT_TRUE(QTest::qWaitFor([&] { return ran.size() == 2; }, 2000));
  EXPECT_EQ(ran, (QStringList{u"stop"_s, u"quit"_s}));
}

TEST(MainWindowOffscreen, LeftClickOnThePowerLabelClosesTheWindow) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale::c()});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QWidget* power = window.control(ControlId::lbPower);
  QTest::mouseClick(power, Qt::RightButton);
  EXPECT_TRUE(window.isVisible()) << "only the left button closes";
  QTest::mouseClick(power, Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
}

TEST(MainWindowOffscreen, CloseIsRefusedWhileATrackIsOpening) {
  ScratchApp app;
  MainWindow window({app.path(), {}, QLocale::c()});
  window.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.player().state().EngineReady; }));
  window.player().state().OpeningTrack = true;
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  window.player().state().OpeningTrack = false;
  EXPECT_TRUE(window.close());
}

}  // namespace
}  // namespace lirra
