#include "main_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <thread>

#include "add_folder_dialog.h"
#include "cursors.h"
#include "gauge.h"
#include "gstreamer_registry.h"
#include "list_models.h"
#include "open_filter.h"
#include "shell_label.h"

namespace lirra {

namespace {

// Pure black is the see-through key colour, so visible black is drawn as RGB(1, 1, 1).
const QColor kWindowColor(1, 1, 1);
const QColor kAccentColor(0, 192, 64);
const QColor kPanelColor(Qt::black);

// Columns of the track list: title, location (hidden), length in seconds (hidden), length.
constexpr int kTrackListColumns = 4;
constexpr int kLengthColumnWidth = 42;
// The form's captions are 12 pixels high, like the designed font height -12.
constexpr int kFormFontPixels = 12;

void Fill(QWidget* w, const QColor& color) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, color);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

void SetTextColor(QWidget* w, const QColor& color) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, color);
  w->setPalette(pal);
}

QWidget* MakeControl(const ControlSpec& entry, QWidget* parent) {
  QWidget* w = nullptr;
  switch (entry.kind) {
    case ControlKind::TransparentLabel:
      w = new ShellLabel(parent);
      break;
    case ControlKind::Label: {
      auto* label = new ShellLabel(parent);
      SetTextColor(label, kAccentColor);
      if (entry.id == ControlId::lbTime)
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      else if (entry.id == ControlId::lbNext || entry.id == ControlId::lbPower)
        label->setAlignment(Qt::AlignCenter);
      w = label;
      break;
    }
    case ControlKind::Gauge: {
      auto* gauge = new Gauge(parent);
      gauge->setColors(kAccentColor, kWindowColor);
      w = gauge;
      break;
    }
    case ControlKind::Panel: {
      auto* panel = new QWidget(parent);
      if (entry.id != ControlId::MListPanel) Fill(panel, kPanelColor);
      w = panel;
      break;
    }
    case ControlKind::FlatButton: {
      auto* button = new QToolButton(parent);
      button->setAutoRaise(true);
      button->setFocusPolicy(Qt::NoFocus);
      w = button;
      break;
    }
    case ControlKind::AccentLine:
      w = new QLabel(parent);
      Fill(w, kAccentColor);
      break;
  }
  w->setObjectName(QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size())));
  w->setVisible(entry.visibleAtStart);
  return w;
}

}  // namespace

MainWindow::MainWindow(const StartupEnvironment& env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), player_(*this) {
  setObjectName(QStringLiteral("MainForm"));
  Fill(this, kWindowColor);
  QFont formFont = font();
  formFont.setPixelSize(kFormFontPixels);
  setFont(formFont);
  BuildControls();
  timer1_ = new QTimer(this);
  timer1_->setInterval(100);
  connect(timer1_, &QTimer::timeout, this, [this] { player_.Timer1Timer(); });
  ConnectControls();
  player_.context().videoExtras = [] {
    VideoExtras extras;
    extras.realMedia = HasGStreamerElement({"rmdemux", "avdemux_rm"});
    extras.flash = HasGStreamerElement({"avdemux_swf"});
    extras.transportStream = HasGStreamerElement({"tsdemux", "avdemux_mpegts"});
    extras.quickTime = HasGStreamerElement({"qtdemux", "avdemux_mov,mp4,m4a,3gp,3g2,mj2"});
    return extras;
  };
  resize(kStartClientSize);
  created_ = player_.FormCreate(env);
  const PlayerState& s = player_.state();
  resize(s.ClientWidth, s.ClientHeight);
  if (!s.CentreOnShow) move(s.Left, s.Top);
}

void MainWindow::BuildControls() {
  for (const ControlSpec& entry : ControlTable())
    controls_[static_cast<int>(entry.id)] = MakeControl(entry, this);

  // Labels lie beneath the panels and buttons; the video panel beneath the other panels.
  for (ControlId id : {ControlId::VdoPanel, ControlId::VisPanel, ControlId::MListPanel,
                       ControlId::sbAdd, ControlId::sbAddFld, ControlId::sbRandom,
                       ControlId::sbNewlist, ControlId::lbAddG1, ControlId::lbAddG2,
                       ControlId::lbAddG3, ControlId::lbAddG4, ControlId::lbAddG5,
                       ControlId::lbAddG6})
    control(id)->raise();

  const QCursor link = LinkCursor(), move = MoveCursor();
  for (ControlId id : {ControlId::lbMove, ControlId::lbSkinName, ControlId::sbAdd, ControlId::sbAddFld,
                       ControlId::sbRandom, ControlId::sbNewlist})
    control(id)->setCursor(move);
  for (ControlId id : {ControlId::lbTitle, ControlId::lbNext, ControlId::lbPower, ControlId::lbTmp1,
                       ControlId::lbTmp2})
    control(id)->setCursor(link);
  control(ControlId::lbResiz7a)->setCursor(Qt::SizeBDiagCursor);
  control(ControlId::lbResiz8a)->setCursor(Qt::SizeFDiagCursor);

  BuildListViews();

  control(ControlId::VdoPanel)->setAttribute(Qt::WA_NativeWindow);
}

