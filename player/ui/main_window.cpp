#include "main_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include <thread>

#include "add_folder_dialog.h"
#include "gauge.h"
#include "gstreamer_registry.h"
#include "open_filter.h"
#include "shell_label.h"

namespace lirra {

namespace {
// The form's captions are 12 pixels high, like the designed font height -12.
constexpr int kFormFontPixels = 12;
}  // namespace

MainWindow::MainWindow(const StartupEnvironment& env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      player_(Shell{*this, listArea_, frame_, *this, *this}) {
  setObjectName(QStringLiteral("MainForm"));
  FillWindowColour(this);
  QFont formFont = font();
  formFont.setPixelSize(kFormFontPixels);
  setFont(formFont);
  controls_ = BuildControls(this);
  central_ = std::make_unique<CentralArea>(controls_);
  listArea_.build(player_, this, central_->listPanel());
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
  listArea_.setEditShortcuts({
      shortcut(QKeySequence(Qt::Key_Delete), [this] { player_.pmDelClick(); }),
      shortcut(QKeySequence(Qt::Key_A), [this] { player_.sbAddClick(); }),
      shortcut(QKeySequence(Qt::Key_Return), [this] { player_.pmPlayClick(); }),
      shortcut(QKeySequence(Qt::Key_Enter), [this] { player_.pmPlayClick(); }),
      shortcut(QKeySequence(Qt::Key_Right), [this] { player_.pmNextClick(); }),
      shortcut(QKeySequence(Qt::Key_P), [this] { player_.pmPauseClick(); }),
      shortcut(QKeySequence(Qt::Key_T), [this] { player_.pmOnTopClick(); }),
  });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_A), [this] { player_.pmSelAllClick(); });
  shortcut(QKeySequence(Qt::Key_Insert), [this] { player_.pmTranspClick(); });

  const auto button = [this](ControlId id) { return static_cast<QToolButton*>(control(id)); };
  connect(button(ControlId::sbAdd), &QToolButton::clicked, this, [this] { player_.sbAddClick(); });
  connect(button(ControlId::sbAddFld), &QToolButton::clicked, this, [this] { player_.sbAddFldClick(); });
  connect(button(ControlId::sbRandom), &QToolButton::clicked, this, [this] { player_.sbRandomClick(); });
  connect(button(ControlId::sbNewlist), &QToolButton::clicked, this, [this] { player_.sbNewlistClick(); });
}

void MainWindow::ApplyLayout() {
  const WindowLayout layout = LayoutFor(size());
  for (int i = 0; i < kControlCount; ++i) controls_[i]->setGeometry(layout[i]);
  listArea_.layOut();
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

void MainWindow::SetProgress(int range, int position) {
  auto* gauge = static_cast<Gauge*>(control(ControlId::Gauge1));
  gauge->setRange(range);
  gauge->setProgress(position);
}

void MainWindow::ShowMessage(const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
  box.exec();
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

void MainWindow::SetTimer(TimerId timer, bool on) {
  if (timer != TimerId::Timer1) return;  // the other timers come with their features
  if (on)
    timer1_->start();
  else
    timer1_->stop();
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
  player_.FormResize(width(), height());
  QWidget::resizeEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  player_.FormMove(x(), y());
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
