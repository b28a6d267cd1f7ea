// Whether the program has a display to show its window on, checked before Qt starts (Qt
// would abort with a core dump rather than explain).
#pragma once

#include <cstdint>
#include <string>

namespace lirra {

// The connection the check made, kept open until Qt has made its own: an X server whose
// last client leaves resets itself, and Qt's connection would wait for that.
class DisplayHold {
 public:
  DisplayHold() = default;
  ~DisplayHold() { release(); }
  DisplayHold(const DisplayHold&) = delete;
  DisplayHold& operator=(const DisplayHold&) = delete;
  void release();

 private:
  friend bool HasDisplay(std::string* why, DisplayHold* hold);
  void* connection_ = nullptr;
};

// Sets QT_QPA_PLATFORM, unless it is set, to the Qt platform the window is to use: on a
// Wayland session that also offers X (XWayland), "xcb", so that the window places itself,
// snaps, and shows video and plug-ins in its own native windows as on X; native Wayland
// ("wayland", falling back to "xcb" where X is there) where only Wayland is, or where
// LIRRA_WAYLAND=1 asks for it; nothing (Qt's own choice) without Wayland.
void ApplyQtPlatformChoice();

// Returns true when a window can be shown: an explicit Qt platform other than X11 was
// chosen (QT_QPA_PLATFORM), or the X server named by DISPLAY accepts a connection (kept in
// `hold` when given). Otherwise false, with a plain explanation in `why`.
bool HasDisplay(std::string* why, DisplayHold* hold = nullptr);

// Whether a compositing manager runs on the X screen (it owns _NET_WM_CM_S<screen>):
// only then do see-through windows show what lies behind them.
bool CompositorRunning(void* xcbConnection, int screen);

// Waits until the X server has handled every request sent on `xcbConnection` (null: returns
// at once). A window made on one connection exists for the others (a plug-in's, the video
// library's, the spectrum's output) only from then on; before, their requests on it fail.
void WaitForX11Server(void* xcbConnection);

// The size of an X window (0 x 0 when it does not exist).
struct WindowSize {
  int width = 0;
  int height = 0;
};
WindowSize NativeX11WindowSizeOf(void* xcbConnection, uint32_t window);

// The window the window manager says is active (_NET_ACTIVE_WINDOW of the first screen's
// root) and its title (_NET_WM_NAME, else WM_NAME); window 0 and no title where nothing
// can be read.
struct ActiveWindow {
  uint32_t window = 0;
  std::string title;  // UTF-8
};
ActiveWindow ActiveX11Window(void* xcbConnection);

// Asks the window manager to leave the window out of the taskbar, or to show it there again
// (_NET_WM_STATE_SKIP_TASKBAR, as EWMH asks of a mapped window).
void SetX11SkipTaskbar(void* xcbConnection, uint32_t window, bool skip);

}  // namespace lirra
