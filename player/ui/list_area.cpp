#include "list_area.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "list_models.h"
#include "player.h"

namespace lirra {

namespace {

constexpr int kLengthColumnWidth = 42;

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

QTreeView* MakeListView(QWidget* parent, const char* name, QAbstractItemModel* model, Player& player,
                        QObject* filter) {
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
  view->viewport()->installEventFilter(filter);
  view->installEventFilter(filter);
  return view;
}

}  // namespace

void ListArea::build(Player& player, QWidget* window, QWidget* panel) {
  player_ = &player;
  window_ = window;
  panel_ = panel;
  PlayerContext& ctx = player_->context();
  trackModel_ = new TrackListModel(
      ctx.list, [this](int row, const QString& text) { return player_->MListEdited(row, text); }, this);
  libraryModel_ = new LibraryModel(
      ctx.library, [this](int row, const QString& text) { return player_->ListView1Edited(row, text); }, this);

  pnList_ = new QWidget(panel);
  pnList_->setObjectName(QStringLiteral("pnList"));
  pnList_->hide();
  listView1_ = MakeListView(pnList_, "ListView1", libraryModel_, player, this);
  listView1_->setSelectionMode(QAbstractItemView::SingleSelection);

  mList_ = MakeListView(panel, "MList", trackModel_, player, this);
  mList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  mList_->setColumnHidden(1, true);
  mList_->setColumnHidden(2, true);
  mList_->setColumnWidth(3, kLengthColumnWidth);
  mList_->hide();  // until a list is loaded
  connectViews();
}

void ListArea::connectViews() {
  connect(mList_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (refreshingList_) return;
    std::vector<int> rows;
    for (const QModelIndex& index : mList_->selectionModel()->selectedRows()) rows.push_back(index.row());
    player_->SelectionChanged(std::move(rows));
  });
  connect(mList_, &QTreeView::doubleClicked, this, [this] { player_->MListDblClick(); });
  connect(listView1_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (refreshingLibrary_) return;
    const QModelIndexList rows = listView1_->selectionModel()->selectedRows();
    player_->LibrarySelectionChanged(rows.isEmpty() ? -1 : rows.front().row());
  });
}

void ListArea::layOut() {
  const QSize panel = panel_->size();
  const PlayerContext& ctx = player_->context();
  const ListAreaLayout area =
      LayoutListArea(window_->width(), panel, pnList_->isVisibleTo(window_), ctx.list.size(), ctx.library.size(),
                     window_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  pnList_->setGeometry(0, 0, area.libraryWidth, panel.height());
  listView1_->setGeometry(0, 0, area.libraryWidth, panel.height());
  listView1_->setColumnWidth(0, area.libraryNameWidth);
  mList_->setGeometry(area.libraryWidth, 0, panel.width() - area.libraryWidth, panel.height());
  mList_->setColumnWidth(0, area.trackTitleWidth);
}

void ListArea::setColours(const WindowColours& c) {
  const QColor back = QColor::fromRgb(c.listBack), text = QColor::fromRgb(c.listText);
  for (QWidget* w : {static_cast<QWidget*>(mList_), static_cast<QWidget*>(listView1_), panel_}) {
    QPalette pal = w->palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window}) pal.setColor(role, back);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText}) pal.setColor(role, text);
    // The selection shows inverted, readable in every skin's two colours.
    pal.setColor(QPalette::Highlight, text);
    pal.setColor(QPalette::HighlightedText, back);
    w->setPalette(pal);
  }
  panel_->setAutoFillBackground(true);
  QPalette pal = pnList_->palette();
  pal.setColor(QPalette::Window, QColor::fromRgb(c.libraryBack));
  pnList_->setPalette(pal);
  pnList_->setAutoFillBackground(true);
}

void ListArea::TrackListChanged(const TrackList& list) {
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
  layOut();
}

void ListArea::ScrollTrackIntoView(int row) {
  if (row >= 0 && row < trackModel_->rowCount()) mList_->scrollTo(trackModel_->index(row, 0));
}

void ListArea::ScrollLibraryIntoView(int row) {
  if (row >= 0 && row < libraryModel_->rowCount()) listView1_->scrollTo(libraryModel_->index(row, 0));
}

void ListArea::LibraryChanged(const PlaylistLibrary& library) {
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
  layOut();
}

void ListArea::SetTrackListVisible(bool visible) { mList_->setVisible(visible); }

void ListArea::SetLibraryPanelVisible(bool visible) {
  pnList_->setVisible(visible);
  layOut();
}

ListFocus ListArea::FocusedList() {
  const QWidget* focus = QApplication::focusWidget();
  if (focus && (focus == mList_ || mList_->isAncestorOf(focus))) return ListFocus::TrackList;
  if (focus && (focus == listView1_ || listView1_->isAncestorOf(focus))) return ListFocus::Library;
  return ListFocus::None;
}

void ListArea::FocusList(ListFocus view) {
  if (view == ListFocus::TrackList) mList_->setFocus();
  if (view == ListFocus::Library) listView1_->setFocus();
}

void ListArea::SetEditShortcuts(bool on) {
  for (QShortcut* s : editShortcuts_) s->setEnabled(on);
}

bool ListArea::eventFilter(QObject* watched, QEvent* event) {
  const bool trackView = watched == mList_ || watched == mList_->viewport();
  const bool libraryView = watched == listView1_ || watched == listView1_->viewport();
  if (!trackView && !libraryView) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      player_->RestoreShortcuts();
      break;
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (watched == mList_->viewport()) {
        if (mouse->button() == Qt::RightButton) {
          QMetaObject::invokeMethod(this, [this] { player_->MListMouseUp(); }, Qt::QueuedConnection);
        } else if (mouse->button() == Qt::LeftButton) {
          QMetaObject::invokeMethod(this, [this] { player_->MListClick(); }, Qt::QueuedConnection);
        }
      } else if (watched == listView1_->viewport() && mouse->button() == Qt::LeftButton) {
        QMetaObject::invokeMethod(this, [this] { player_->ListView1Click(); }, Qt::QueuedConnection);
      }
      break;
    }
    case QEvent::KeyRelease: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) player_->RestoreShortcuts();
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace lirra
