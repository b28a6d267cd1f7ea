#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

#include <thread>

#include "add_folder_dialog.h"
#include "after_questions.h"
#include "display.h"
#include "gauge.h"
#include "gstreamer_registry.h"
#include "mpris_service.h"
#include "open_filter.h"
#include "screen_saver.h"
#include "shell_label.h"
#include "vis_box.h"

namespace lirra {

namespace {

// The caption strip: captions start at row 4 and end above the central area.
constexpr int kStripRows = 11;
constexpr int kDesignFontPixels = 12;

QFont StripFont(const QFont& font, bool chinese) {
  return ShellLabel::FitToRows(font, kDesignFontPixels, kStripRows, chinese);
}

bool IsCaption(ControlId id) {
  return id == ControlId::lbNext || id == ControlId::lbTitle || id == ControlId::lbTime || id == ControlId::lbPower;
}

// Qt's own dialog texts (buttons, the file dialog) in the player's language.
void InstallQtTranslations(const QLocale& locale) {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator);
  else
    delete translator;
}

QColor Colour(Rgb rgb) { return QColor::fromRgb(rgb); }

PointerButton ButtonOf(Qt::MouseButton button) {
  if (button == Qt::LeftButton) return PointerButton::Left;
  return button == Qt::RightButton ? PointerButton::Right : PointerButton::Middle;
}

}  // namespace

