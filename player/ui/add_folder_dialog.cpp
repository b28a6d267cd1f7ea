#include "add_folder_dialog.h"

#include <QDir>
#include <QFileSystemModel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>

#include "open_filter.h"
#include "player.h"

namespace lirra {

AddFolderDialog::AddFolderDialog(Player& player, QWidget* parent) : QDialog(parent), player_(player) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(player.state().UseChinese ? QStringLiteral("添加文件夹 或 URL")
                                           : QStringLiteral("Add Folder or URL"));
  setFixedSize(322, 296);

  folders_ = new QFileSystemModel(this);
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folders_->setRootPath(QStringLiteral("/"));
  shellview_ = new QTreeView(this);
  shellview_->setObjectName(QStringLiteral("shellview"));
  shellview_->setModel(folders_);
  shellview_->setHeaderHidden(true);
  for (int c = 1; c < folders_->columnCount(); ++c) shellview_->hideColumn(c);
  shellview_->setGeometry(8, 9, 256, 192);

  memo_ = new QPlainTextEdit(QStringLiteral("http://"), this);
  memo_->setObjectName(QStringLiteral("Memo1"));
  memo_->setGeometry(8, 213, 306, 75);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  // Image buttons take no focus, so pressing one leaves it where the user put it.
  // The desktop's own OK and Cancel pictures, named in the interface's language.
  const bool chinese = player.state().UseChinese;
  const auto button = [this](const char* name, QStyle::StandardPixmap picture, const QString& text, int top) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(style()->standardIcon(picture));
    b->setIconSize(QSize(24, 24));
    b->setText(text);
    b->setToolTip(text);
    b->setAccessibleName(text);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(273, top, 41, 41);
    return b;
  };
  QToolButton* ok = button("SpeedButton1", QStyle::SP_DialogOkButton,
                           chinese ? QStringLiteral("确定") : QStringLiteral("OK"), 48);
  QToolButton* cancel = button("SpeedButton2", QStyle::SP_DialogCancelButton,
                               chinese ? QStringLiteral("取消") : QStringLiteral("Cancel"), 120);
  connect(ok, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(cancel, &QToolButton::clicked, this, &QDialog::reject);

  const QString start = player.state().OpenDir;
  selectFolder(!start.isEmpty() && QDir(start).exists() ? start : QDir::homePath());
  shellview_->setFocus();
}

void AddFolderDialog::selectFolder(const QString& folder) {
  const QModelIndex index = folders_->index(folder);
  if (!index.isValid()) return;
  shellview_->setCurrentIndex(index);
  shellview_->scrollTo(index);
}

QString AddFolderDialog::selectedFolder() const {
  const QModelIndex index = shellview_->currentIndex();
  return index.isValid() ? folders_->filePath(index) : QString();
}

void AddFolderDialog::SpeedButton1Click() {
  if (memo_->hasFocus()) {
    player_.AddFromAddressMemo(memo_->toPlainText().split(u'\n'));
  } else if (const QString folder = selectedFolder(); !folder.isEmpty()) {
    player_.AddFromFolderDialog(folder, MediaFilesIn(folder, player_.state().MediaMask));
  }
  accept();
}

}  // namespace lirra
