// The shell's roles recorded, for logic tests: each role records what the player asked of
// it; RecordingShell is all of them, handed to a player as its Shell.
#pragma once

#include <map>
#include <vector>

#include "shell.h"

namespace lirra::testing {

class RecordingCaptions : public Captions {
 public:
  void SetCaption(ControlId c, const QString& text) override { captions[c] = text; }
  void SetHint(ControlId c, const QString& text) override { hints[c] = text; }
  void SetFont(ControlId c, const FontSpec& font) override { fonts[c] = font; }
  void SetWindowTitle(const QString& title) override { windowTitle = title; }
  void SetProgress(int r, int p) override {
    range = r;
    position = p;
  }
  void FitTitleWidth() override { ++titleFits; }
  void SetColours(const WindowColours& c) override { colours = c; }
  void SetTextColour(ControlId c, std::optional<Rgb> colour) override { textColours[c] = colour; }

  std::map<ControlId, QString> captions;
  std::map<ControlId, QString> hints;
  std::map<ControlId, FontSpec> fonts;
  QString windowTitle;
  int range = -1, position = -1;
  int titleFits = 0;
  WindowColours colours;
  std::map<ControlId, std::optional<Rgb>> textColours;
};

class RecordingPanels : public Panels {
 public:
  void SetVisible(ControlId c, bool visible) override { visibility[c] = visible; }
  bool shown(ControlId c) const { return visibility.count(c) && visibility.at(c); }
  std::map<ControlId, bool> visibility;
};

class RecordingVisualArea : public VisualArea {
 public:
  void SetVisBox(const QRect& box) override {
    visBox = box;
    ++visBoxSetups;
  }
  void ShowSpectrumFrame(const SkinImage& f, QPoint at) override {
    frame = f;
    frameAt = at;
    ++framesShown;
  }
  void ClearVisBox() override { ++clears; }

  QRect visBox;
  int visBoxSetups = 0;  // SetVisBox calls: the spectrum laid out anew
  SkinImage frame;
  QPoint frameAt;
  int framesShown = 0;
  int clears = 0;
};

class RecordingListViews : public ListViews {
 public:
  void TrackListChanged(const TrackList& list) override { shownEntries = list.size(); }
  void ScrollTrackIntoView(int row) override { scrolledTo = row; }
  void ScrollLibraryIntoView(int row) override { libraryScrolledTo = row; }
  void LibraryChanged(const PlaylistLibrary& library) override { libraryRows = library.size(); }
  void SetTrackListVisible(bool visible) override { trackListVisible = visible; }
  void SetLibraryPanelVisible(bool visible) override { libraryPanelVisible = visible; }
  ListFocus FocusedList() override { return focus; }
  void FocusList(ListFocus view) override { focus = view; }
  void SetEditShortcuts(bool on) override { editShortcuts = on; }

  int shownEntries = 0;
  int scrolledTo = -1;
  int libraryScrolledTo = -1;
  int libraryRows = 0;
  bool trackListVisible = false;
  bool libraryPanelVisible = false;
  ListFocus focus = ListFocus::None;
  bool editShortcuts = true;
};

class RecordingFrame : public WindowFrame {
 public:
  void CloseMainWindow() override { ++closeRequests; }
  void BringToFront() override {
    minimised = false;
    ++broughtToFront;
  }
  void SetAlphaBlend(bool on) override { alphaBlend = on; }
  void SetTopmost(bool on) override { topmost = on; }
  bool NativeWindowsDrawable() override { return nativeWindowsDrawable; }
  uintptr_t WindowId() override { return 0x1234; }
  uintptr_t VideoWindowId() override { return 0x5678; }
  uintptr_t VisualWindowId() override { return 0x9abc; }
  QSize NativeWindowSize(uintptr_t) override { return pluginWindowSize; }
  QRect WorkArea() override { return {0, 0, 1280, 770}; }
  QRect ScreenBounds() override { return screenBounds; }
  QRect Bounds() override { return bounds; }
  void Place(const QRect& b) override { bounds = b; }
  void Minimise() override { minimised = true; }
  bool IsMinimised() override { return minimised; }
  ForegroundWindow Foreground() override { return foreground; }
  void ShowTrayIcon(bool shown) override { trayIcon = shown; }
  void SetTrayTip(const QString& tip) override { trayTip = tip; }
  void SetTaskbarButtonHidden(bool hidden) override { taskbarButtonHidden = hidden; }
  bool TrayHostAvailable() override { return trayHost; }
  void SetShape(const WindowShape& s) override { shape = s; }
  void SetSkinPicture(const SkinImage* p) override { skinPicture = p; }
  void SetColourKey(bool on) override { colourKey = on; }
  void SetCursorHidden(bool hidden) override { cursorHidden = hidden; }