MainWindow::MainWindow(const StartupEnvironment& env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      player_(Shell{*this, *this, *this, listArea_, frame_, *this, *this}) {
  setObjectName(QStringLiteral("MainForm"));
  setAutoFillBackground(true);
  setAttribute(Qt::WA_AlwaysShowToolTips);  // hints show on hover, focused or not
  // See-through parts (the colour key) need a window with an alpha channel, which only a
  // compositor shows; without one the window stays opaque and cheaper.
  if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
    if (CompositorRunning(x11->connection(), 0)) setAttribute(Qt::WA_TranslucentBackground);
  setFont(StripFont(font(), false));
  controls_ = BuildControls(this);
  for (ControlId id : {ControlId::lbNext, ControlId::lbTitle, ControlId::lbTime, ControlId::lbPower})
    label(id)->setStripCaption(true);
  central_ = std::make_unique<CentralArea>(controls_);
  visBox_ = central_->visBox();
  listArea_.build(player_, this, central_->listPanel());
  SetColours(WindowColours{});
  timer1_ = new QTimer(this);
  timer1_->setInterval(100);
  connect(timer1_, &QTimer::timeout, this, [this] { player_.Timer1Timer(); });
  timer2_ = new QTimer(this);
  timer2_->setInterval(1000);
  connect(timer2_, &QTimer::timeout, this, [this] { player_.Timer2Timer(); });
  timerFFT_ = new QTimer(this);
  timerFFT_->setInterval(33);
  connect(timerFFT_, &QTimer::timeout, this, [this] { player_.TimerFFTTimer(); });
  ConnectControls();
  ConnectFrameLoops();
  ConnectVisualArea();
  // The tray reports clicks, not the pointer: a left click is a move, a press and a release.
  frame_.onTrayClicks(
      [this] {
        player_.TrayMouseMove();
        player_.TrayLeftDown();
        player_.TrayLeftUp();
      },
      [this] { player_.TrayRightUp(); });
  frame_.watchTrayHost([this](bool available) { player_.TrayHostChanged(available); });
  PlayerContext& ctx = player_.context();
  ctx.videoExtras = [] {
    VideoExtras extras;
    extras.realMedia = HasGStreamerElement({"rmdemux", "avdemux_rm"});
    extras.flash = HasGStreamerElement({"avdemux_swf"});
    extras.transportStream = HasGStreamerElement({"tsdemux", "avdemux_mpegts"});
    extras.quickTime = HasGStreamerElement({"qtdemux", "avdemux_mov,mp4,m4a,3gp,3g2,mj2"});
    return extras;
  };
  auto screenSaver = std::make_shared<DesktopScreenSaver>();
  ctx.screenSaver.available = &DesktopScreenSaver::mayExist;
  ctx.screenSaver.setActive = [screenSaver](bool active) { screenSaver->setActive(active); };
  sessionEnd_ = std::make_unique<SessionEnd>(*this, player_, [this] { return closing_; });
  resize(kStartClientSize);
  created_ = player_.FormCreate(env);
  if (player_.state().UseChinese) InstallQtTranslations(QLocale(QStringLiteral("zh_CN")));
  const PlayerState& s = player_.state();
  resize(s.ClientWidth, s.ClientHeight);
  if (!s.CentreOnShow) move(s.Left, s.Top);
}

void MainWindow::StartMediaControls() {
  if (closing_) return;
  MprisService::Port port;
  port.status = [this] { return player_.MediaControlsStatus(); };
  port.positionUs = [this] { return player_.MediaControlsPosition(); };
  port.command = [this](MediaCommand command) {
    RunWhenNoQuestionIsOpen(this, [this, command] { player_.MediaControlsCommand(command); });
  };
  port.seek = [this](const QString& trackId, qint64 us) { return player_.MediaControlsSeek(trackId, us); };
  port.shuffle = [this](bool on) { player_.MediaControlsShuffle(on); };
  port.raise = [this] { frame_.BringToFront(); };
  port.quit = [this] { RunWhenNoQuestionIsOpen(this, [this] { player_.lbPowerClick(); }); };
  mediaControls_ = new MprisService(std::move(port), this);
  if (!mediaControls_->registerOnBus()) {
    delete mediaControls_;
    mediaControls_ = nullptr;
  }
}

ShellLabel* MainWindow::label(ControlId id) const { return static_cast<ShellLabel*>(control(id)); }

void MainWindow::ConnectControls() {
  connect(label(ControlId::lbPower), &ShellLabel::clicked, this, [this] { player_.lbPowerClick(); });
  connect(label(ControlId::lbPower), &ShellLabel::mouseReleased, this, [this](Qt::MouseButton button, QPoint) {
    if (button == Qt::RightButton) player_.lbPowerMouseUp();
  });
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

// The drag area moves the window, a right click changes the skin, a double click switches
// the central area; the grips size the window.
void MainWindow::ConnectFrameLoops() {
  for (ControlId id : {ControlId::lbMove, ControlId::lbSkinName}) {
    ShellLabel* area = label(id);
    // Where the press was, not where the pointer is by the time it is handled.
    connect(area, &ShellLabel::mousePressed, this, [this, area](Qt::MouseButton button, QPoint pos) {
      if (button == Qt::LeftButton && frame_.beginMove(area->mapToGlobal(pos))) player_.WindowDragStarted();
    });
    connect(area, &ShellLabel::mouseMoved, this, [this](Qt::MouseButtons, QPoint global) { frame_.follow(global); });
    // The release's own position ends a drag: a flick may bring no motion after the press.
    connect(area, &ShellLabel::mouseReleased, this, [this](Qt::MouseButton button, QPoint, QPoint global) {
      if (button == Qt::LeftButton) frame_.follow(global);
      if (button == Qt::LeftButton && frame_.end() == MainWindowFrame::Loop::Move) player_.lbMoveDragEnded();
      if (button == Qt::RightButton) player_.lbMoveRightUp();
    });
    connect(area, &ShellLabel::doubleClicked, this, [this] { player_.lbMoveDblClick(); });
  }
  for (auto [id, grip] : {std::pair{ControlId::lbResiz7a, MainWindowFrame::Grip::BottomLeft},
                          std::pair{ControlId::lbResiz8a, MainWindowFrame::Grip::BottomRight}}) {
    ShellLabel* handle = label(id);
    connect(handle, &ShellLabel::mousePressed, this, [this, handle, grip](Qt::MouseButton button, QPoint pos) {
      if (button == Qt::LeftButton && frame_.beginResize(grip, handle->mapToGlobal(pos))) player_.WindowDragStarted();
    });
    connect(handle, &ShellLabel::mouseMoved, this, [this](Qt::MouseButtons, QPoint global) { frame_.follow(global); });
    const ResizeGrip side = grip == MainWindowFrame::Grip::BottomLeft ? ResizeGrip::BottomLeft : ResizeGrip::BottomRight;
    connect(handle, &ShellLabel::mouseReleased, this, [this, side](Qt::MouseButton button, QPoint, QPoint global) {
      if (button == Qt::LeftButton) frame_.follow(global);
      if (button == Qt::LeftButton && frame_.end() == MainWindowFrame::Loop::Resize) player_.lbResizeDragEnded(side);
    });
  }
}

// The title strip and the visual area: hovering samples whether the application is
// active, clicks step the visualisation or switch a video to full screen.
void MainWindow::ConnectVisualArea() {
  for (ControlId id : {ControlId::lbTmp1, ControlId::lbTitle, ControlId::lbTmp2, ControlId::VisPanel,
                       ControlId::lbProgress}) {
    ShellLabel* area = label(id);
    area->setMouseTracking(true);
    connect(area, &ShellLabel::mouseMoved, this, [this, id](Qt::MouseButtons buttons, QPoint) {
      if (buttons & (Qt::LeftButton | Qt::RightButton)) return;
      player_.VisPanelMouseMove(id, QGuiApplication::applicationState() == Qt::ApplicationActive);
    });
    const bool strip = id == ControlId::lbTmp1 || id == ControlId::lbTitle || id == ControlId::lbTmp2;
    if (strip) ConnectTitleStripMove(area);
    connect(area, &ShellLabel::mouseReleased, this, [this, id, area, strip](Qt::MouseButton button, QPoint pos) {
      if (id == ControlId::lbProgress && button == Qt::LeftButton) return;  // the seek strip's own click
      if (strip && button == Qt::LeftButton && std::exchange(titlePress_, {}).moving) return;  // a move, no click
      const QPoint inPanel = area->mapTo(this, pos) - control(ControlId::VisPanel)->pos();
      player_.VisPanelMouseUp(id, ButtonOf(button), inPanel);
    });
  }
  // Leaving the title for anywhere gives it its own colour back; the frame labels keep
  // whether the pointer is over them.
  connect(label(ControlId::lbTitle), &ShellLabel::left, this, [this] { player_.lbTitleMouseLeave(); });
  for (ControlId id : {ControlId::lbMove, ControlId::lbSkinName, ControlId::lbNext, ControlId::lbPower,
                       ControlId::lbProgress}) {
    connect(label(id), &ShellLabel::entered, this, [this] { player_.lbNextMouseEnter(); });
    connect(label(id), &ShellLabel::left, this, [this] { player_.lbNextMouseLeave(); });
  }
  // The video's picture takes the clicks of the visual area (full screen on the right).
  connect(label(ControlId::VdoPanel), &ShellLabel::mouseReleased, this, [this](Qt::MouseButton button, QPoint pos) {
    player_.VisPanelMouseUp(ControlId::VisPanel, ButtonOf(button), pos);
  });
  // A click that activates the window samples the state before it, like a move would.
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive) player_.ApplicationActivated(isActiveWindow());
  });
}

