// What the player's logic asks of the window it runs in, by role: captions and texts, the
// two list views, the window frame, dialogs, and timers. Each feature uses only the roles
// it needs; the main window's parts implement them and logic tests record them. All calls
// come on the UI thread.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

#include "track_list.h"
#include "ui_texts.h"
#include "window_layout.h"
#include "window_look.h"

namespace lirra {

// Captions, hints and fonts of the controls, the application title, the progress gauge.
class Captions {
 public:
  virtual ~Captions() = default;
  virtual void SetCaption(ControlId control, const QString& text) = 0;
  virtual void SetHint(ControlId control, const QString& text) = 0;
  virtual void SetFont(ControlId control, const FontSpec& font) = 0;
  virtual void SetWindowTitle(const QString& title) = 0;
  // The progress gauge: range and position in whole seconds.
  virtual void SetProgress(int range, int position) = 0;
  // lbTime takes the width of its text (right edge kept) and the title is cut to end
  // one pixel left of it.
  virtual void FitTitleWidth() = 0;
  // The colours of every control.
  virtual void SetColours(const WindowColours& colours) = 0;
  // A caption's own text colour; none: the caption colour of the window (lbTime's).
  virtual void SetTextColour(ControlId control, std::optional<Rgb> colour) = 0;
};

// Which of the window's controls show: the three panels of the central area, the bottom
// strip and its glyph, the skin-name edge.
class Panels {
 public:
  virtual ~Panels() = default;
  virtual void SetVisible(ControlId control, bool visible) = 0;
};

enum class ListFocus { None, TrackList, Library };
enum class PointerButton { Left, Right, Middle };

// The track list view (MList) and the playlist library (ListView1 on pnList).
class ListViews {
 public:
  virtual ~ListViews() = default;
  // The track list view shows the list's entries and selection again.
  virtual void TrackListChanged(const TrackList& list) = 0;
  virtual void ScrollTrackIntoView(int row) = 0;
  virtual void ScrollLibraryIntoView(int row) = 0;
  // The playlist library view shows its rows and selection again.
  virtual void LibraryChanged(const PlaylistLibrary& library) = 0;
  // Shows or hides the track list view and the library panel; the list area is laid out
  // again.
  virtual void SetTrackListVisible(bool visible) = 0;
  virtual void SetLibraryPanelVisible(bool visible) = 0;
  // Which of the two views has the keyboard focus, and moving it.
  virtual ListFocus FocusedList() = 0;
  virtual void FocusList(ListFocus view) = 0;
  // The popup menu's editing-sensitive shortcuts (Delete, A, Enter, Right, P, T) on or off.
  virtual void SetEditShortcuts(bool on) = 0;
};

// The paint box of the visual area, where the spectrum shows.
class VisualArea {
 public:
  virtual ~VisualArea() = default;
  // Its place inside the visual area's panel.
  virtual void SetVisBox(const QRect& box) = 0;
  // A composed frame, shown at once and whole, placed at `at` inside the box.
  virtual void ShowSpectrumFrame(const SkinImage& frame, QPoint at) = 0;
  // The box black (see-through while the colour key is on).
  virtual void ClearVisBox() = 0;
};

// The window in front on the desktop: the player's own, or another one's title (empty where
// it cannot be read).
struct ForegroundWindow {
  bool isMainWindow = false;
  QString title;
};

// The borderless window itself.
class WindowFrame {
 public:
  virtual ~WindowFrame() = default;
  // Asks the window to close; the close runs the player's close query and close.
  virtual void CloseMainWindow() = 0;
  // Restores the window when minimised and brings it to the front.
  virtual void BringToFront() = 0;
  // The window's alpha: 192 of 255 while on (without a compositor it has no effect).
  virtual void SetAlphaBlend(bool on) = 0;
  // The topmost band, without moving the window.
  virtual void SetTopmost(bool on) = 0;
  // Whether other code may draw into the window's native windows (X11); a Wayland
  // compositor lets nobody else into a client's surfaces.
  virtual bool NativeWindowsDrawable() = 0;
  // Native window ids handed to the engine and the video library.
  virtual uintptr_t WindowId() = 0;
  virtual uintptr_t VideoWindowId() = 0;
  // The visual area's native window, where visualisation plug-ins are shown.
  virtual uintptr_t VisualWindowId() = 0;
  // The size of another native window (a plug-in's own), empty when it cannot be read.
  virtual QSize NativeWindowSize(uintptr_t window) = 0;
  // The work area of the window's screen, and that whole screen where it lies on the desktop
  // (a second monitor's starts right of or below the first's).
  virtual QRect WorkArea() = 0;
  virtual QRect ScreenBounds() = 0;
  // Left, top and client size; Place sets all four at once.
  virtual QRect Bounds() = 0;
  virtual void Place(const QRect& bounds) = 0;
  virtual void Minimise() = 0;
  virtual bool IsMinimised() = 0;
  // The window's region (the window is redrawn).
  virtual void SetShape(const WindowShape& shape) = 0;
  // The picture the frame is painted from (none: no skin); the window is repainted.
  virtual void SetSkinPicture(const SkinImage* picture) = 0;
  // While on, pure black shows what lies behind the window (needs a compositor).
  virtual void SetColourKey(bool on) = 0;
  virtual void SetCursorHidden(bool hidden) = 0;
  virtual ForegroundWindow Foreground() = 0;
  // The tray icon (the program's own picture) and its tip.
  virtual void ShowTrayIcon(bool shown) = 0;
  virtual void SetTrayTip(const QString& tip) = 0;
  // The window's button in the desktop's taskbar hidden (while minimised) or shown.
  virtual void SetTaskbarButtonHidden(bool hidden) = 0;
  // Whether the desktop shows tray icons at all (stock GNOME does not).
  virtual bool TrayHostAvailable() = 0;
};

// Modal dialogs.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A message box with one OK button.
  virtual void ShowMessage(const QString& text, const QString& caption) = 0;
  // A message that waits for nothing (the player goes on meanwhile); CloseNotice takes it
  // away if the listener has not.
  virtual void ShowNotice(const QString& text, const QString& caption) = 0;
  virtual void CloseNotice() = 0;
  // Closes a message box of the video library titled "Error" when one shows; true if so.
  virtual bool CloseVideoLibraryErrorBox() = 0;
  // A question with Yes and No (the question icon); true for Yes.
  virtual bool AskYesNo(const QString& text, const QString& caption) = 0;
  // The open-file dialog (several files may be chosen); nothing when cancelled.
  virtual std::optional<QStringList> ChooseFilesToOpen(const QString& filter, const QString& initialDir) = 0;
  // The add-folder dialog; it adds through the player itself.
  virtual void ShowAddFolderDialog() = 0;
};

enum class TimerId {
  Timer1,    // the playback clock, 100 ms
  Timer2,    // the schedule clock
  TimerFFT,  // the spectrum, 33 ms
};

// The window's timers, and waiting for work without stopping them.
class Timers {
 public:
  virtual ~Timers() = default;
  // A timer of the main window on or off; while on it calls the player's handler.
  virtual void SetTimer(TimerId timer, bool on) = 0;
  virtual void SetTimerInterval(TimerId timer, int milliseconds) = 0;
  // Runs `work` (a blocking open) off the UI thread and returns when it is done, while
  // the window keeps handling events and the timers keep running.
  virtual void RunWhileResponsive(const std::function<void()>& work) = 0;
  // Handles the events that are waiting (while a plug-in is being shut down).
  virtual void ProcessPendingEvents() = 0;
};

// The roles together, as the player's context holds them.
struct Shell {
  Captions& captions;
  Panels& panels;
  VisualArea& visual;
  ListViews& views;
  WindowFrame& frame;
  Dialogs& dialogs;
  Timers& timers;
};

}  // namespace lirra
