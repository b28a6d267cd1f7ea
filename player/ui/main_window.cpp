#include "main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>

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

MainWindow::MainWindow(const QString& appDir, const QLocale& locale, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), player_(*this) {
  setObjectName(QStringLiteral("MainForm"));
  Fill(this, kWindowColor);
  QFont formFont = font();
  formFont.setPixelSize(kFormFontPixels);
  setFont(formFont);
  BuildControls();
  resize(kStartClientSize);
  player_.FormCreate(appDir, locale);
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

  auto* power = static_cast<ShellLabel*>(control(ControlId::lbPower));
  connect(power, &ShellLabel::clicked, this, [this] { player_.lbPowerClick(); });
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

void MainWindow::CloseMainWindow() { close(); }

void MainWindow::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    player_.FormShow();
    if (player_.state().CentreOnShow) {
      if (const QScreen* s = screen())
        move(s->geometry().topLeft() + CentredPosition(s->geometry().size(), size()));
    }
  }
  QWidget::showEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  ApplyLayout();
  QWidget::resizeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (player_.FormCloseQuery())
    event->accept();
  else
    event->ignore();
}

}  // namespace lirra