void MainWindow::ConnectTitleStripMove(ShellLabel* strip) {
  connect(strip, &ShellLabel::mousePressed, this, [this, strip](Qt::MouseButton button, QPoint pos) {
    if (button == Qt::LeftButton) titlePress_ = {true, false, false, strip->mapToGlobal(pos)};
  });
  connect(strip, &ShellLabel::mouseMoved, this, [this](Qt::MouseButtons buttons, QPoint global) {
    if (!titlePress_.down || !(buttons & Qt::LeftButton)) return;
    if (!titlePress_.moving) {
      if ((global - titlePress_.from).manhattanLength() < QApplication::startDragDistance()) return;
      titlePress_.moving = true;
      titlePress_.ours = frame_.beginMove(titlePress_.from);
      if (titlePress_.ours) player_.WindowDragStarted();
    }
    if (titlePress_.ours) frame_.follow(global);
  });
  // Released (the release's own position ends the move, as on the drag area).
  connect(strip, &ShellLabel::mouseReleased, this, [this](Qt::MouseButton button, QPoint, QPoint global) {
    if (button != Qt::LeftButton || !titlePress_.moving || !titlePress_.ours) return;
    frame_.follow(global);
    if (frame_.end() == MainWindowFrame::Loop::Move) player_.lbMoveDragEnded();
  });
}