namespace {

// Tells the player when an in-place edit starts and ends.
class EditNotifyingDelegate : public QStyledItemDelegate {
 public:
  EditNotifyingDelegate(Player& player, QObject* parent) : QStyledItemDelegate(parent), player_(player) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    player_.MListEditing();
    return QStyledItemDelegate::createEditor(parent, option, index);
  }
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    QStyledItemDelegate::destroyEditor(editor, index);
    player_.RestoreShortcuts();
  }

 private:
  Player& player_;
};

QTreeView* MakeListView(QWidget* parent, const char* name, QAbstractItemModel* model, Player& player) {
  auto* view = new QTreeView(parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setModel(model);
  view->setHeaderHidden(true);
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setFrameShape(QFrame::NoFrame);
  view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  view->setItemDelegate(new EditNotifyingDelegate(player, view));
  view->header()->setStretchLastSection(false);
  view->viewport()->installEventFilter(parent->window());
  view->installEventFilter(parent->window());
  return view;
}

}  // namespace

void MainWindow::BuildListViews() {
  QWidget* area = control(ControlId::MListPanel);
  PlayerContext& ctx = player_.context();
  trackModel_ = new TrackListModel(
      ctx.list, [this](int row, const QString& text) { return player_.MListEdited(row, text); }, this);
  libraryModel_ = new LibraryModel(
      ctx.library, [this](int row, const QString& text) { return player_.ListView1Edited(row, text); }, this);

  pnList_ = new QWidget(area);
  pnList_->setObjectName(QStringLiteral("pnList"));
  pnList_->hide();
  listView1_ = MakeListView(pnList_, "ListView1", libraryModel_, player_);
  listView1_->setSelectionMode(QAbstractItemView::SingleSelection);

  mList_ = MakeListView(area, "MList", trackModel_, player_);
  mList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  mList_->setColumnHidden(1, true);
  mList_->setColumnHidden(2, true);
  mList_->setColumnWidth(3, kLengthColumnWidth);
  mList_->hide();  // until a list is loaded
}

void MainWindow::ConnectControls() {
  const auto label = [this](ControlId id) { return static_cast<ShellLabel*>(control(id)); };
  connect(label(ControlId::lbPower), &ShellLabel::clicked, this, [this] { player_.lbPowerClick(); });
  connect(label(ControlId::lbNext), &ShellLabel::clicked, this, [this] { player_.lbNextClick(); });
  connect(label(ControlId::lbNext), &ShellLabel::mouseReleased, this,
          [this](Qt::MouseButton button, QPoint) {
            if (button == Qt::RightButton) player_.lbNextRightUp();
          });
  connect(label(ControlId::lbProgress), &ShellLabel::mouseReleased, this,
          [this](Qt::MouseButton button, QPoint pos) {
            const QWidget* strip = control(ControlId::lbProgress);
            player_.lbProgressMouseUp(pos.x(), pos.y(), strip->width(), strip->height(),
                                      button == Qt::LeftButton);
          });
  // The popup menu's shortcuts act on the whole window.
  const auto shortcut = [this](QKeySequence key, auto handler) {
    auto* s = new QShortcut(key, this);
    s->setContext(Qt::WindowShortcut);
    connect(s, &QShortcut::activated, this, handler);
    return s;
  };
  editShortcuts_ = {
      shortcut(QKeySequence(Qt::Key_Delete), [this] { player_.pmDelClick(); }),
      shortcut(QKeySequence(Qt::Key_A), [this] { player_.sbAddClick(); }),
      shortcut(QKeySequence(Qt::Key_Return), [this] { player_.pmPlayClick(); }),
      shortcut(QKeySequence(Qt::Key_Enter), [this] { player_.pmPlayClick(); }),
      shortcut(QKeySequence(Qt::Key_Right), [this] { player_.pmNextClick(); }),
      shortcut(QKeySequence(Qt::Key_P), [this] { player_.pmPauseClick(); }),
      shortcut(QKeySequence(Qt::Key_T), [this] { player_.pmOnTopClick(); }),
  };
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_A), [this] { player_.pmSelAllClick(); });
  shortcut(QKeySequence(Qt::Key_Insert), [this] { player_.pmTranspClick(); });

  const auto button = [this](ControlId id) { return static_cast<QToolButton*>(control(id)); };
  connect(button(ControlId::sbAdd), &QToolButton::clicked, this, [this] { player_.sbAddClick(); });
  connect(button(ControlId::sbAddFld), &QToolButton::clicked, this, [this] { player_.sbAddFldClick(); });
  connect(button(ControlId::sbRandom), &QToolButton::clicked, this, [this] { player_.sbRandomClick(); });
  connect(button(ControlId::sbNewlist), &QToolButton::clicked, this, [this] { player_.sbNewlistClick(); });

  connect(mList_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (refreshingList_) return;
    std::vector<int> rows;
    for (const QModelIndex& index : mList_->selectionModel()->selectedRows()) rows.push_back(index.row());
    player_.SelectionChanged(std::move(rows));
  });
  connect(mList_, &QTreeView::doubleClicked, this, [this] { player_.MListDblClick(); });
  connect(listView1_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (refreshingLibrary_) return;
    const QModelIndexList rows = listView1_->selectionModel()->selectedRows();
    player_.LibrarySelectionChanged(rows.isEmpty() ? -1 : rows.front().row());
  });
}

