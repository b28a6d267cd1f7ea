// The add-folder dialog (TForm1): a folder tree whose folder's media files are added, or
// a memo of addresses and paths added as typed. Which one counts depends only on where the
// keyboard focus is when OK is pressed.
#pragma once

#include <QDialog>

class QFileSystemModel;
class QPlainTextEdit;
class QToolButton;
class QTreeView;

namespace lirra {

class Player;

class AddFolderDialog : public QDialog {
  Q_OBJECT
 public:
  AddFolderDialog(Player& player, QWidget* parent = nullptr);

  QTreeView* shellview() const { return shellview_; }
  QPlainTextEdit* memo() const { return memo_; }
  // Selects a folder in the tree (the open dialog's initial folder at activation).
  void selectFolder(const QString& folder);
  QString selectedFolder() const;

  void SpeedButton1Click();  // OK

 private:
  Player& player_;
  QFileSystemModel* folders_ = nullptr;
  QTreeView* shellview_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
};

}  // namespace lirra