void MainWindow::ApplyLayout() {
  const WindowLayout layout = LayoutFor(size());
  for (int i = 0; i < kControlCount; ++i) controls_[i]->setGeometry(layout[i]);
  listArea_.layOut();
  FitTitleWidth();
}

void MainWindow::SetCaption(ControlId id, const QString& text) {
  if (auto* l = qobject_cast<QLabel*>(control(id))) l->setText(text);
  if (id == ControlId::lbTime || id == ControlId::lbTitle) FitTitleWidth();
}

void MainWindow::SetHint(ControlId id, const QString& text) { control(id)->setToolTip(text); }

void MainWindow::SetFont(ControlId id, const FontSpec& wanted) {
  QFont font = control(id)->font();
  if (!wanted.families.isEmpty()) font.setFamilies(wanted.families);
  if (wanted.pixelSize > 0) font.setPixelSize(wanted.pixelSize);
  const bool chinese = player_.state().UseChinese;
  control(id)->setFont(IsCaption(id) ? StripFont(font, chinese) : font);
  if (IsCaption(id)) label(id)->setStripCaption(true, chinese);
  if (IsCaption(id)) FitTitleWidth();
}

void MainWindow::SetWindowTitle(const QString& title) { setWindowTitle(title); }

void MainWindow::SetProgress(int range, int position) {
  auto* gauge = static_cast<Gauge*>(control(ControlId::Gauge1));
  gauge->setRange(range);
  gauge->setProgress(position);
}

void MainWindow::FitTitleWidth() {
  const WindowLayout layout = LayoutFor(size());
  QLabel* time = label(ControlId::lbTime);
  const QRect design = At(layout, ControlId::lbTime);
  const int width = time->text().isEmpty() ? design.width() : time->fontMetrics().horizontalAdvance(time->text()) + 1;
  time->setGeometry(design.right() + 1 - width, design.top(), width, design.height());
  const QRect title = At(layout, ControlId::lbTitle);
  label(ControlId::lbTitle)->setGeometry(title.left(), title.top(), std::max(0, time->x() - title.left() - 1),
                                         title.height());
}

void MainWindow::SetColours(const WindowColours& c) {
  const auto fill = [](QWidget* w, QPalette::ColorRole role, Rgb rgb) {
    QPalette pal = w->palette();
    pal.setColor(role, Colour(rgb));
    if (role == QPalette::WindowText) pal.setColor(QPalette::ButtonText, Colour(rgb));
    w->setPalette(pal);
  };
  fill(this, QPalette::Window, c.window);
  captionColour_ = c.captionText;
  for (ControlId id : {ControlId::lbNext, ControlId::lbPower, ControlId::lbTitle, ControlId::lbTime})
    fill(control(id), QPalette::WindowText, c.captionText);
  for (ControlId id : {ControlId::lbAddG1, ControlId::lbAddG2, ControlId::lbAddG3, ControlId::lbAddG4,
                       ControlId::lbAddG5, ControlId::lbAddG6})
    fill(control(id), QPalette::Window, c.accent);
  // The bottom buttons' hover frame in the accent, so it shows on any skin.
  for (ControlId id : {ControlId::sbAdd, ControlId::sbAddFld, ControlId::sbRandom, ControlId::sbNewlist})
    fill(control(id), QPalette::WindowText, c.accent);
  static_cast<Gauge*>(control(ControlId::Gauge1))->setColors(Colour(c.gaugeFore), Colour(c.gaugeBack));
  listArea_.setColours(c);
}

