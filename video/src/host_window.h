// What the library needs of the host's windows: their client size, and modal message boxes
// on them. The host is a Qt application (the window ids are its native widgets); without
// one, boxes go to standard error.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace orvana {

// The host's widget of a window id; null without a Qt application or for a foreign window.
QWidget* HostWidget(uintptr_t window);
bool ClientSize(uintptr_t window, int32_t* width, int32_t* height);
// Whether the X server knows a window of that id (true where it cannot be asked): an id
// that does not exist would end a host that has no X error handler once a sink draws
// into it.
bool WindowExists(uintptr_t window);
enum class BoxIcon { Error, Warning, Information };
// A modal box with one OK button, a top-level dialog with `caption` as its title.
void ShowMessageBox(uintptr_t owner, const std::string& text, const std::string& caption, BoxIcon icon);
// The modal about box on the owner window: 1 when closed (OK or the close button), 0
// without a Qt application.
int32_t ShowAboutBox(uintptr_t owner);

}  // namespace orvana

namespace orvana {

// The renderer's window: a native child of the host window that the picture is drawn into
// and that is placed letter-boxed in the host's client area. 0 when the host window is
// not a widget of this process (the sink then draws into the host window itself).
// In full screen its mouse and key input goes on to the host window (as a child's unused
// input does), and a close by the user brings the picture back into the host window and
// calls `closedByUser`.
uintptr_t CreateVideoChild(uintptr_t owner, std::function<void()> closedByUser = {});
void PlaceVideoChild(uintptr_t child, int32_t x, int32_t y, int32_t width, int32_t height, bool visible);
void DestroyVideoChild(uintptr_t child);
// Full screen on or off; answers whether it is on afterwards.
bool VideoChildFullScreen(uintptr_t child);
void SetVideoChildFullScreen(uintptr_t child, bool on);
// Resizes a host window's client area.
bool ResizeWindow(uintptr_t window, int32_t width, int32_t height);

}  // namespace orvana

namespace orvana {

// The URL dropper: text (or file names) dropped on the host window go to the callback,
// as UTF-8, for the duration of the call. Null when the window is not a widget of this
// process; removing it stops taking drops.
void* InstallDropTarget(uintptr_t window, void (*callback)(const char* text));
void RemoveDropTarget(void* target);

}  // namespace orvana