  int closeRequests = 0;
  bool alphaBlend = false;
  bool topmost = false;
  QRect bounds{100, 100, 270, 150};
  QRect screenBounds{0, 0, 1280, 800};  // the window's screen on the desktop
  bool minimised = false;
  ForegroundWindow foreground{true, {}};  // the player in front
  bool trayIcon = false;
  bool trayHost = true;  // the desktop has a tray
  bool nativeWindowsDrawable = true;  // X11
  int broughtToFront = 0;
  bool taskbarButtonHidden = false;
  QString trayTip;
  WindowShape shape;
  const SkinImage* skinPicture = nullptr;
  bool colourKey = false;
  bool cursorHidden = false;
  QSize pluginWindowSize{181, 86};
};

class RecordingDialogs : public Dialogs {
 public:
  struct Message {
    QString text, caption;
  };
  void ShowMessage(const QString& text, const QString& caption) override { messages.push_back({text, caption}); }
  void ShowNotice(const QString& text, const QString& caption) override { notices.push_back({text, caption}); }
  void CloseNotice() override { ++noticesClosed; }
  bool CloseVideoLibraryErrorBox() override { return std::exchange(errorBoxShown, false); }
  bool AskYesNo(const QString& text, const QString& caption) override {
    questions.push_back({text, caption});
    if (onQuestion) onQuestion();
    return answerYes;
  }
  std::optional<QStringList> ChooseFilesToOpen(const QString&, const QString& dir) override {
    dialogDirs.push_back(dir);
    return filesToOpen;
  }
  void ShowAddFolderDialog() override {
    ++folderDialogs;
    if (onFolderDialog) onFolderDialog();
  }

  std::vector<Message> messages;
  std::vector<Message> notices;
  int noticesClosed = 0;
  std::vector<Message> questions;
  bool answerYes = true;  // the answer to every question
  bool errorBoxShown = false;  // the video library shows its "Error" box
  std::optional<QStringList> filesToOpen;  // what the open dialog answers
  std::vector<QString> dialogDirs;
  int folderDialogs = 0;
  std::function<void()> onFolderDialog;
  std::function<void()> onQuestion;  // runs while a question is open
};

class RecordingTimers : public Timers {
 public:
  void SetTimer(TimerId timer, bool on) override {
    if (timer == TimerId::Timer1) timer1 = on;
    if (timer == TimerId::TimerFFT) timerFFT = on;
    if (timer == TimerId::Timer2) timer2 = on;
  }
  void SetTimerInterval(TimerId timer, int ms) override {
    if (timer == TimerId::Timer2) timer2Interval = ms;
  }
  void RunWhileResponsive(const std::function<void()>& work) override {
    ++responsiveRuns;
    work();
    if (whileResponsive) whileResponsive();  // what the user does while the open waits
  }
  void ProcessPendingEvents() override {
    ++eventRounds;
    if (onPendingEvents) onPendingEvents();  // what arrives while the player waits
  }

  bool timer1 = false;
  bool timerFFT = false;
  bool timer2 = false;
  int timer2Interval = 1000;
  int responsiveRuns = 0;
  int eventRounds = 0;
  std::function<void()> whileResponsive;
  std::function<void()> onPendingEvents;
};

class RecordingShell : public RecordingCaptions,
                       public RecordingPanels,
                       public RecordingVisualArea,
                       public RecordingListViews,
                       public RecordingFrame,
                       public RecordingDialogs,
                       public RecordingTimers {
 public:
  operator Shell() { return {*this, *this, *this, *this, *this, *this, *this}; }
};

}  // namespace lirra::testing