void MainWindow::SetTextColour(ControlId id, std::optional<Rgb> colour) {
  QPalette pal = control(id)->palette();
  pal.setColor(QPalette::WindowText, Colour(colour.value_or(captionColour_)));
  control(id)->setPalette(pal);
}

void MainWindow::SetVisible(ControlId id, bool visible) { control(id)->setVisible(visible); }

void MainWindow::ShowMessage(const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
  box.exec();
}

void MainWindow::ShowNotice(const QString& text, const QString& caption) {
  CloseNotice();
  notice_ = new QMessageBox(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
  notice_->setObjectName(QStringLiteral("Notice"));
  notice_->setAttribute(Qt::WA_DeleteOnClose);
  notice_->setModal(false);
  notice_->show();
}

void MainWindow::CloseNotice() {
  if (notice_) notice_->close();
}

bool MainWindow::CloseVideoLibraryErrorBox() {
  for (QWidget* box : QApplication::topLevelWidgets()) {
    if (box != this && box->isVisible() && box->windowTitle() == QLatin1String("Error") &&
        qobject_cast<QDialog*>(box)) {
      box->close();
      return true;
    }
  }
  return false;
}

bool MainWindow::AskYesNo(const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, this);
  return box.exec() == QMessageBox::Yes;
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

QTimer* MainWindow::timer(TimerId id) const {
  return id == TimerId::Timer1 ? timer1_ : id == TimerId::Timer2 ? timer2_ : timerFFT_;
}

void MainWindow::SetTimer(TimerId id, bool on) {
  if (on)
    timer(id)->start();
  else
    timer(id)->stop();
}

void MainWindow::SetTimerInterval(TimerId id, int milliseconds) { timer(id)->setInterval(milliseconds); }

void MainWindow::SetVisBox(const QRect& box) { visBox_->setGeometry(box); }
void MainWindow::ShowSpectrumFrame(const SkinImage& frame, QPoint at) { visBox_->showFrame(frame, at); }
void MainWindow::ClearVisBox() { visBox_->clear(); }

void MainWindow::RunWhileResponsive(const std::function<void()>& work) {
  QEventLoop loop;
  std::thread worker([&] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
}

void MainWindow::ProcessPendingEvents() { QCoreApplication::processEvents(); }

void MainWindow::paintEvent(QPaintEvent*) {
  const QImage& skin = frame_.skinPicture();
  if (skin.isNull()) return;
  QPainter painter(this);
  // Skin pixels stay crisp when stretched or on a screen of twice the pixels.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  for (const SkinPiece& piece : player_.FormPaint(size())) painter.drawImage(piece.target, skin, piece.source);
}

void MainWindow::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    if (player_.state().CentreOnShow) {
      if (const QScreen* s = screen())
        move(s->geometry().topLeft() + CentredPosition(s->geometry().size(), size()));
    }
    // The real start-up runs once the window is on screen.
    // The desktop's media controls come after it: the bus never delays the first sound.
    QMetaObject::invokeMethod(this, [this] {
      player_.FormShow();
      StartMediaControls();
      QMetaObject::invokeMethod(this, [this] { player_.OpenHeldNetworkEntry(); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
  }
  QWidget::showEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  ApplyLayout();
  if (frame_.resizing())
    player_.ResizeDragStep(width(), height());  // the shape follows the pointer too
  else
    player_.FormResize(width(), height());
  QWidget::resizeEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  player_.FormMove(x(), y());
  QWidget::moveEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::ActivationChange:
      if (isActiveWindow()) player_.FormActivate();
      break;
    case QEvent::WindowStateChange:
      if (isMinimized() && !wasMinimised_) player_.ApplicationMinimised();
      if (!isMinimized() && wasMinimised_) player_.ApplicationRestored();
      wasMinimised_ = isMinimized();
      break;
    case QEvent::ApplicationPaletteChange: {
      const QPalette desktop = QGuiApplication::palette();
      player_.DesktopColoursChanged({desktop.color(QPalette::HighlightedText).rgb() & 0xFFFFFF,
                                     desktop.color(QPalette::Highlight).rgb() & 0xFFFFFF});
      break;
    }
    default:
      break;
  }
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