void MainWindow::ApplyLayout() {
  const WindowLayout layout = LayoutFor(size());
  for (int i = 0; i < kControlCount; ++i) controls_[i]->setGeometry(layout[i]);
  ApplyListAreaLayout();
}

void MainWindow::ApplyListAreaLayout() {
  const QSize panel = control(ControlId::MListPanel)->size();
  const PlayerContext& ctx = player_.context();
  const ListAreaLayout area =
      LayoutListArea(width(), panel, pnList_->isVisibleTo(this), ctx.list.size(), ctx.library.size(),
                     style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  pnList_->setGeometry(0, 0, area.libraryWidth, panel.height());
  listView1_->setGeometry(0, 0, area.libraryWidth, panel.height());
  listView1_->setColumnWidth(0, area.libraryNameWidth);
  mList_->setGeometry(area.libraryWidth, 0, panel.width() - area.libraryWidth, panel.height());
  mList_->setColumnWidth(0, area.trackTitleWidth);
}

void MainWindow::SetCaption(ControlId id, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(control(id))) label->setText(text);
}

void MainWindow::SetHint(ControlId id, const QString& text) { control(id)->setToolTip(text); }

void MainWindow::SetFont(ControlId id, const FontSpec& wanted) {
  QFont font = control(id)->font();
  if (!wanted.families.isEmpty()) font.setFamilies(wanted.families);
  if (wanted.pixelSize > 0) font.setPixelSize(wanted.pixelSize);
  control(id)->setFont(font);
}

void MainWindow::SetWindowTitle(const QString& title) { setWindowTitle(title); }

// Queued: the player may ask while it is in the middle of showing or ticking.
void MainWindow::CloseMainWindow() { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); }

void MainWindow::ShowMessage(const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
  box.exec();
}

void MainWindow::BringToFront() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

void MainWindow::TrackListChanged(const TrackList& list) {
  refreshingList_ = true;
  trackModel_->refresh();
  // The selection as runs of consecutive rows: selecting 100,000 rows is one range.
  QItemSelection selection;
  const std::vector<int>& rows = list.selection();
  for (size_t i = 0; i < rows.size();) {
    size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
    selection.select(trackModel_->index(rows[i], 0), trackModel_->index(rows[j], 3));
    i = j + 1;
  }
  mList_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (list.firstSelected() >= 0)
    mList_->selectionModel()->setCurrentIndex(trackModel_->index(list.firstSelected(), 0),
                                              QItemSelectionModel::NoUpdate);
  refreshingList_ = false;
  ApplyListAreaLayout();
}

void MainWindow::ScrollTrackIntoView(int row) {
  if (row >= 0 && row < trackModel_->rowCount()) mList_->scrollTo(trackModel_->index(row, 0));
}

