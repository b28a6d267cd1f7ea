// The main window: a frameless window whose whole surface is the player. It is composed of
// parts it owns (the controls, the central area, the list area, the frame) and implements
// the remaining roles of the shell itself (captions, panels, dialogs, timers); its event
// handlers forward to the player, which decides.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "central_area.h"
#include "controls.h"
#include "list_area.h"
#include "player.h"
#include "session_end.h"
#include "shell.h"
#include "window_frame.h"

class QTimer;
class QTreeView;

namespace lirra {

class ShellLabel;
class SpectrumBox;
class MprisService;

class MainWindow : public QWidget,
                   public Captions,
                   public Panels,
                   public VisualArea,
                   public Dialogs,
                   public Timers {
  Q_OBJECT
 public:
  explicit MainWindow(const StartupEnvironment& env, QWidget* parent = nullptr);
  // Hidden while its parts still exist: hiding sends events to the views' filters.
  ~MainWindow() override { hide(); }

  // False when the player decided at creation that no window is to be shown.
  bool created() const { return created_; }
  Player& player() { return player_; }
  QWidget* control(ControlId id) const { return controls_[static_cast<int>(id)]; }
  QTreeView* trackList() const { return listArea_.trackList(); }
  QTreeView* libraryList() const { return listArea_.libraryList(); }
  QWidget* libraryPanel() const { return listArea_.libraryPanel(); }
  MainWindowFrame& frame() { return frame_; }

  // Captions
  void SetCaption(ControlId control, const QString& text) override;
  void SetHint(ControlId control, const QString& text) override;
  void SetFont(ControlId control, const FontSpec& font) override;
  void SetWindowTitle(const QString& title) override;
  void SetProgress(int range, int position) override;
  void FitTitleWidth() override;
  void SetColours(const WindowColours& colours) override;
  void SetTextColour(ControlId control, std::optional<Rgb> colour) override;
  // Panels
  void SetVisible(ControlId control, bool visible) override;
  // VisualArea
  void SetVisBox(const QRect& box) override;
  void ShowSpectrumFrame(const SkinImage& frame, QPoint at) override;
  void ClearVisBox() override;
  SpectrumBox* visBox() const { return visBox_; }
  // Dialogs
  void ShowMessage(const QString& text, const QString& caption) override;
  void ShowNotice(const QString& text, const QString& caption) override;
  void CloseNotice() override;
  bool AskYesNo(const QString& text, const QString& caption) override;
  bool CloseVideoLibraryErrorBox() override;
  std::optional<QStringList> ChooseFilesToOpen(const QString& filter, const QString& initialDir) override;
  void ShowAddFolderDialog() override;
  // Timers
  void SetTimer(TimerId timer, bool on) override;
  void SetTimerInterval(TimerId timer, int milliseconds) override;
  void RunWhileResponsive(const std::function<void()>& work) override;
  void ProcessPendingEvents() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  ShellLabel* label(ControlId id) const;
  void ConnectControls();
  void ConnectFrameLoops();
  void ConnectVisualArea();
  // The title strip also moves the window: a left press that travels further than a click
  // does starts a move; a click without that motion keeps its own meaning.
  void ConnectTitleStripMove(ShellLabel* strip);
  void ApplyLayout();
  // Puts the player on the session bus for media keys and the desktop's controls.
  void StartMediaControls();

  Controls controls_{};
  std::unique_ptr<CentralArea> central_;
  MainWindowFrame frame_{*this, central_};
  ListArea listArea_;
  Player player_;
  QTimer* timer(TimerId id) const;
  QTimer* timer1_ = nullptr;
  QTimer* timer2_ = nullptr;
  QTimer* timerFFT_ = nullptr;
  SpectrumBox* visBox_ = nullptr;
  MprisService* mediaControls_ = nullptr;  // none without a session bus
  QPointer<QMessageBox> notice_;  // deletes itself when closed
  std::unique_ptr<SessionEnd> sessionEnd_;
  Rgb captionColour_ = WindowColours{}.captionText;  // lbTime's colour, the captions' own
  bool created_ = false;
  bool shown_ = false;
  bool closing_ = false;
  bool wasMinimised_ = false;
  struct TitleStripPress {
    bool down = false;    // a left press on the strip is held
    bool moving = false;  // it travelled: a move runs, the release is no click
    bool ours = false;    // the move is the window's own loop (not the compositor's)
    QPoint from;          // where it was pressed, on the screen
  } titlePress_;
};

}  // namespace lirra
