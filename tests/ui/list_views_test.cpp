// The list views and the add-folder dialog on Qt's offscreen platform: the views read the
// player's entries through models, keys and mouse reach the list commands, and the dialog
// adds a folder's own media files or the typed lines.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include "add_folder_dialog.h"
#include "gstreamer_registry.h"
#include "startup.h"
#include "main_window.h"
#include "scratch_app.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;
using testing::ScratchApp;

class ListViews : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_.player().state().EngineReady; }));
    QDir(music_.path()).mkpath(u"sub"_s);
    for (const char* name : {"c.mp3", "a.mp3", "b.WAV", "notes.txt", "sub/deep.mp3"}) {
      QFile f(music_.filePath(QString::fromLatin1(name)));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
  }
  void TearDown() override { window_.close(); }

  QStringList ShownTitles() {
    QStringList out;
    const QAbstractItemModel* m = window_.trackList()->model();
    for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, 0).data().toString();
    return out;
  }
  // The add-folder dialog's OK with the folder tree focused.
  void AddMusicFolder() {
    AddFolderDialog dialog(window_.player(), &window_);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.selectFolder(music_.path());
    dialog.shellview()->setFocus();
    dialog.SpeedButton1Click();
  }

  ScratchApp app_;
  QTemporaryDir music_;
  MainWindow window_{{app_.path(), {}, QLocale(u"en_US"_s)}};
};

TEST_F(ListViews, TheFolderDialogAddsTheFolderItselfIntoAModelView) {
  AddMusicFolder();
  EXPECT_EQ(ShownTitles(), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
  EXPECT_TRUE(window_.trackList()->isVisible());
  const QAbstractItemModel* m = window_.trackList()->model();
  EXPECT_EQ(m->index(0, 1).data().toString(), music_.filePath(u"a.mp3"_s)) << "the hidden location";
  const PlayerState& s = window_.player().state();
  EXPECT_EQ(s.OpenDir, music_.path()) << "the folder becomes the next dialog's start";
  EXPECT_TRUE(QFileInfo::exists(s.CurrentListFile));
  EXPECT_EQ(window_.libraryList()->model()->rowCount(), 1);
}

TEST_F(ListViews, TheDialogsControlsAndTheMemoSource) {
  AddFolderDialog dialog(window_.player(), &window_);
  EXPECT_EQ(dialog.size(), QSize(322, 296));
  EXPECT_EQ(dialog.windowTitle(), u"Add Folder or URL"_s);
  EXPECT_EQ(dialog.shellview()->geometry(), QRect(8, 9, 256, 192));
  EXPECT_EQ(dialog.memo()->geometry(), QRect(8, 213, 306, 75));
  EXPECT_EQ(dialog.memo()->toPlainText(), u"http://"_s);
  EXPECT_EQ(dialog.findChild<QToolButton*>(u"SpeedButton1"_s)->geometry(), QRect(273, 48, 41, 41));
  // The buttons speak the interface's language.
  for (const bool chinese : {false, true}) {
    window_.player().state().UseChinese = chinese;
    const AddFolderDialog named(window_.player(), &window_);
    EXPECT_EQ(named.findChild<QToolButton*>(u"SpeedButton1"_s)->toolTip(), chinese ? u"确定"_s : u"OK"_s);
    EXPECT_EQ(named.findChild<QToolButton*>(u"SpeedButton2"_s)->toolTip(), chinese ? u"取消"_s : u"Cancel"_s);
  }
  window_.player().state().UseChinese = false;
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.memo()->setPlainText(u"http://radio.example/live\n"_s + music_.filePath(u"a.mp3"_s));
  dialog.memo()->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.memo()->hasFocus(); }));
  dialog.SpeedButton1Click();
  EXPECT_EQ(window_.player().context().list.size(), 2) << "the typed lines, not the folder";
}

TEST_F(ListViews, DeleteKeyAndRightClickReachTheListCommands) {
  AddMusicFolder();
  QTreeView* list = window_.trackList();
  QApplication::setActiveWindow(&window_);
  list->setFocus();
  list->selectionModel()->select(list->model()->index(1, 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  EXPECT_EQ(window_.player().context().list.selection(), std::vector<int>{1});
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(ShownTitles(), (QStringList{u"a"_s, u"c"_s}));
  const QString file = window_.player().state().CurrentListFile;
  QFile written(file);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QByteArray text = written.readAll();
  EXPECT_TRUE(text.contains("a.mp3")) << "the list was written";
  EXPECT_FALSE(text.contains("b.WAV")) << "without the deleted entry";
  written.close();

  QTest::mouseClick(list->viewport(), Qt::RightButton, {}, QPoint(5, 5));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_.player().context().list.empty(); }));
  EXPECT_FALSE(QFileInfo::exists(file)) << "an emptied list loses its file";
  EXPECT_FALSE(list->isVisible()) << "the only list emptied: the empty-list state";
}

TEST_F(ListViews, ATitleEditedInPlaceIsSortedAndTheShortcutsReturn) {
  AddMusicFolder();
  QTreeView* list = window_.trackList();
  QApplication::setActiveWindow(&window_);
  list->edit(list->model()->index(0, 0));
  auto* editor = list->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(window_.player().state().InPlaceEditing);
  editor->setText(u"zz top"_s);
  QTest::keyClick(editor, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window_.player().state().InPlaceEditing; }));
  EXPECT_EQ(ShownTitles(), (QStringList{u"b"_s, u"c"_s, u"zz top"_s}));
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(ListViews, TheFolderDialogOpensAtTheLastFolderElseHome) {
  window_.player().state().OpenDir.clear();
  {
    AddFolderDialog dialog(window_.player(), &window_);
    dialog.show();
    EXPECT_EQ(dialog.selectedFolder(), QDir::homePath());
  }
  window_.player().state().OpenDir = music_.path();
  AddFolderDialog dialog(window_.player(), &window_);
  dialog.show();
  EXPECT_EQ(dialog.selectedFolder(), music_.path());
  const QModelIndex current = dialog.shellview()->currentIndex();
  EXPECT_TRUE(dialog.shellview()->visualRect(current).isValid()) << "scrolled to and shown";
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(ListViews, TheAddDialogsOfferTheTypesTheInstalledDemuxersPlay) {
  PlayerState& s = window_.player().state();
  ASSERT_TRUE(s.VideoLibAvailable);
  EXPECT_FALSE(s.MediaMask.contains(u"*.mov;"_s)) << "not asked at start-up";
  CheckVideoTypes(window_.player().context());
  EXPECT_TRUE(s.MediaMask.contains(u"*.mov;*.3gp;"_s)) << "qtdemux is installed";
  EXPECT_TRUE(s.OpenFilter.contains(u"*.ts;"_s)) << "tsdemux is installed";
  EXPECT_FALSE(HasGStreamerElement({"no-such-demuxer"}));
}

}  // namespace
}  // namespace lirra