void MainWindow::LibraryChanged(const PlaylistLibrary& library) {
  refreshingLibrary_ = true;
  libraryModel_->refresh();
  if (library.selected >= 0 && library.selected < library.size()) {
    const QModelIndex index = libraryModel_->index(library.selected, 0);
    listView1_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    listView1_->scrollTo(index);
  } else {
    listView1_->selectionModel()->clearSelection();
  }
  refreshingLibrary_ = false;
  ApplyListAreaLayout();
}

void MainWindow::SetTrackListVisible(bool visible) { mList_->setVisible(visible); }

void MainWindow::SetLibraryPanelVisible(bool visible) {
  pnList_->setVisible(visible);
  ApplyListAreaLayout();
}

ListFocus MainWindow::FocusedList() {
  const QWidget* focus = QApplication::focusWidget();
  if (focus && (focus == mList_ || mList_->isAncestorOf(focus))) return ListFocus::TrackList;
  if (focus && (focus == listView1_ || listView1_->isAncestorOf(focus))) return ListFocus::Library;
  return ListFocus::None;
}

void MainWindow::FocusList(ListFocus view) {
  if (view == ListFocus::TrackList) mList_->setFocus();
  if (view == ListFocus::Library) listView1_->setFocus();
}

void MainWindow::SetAlphaBlend(bool on) { setWindowOpacity(on ? 192.0 / 255.0 : 1.0); }

void MainWindow::SetTopmost(bool on) {
  // Changing window flags hides the window; put it back where it was.
  const QPoint at = pos();
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) {
    move(at);
    show();
  }
}

void MainWindow::SetEditShortcuts(bool on) {
  for (QShortcut* s : editShortcuts_) s->setEnabled(on);
}

std::optional<QStringList> MainWindow::ChooseFilesToOpen(const QString& filter, const QString& initialDir) {
  QFileDialog dialog(this);
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(QtNameFilters(filter));
  if (!initialDir.isEmpty()) dialog.setDirectory(initialDir);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedFiles();
}

void MainWindow::ShowAddFolderDialog() {
  AddFolderDialog dialog(player_, this);
  dialog.exec();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const bool trackView = watched == mList_ || watched == mList_->viewport();
  const bool libraryView = watched == listView1_ || watched == listView1_->viewport();
  if (!trackView && !libraryView) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      player_.RestoreShortcuts();
      break;
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (watched == mList_->viewport()) {
        if (mouse->button() == Qt::RightButton) {
          QMetaObject::invokeMethod(this, [this] { player_.MListMouseUp(); }, Qt::QueuedConnection);
        } else if (mouse->button() == Qt::LeftButton) {
          QMetaObject::invokeMethod(this, [this] { player_.MListClick(); }, Qt::QueuedConnection);
        }
      } else if (watched == listView1_->viewport() && mouse->button() == Qt::LeftButton) {
        QMetaObject::invokeMethod(this, [this] { player_.ListView1Click(); }, Qt::QueuedConnection);
      }
      break;
    }
    case QEvent::KeyRelease: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) player_.RestoreShortcuts();
      break;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::SetProgress(int range, int position) {
  auto* gauge = static_cast<Gauge*>(control(ControlId::Gauge1));
  gauge->setRange(range);
  gauge->setProgress(position);
}

void MainWindow::SetTimer1(bool on) {
  if (on)
    timer1_->start();
  else
    timer1_->stop();
}

uintptr_t MainWindow::WindowId() { return static_cast<uintptr_t>(winId()); }
uintptr_t MainWindow::VideoWindowId() { return static_cast<uintptr_t>(control(ControlId::VdoPanel)->winId()); }

QRect MainWindow::WorkArea() {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect(0, 0, 1280, 800);
}

void MainWindow::RunWhileResponsive(const std::function<void()>& work) {
  QEventLoop loop;
  std::thread worker([&] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
}

void MainWindow::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    if (player_.state().CentreOnShow) {
      if (const QScreen* s = screen())
        move(s->geometry().topLeft() + CentredPosition(s->geometry().size(), size()));
    }
    // The real start-up runs once the window is on screen.
    QMetaObject::invokeMethod(this, [this] { player_.FormShow(); }, Qt::QueuedConnection);
  }
  QWidget::showEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  ApplyLayout();
  player_.state().ClientWidth = width();
  player_.state().ClientHeight = height();
  QWidget::resizeEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  player_.state().Left = x();
  player_.state().Top = y();
  QWidget::moveEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) player_.FormActivate();
  QWidget::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closing_ || !player_.FormCloseQuery()) {
    event->ignore();
    return;
  }
  closing_ = true;
  player_.FormClose();
  event->accept();
}

}  // namespace lirra
