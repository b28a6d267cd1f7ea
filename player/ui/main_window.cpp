#include "main_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <thread>

#include "gauge.h"
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

  control(ControlId::lbResiz7a)->setCursor(Qt::SizeBDiagCursor);
  control(ControlId::lbResiz8a)->setCursor(Qt::SizeFDiagCursor);

  mList_ = new QTreeWidget(control(ControlId::MListPanel));
  mList_->setObjectName(QStringLiteral("MList"));
  mList_->setColumnCount(kTrackListColumns);
  mList_->setHeaderHidden(true);
  mList_->setRootIsDecorated(false);
  mList_->setUniformRowHeights(true);
  mList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  mList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  mList_->setFrameShape(QFrame::NoFrame);
  mList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  mList_->header()->setStretchLastSection(false);
  mList_->setColumnHidden(1, true);
  mList_->setColumnHidden(2, true);
  mList_->setColumnWidth(3, kLengthColumnWidth);

  control(ControlId::VdoPanel)->setAttribute(Qt::WA_NativeWindow);
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
  };
  shortcut(QKeySequence(Qt::Key_Return), [this] { player_.pmPlayClick(); });
  shortcut(QKeySequence(Qt::Key_Enter), [this] { player_.pmPlayClick(); });
  shortcut(QKeySequence(Qt::Key_Right), [this] { player_.pmNextClick(); });
  shortcut(QKeySequence(Qt::Key_P), [this] { player_.pmPauseClick(); });
  connect(mList_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (refreshingList_) return;
    std::vector<int> rows;
    for (const QModelIndex& index : mList_->selectionModel()->selectedRows()) rows.push_back(index.row());
    player_.SelectionChanged(std::move(rows));
  });
  connect(mList_, &QTreeWidget::itemDoubleClicked, this, [this] { player_.MListDblClick(); });
}

void MainWindow::ApplyLayout() {
  const WindowLayout layout = LayoutFor(size());
  for (int i = 0; i < kControlCount; ++i) controls_[i]->setGeometry(layout[i]);
  const QRect panel = At(layout, ControlId::MListPanel);
  mList_->setGeometry(0, 0, panel.width(), panel.height());
  mList_->setColumnWidth(0, std::max(0, panel.width() - kLengthColumnWidth - 4));
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
  mList_->clear();
  for (int i = 0; i < list.size(); ++i) {
    const TrackEntry& e = list.at(i);
    auto* item = new QTreeWidgetItem(mList_, {e.Title, e.Location, e.LengthSeconds.value_or(QString()),
                                              e.LengthText.value_or(QString())});
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
  }
  for (int row : list.selection())
    if (QTreeWidgetItem* item = mList_->topLevelItem(row)) item->setSelected(true);
  if (list.firstSelected() >= 0) mList_->scrollToItem(mList_->topLevelItem(list.firstSelected()));
  refreshingList_ = false;
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
