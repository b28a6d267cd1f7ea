// Puts pictures straight into an X window: the spectrum's frames go to the server without
// the toolkit's repaint pass and back buffer. Frames travel through a shared-memory segment
// when the server offers one (no copy through the socket), else in the request itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lirra {

class X11FrameOutput {
 public:
  // Opens a connection of its own, so the server's completion events never reach the
  // toolkit. `ok()` is false when the display cannot be reached. Without `shareMemory` the
  // frames always travel in the requests.
  explicit X11FrameOutput(uint32_t window, bool shareMemory = true);
  ~X11FrameOutput();
  X11FrameOutput(const X11FrameOutput&) = delete;
  X11FrameOutput& operator=(const X11FrameOutput&) = delete;

  bool ok() const { return connection_ != nullptr; }
  bool sharesMemory() const { return shmAddress_ != nullptr; }
  // Shows a frame of 32-bit pixels (0x00RRGGBB, rows `width` pixels apart) at (x, y) in the
  // window. Only the rows that differ from the frame shown before travel: most of a
  // spectrum is the same from one frame to the next.
  void show(const uint32_t* pixels, int width, int height, int x, int y);
  // The window lost its picture: the next frame goes out whole.
  void invalidate() { whole_ = true; }
  // The frame shown last, whole, again (after an expose).
  void resend();
  void fill(int x, int y, int width, int height, uint32_t rgb);
  void flush();
  // Waits until the server has drawn all that was sent (a reader on another connection
  // would otherwise race it).
  void sync();

 private:
  bool attachSegment(size_t bytes);
  void detachSegment();
  // Until the server has read the segment's last puts, or 100 ms at most.
  void waitForServerToRead();
  bool finishesPut(const void* event) const;
  void send(int firstRow, int rows);

  void* connection_ = nullptr;
  uint32_t window_ = 0;
  uint32_t gc_ = 0;
  uint32_t maxRequestBytes_ = 0;
  uint8_t depth_ = 24;
  bool shmOffered_ = false;
  uint8_t completionEvent_ = 0;
  uint8_t shmMajor_ = 0;
  uint32_t segment_ = 0;
  void* shmAddress_ = nullptr;
  size_t shmBytes_ = 0;
  int putsPending_ = 0;         // puts from the segment the server has not finished
  std::vector<uint32_t> copy_;  // what is shown, when there is no shared segment
  uint32_t* shown_ = nullptr;   // the segment or copy_
  int width_ = 0, height_ = 0, x_ = 0, y_ = 0;
  bool whole_ = true;
};

}  // namespace lirra
