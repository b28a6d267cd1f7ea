#include "x11_frame_output.h"

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <chrono>

namespace lirra {

namespace {
xcb_connection_t* X(void* c) { return static_cast<xcb_connection_t*>(c); }
}  // namespace

X11FrameOutput::X11FrameOutput(uint32_t window, bool shareMemory) : window_(window) {
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) {
    xcb_disconnect(x);
    return;
  }
  connection_ = x;
  gc_ = xcb_generate_id(x);
  const uint32_t noExposures = 0;
  xcb_create_gc(x, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  maxRequestBytes_ = xcb_get_maximum_request_length(x) * 4u - 32u;  // less the request's header
  if (xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(x, xcb_get_geometry(x, window_), nullptr)) {
    depth_ = g->depth;
    free(g);
  }
  const xcb_query_extension_reply_t* shm = xcb_get_extension_data(x, &xcb_shm_id);
  shmOffered_ = shareMemory && shm && shm->present;
  if (shmOffered_) {
    completionEvent_ = static_cast<uint8_t>(shm->first_event + XCB_SHM_COMPLETION);
    shmMajor_ = shm->major_opcode;
  }
}

X11FrameOutput::~X11FrameOutput() {
  if (!connection_) return;
  detachSegment();
  xcb_free_gc(X(connection_), gc_);
  xcb_disconnect(X(connection_));
}

bool X11FrameOutput::attachSegment(size_t bytes) {
  detachSegment();
  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (id < 0) return false;
  void* address = shmat(id, nullptr, 0);
  bool attached = false;
  if (address != reinterpret_cast<void*>(-1)) {
    segment_ = xcb_generate_id(X(connection_));
    xcb_generic_error_t* error = xcb_request_check(X(connection_), xcb_shm_attach_checked(X(connection_), segment_, id, 1));
    attached = error == nullptr;  // a remote server cannot reach our memory
    free(error);
    if (!attached) shmdt(address);
  }
  shmctl(id, IPC_RMID, nullptr);  // gone once both sides let go
  if (!attached) return false;
  shmAddress_ = address;
  shmBytes_ = bytes;
  whole_ = true;
  return true;
}

void X11FrameOutput::detachSegment() {
  if (!shmAddress_) return;
  xcb_shm_detach(X(connection_), segment_);
  sync();  // the server lets go of the segment before we do
  shmdt(shmAddress_);
  shmAddress_ = nullptr;
  shmBytes_ = 0;
  putsPending_ = 0;
}

bool X11FrameOutput::finishesPut(const void* e) const {
  const auto* event = static_cast<const xcb_generic_event_t*>(e);
  if ((event->response_type & 0x7F) == completionEvent_) return true;
  // A put the server refused (the window went, say, as it was made anew) never completes.
  const auto* error = static_cast<const xcb_generic_error_t*>(e);
  return event->response_type == 0 && error->major_code == shmMajor_ && error->minor_code == XCB_SHM_PUT_IMAGE;
}

void X11FrameOutput::waitForServerToRead() {
  xcb_connection_t* x = X(connection_);
  xcb_flush(x);
  // A server far behind: wait rather than change the picture under it, but never long
  // (a frame drawn over is a torn frame; a window that stopped drawing is worse).
  using Clock = std::chrono::steady_clock;
  const Clock::time_point giveUp = Clock::now() + std::chrono::milliseconds(100);
  while (true) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
      if (finishesPut(event) && putsPending_ > 0) --putsPending_;
      free(event);
    }
    if (putsPending_ == 0) return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now()).count();
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    if (xcb_connection_has_error(x) || left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0) {
      putsPending_ = 0;
      return;
    }
  }
}

void X11FrameOutput::show(const uint32_t* pixels, int width, int height, int x, int y) {
  if (!connection_ || width <= 0 || height <= 0) return;
  const size_t rowPixels = static_cast<size_t>(width);
  const size_t bytes = rowPixels * static_cast<size_t>(height) * 4u;
  if (width != width_ || height != height_ || x != x_ || y != y_) {
    whole_ = true;
    width_ = width, height_ = height, x_ = x, y_ = y;
  }
  if (shmOffered_ && bytes > shmBytes_ && !attachSegment(std::max(bytes, shmBytes_ * 2))) shmOffered_ = false;
  if (shmAddress_) {
    waitForServerToRead();
    shown_ = static_cast<uint32_t*>(shmAddress_);
  } else {
    if (copy_.size() < rowPixels * static_cast<size_t>(height)) copy_.resize(rowPixels * static_cast<size_t>(height));
    shown_ = copy_.data();
  }
  int first = height, last = -1;
  for (int row = 0; row < height; ++row) {
    const uint32_t* from = pixels + row * rowPixels;
    uint32_t* to = shown_ + row * rowPixels;
    if (!whole_ && std::memcmp(from, to, rowPixels * 4u) == 0) continue;
    std::memcpy(to, from, rowPixels * 4u);
    first = std::min(first, row);
    last = row;
  }
  whole_ = false;
  if (last >= first) send(first, last - first + 1);
}

void X11FrameOutput::resend() {
  if (connection_ && shown_ && height_ > 0) send(0, height_);
}

void X11FrameOutput::send(int firstRow, int rows) {
  const auto w = static_cast<uint16_t>(width_);
  if (shmAddress_) {
    xcb_shm_put_image(X(connection_), window_, gc_, w, static_cast<uint16_t>(height_), 0,
                      static_cast<uint16_t>(firstRow), w, static_cast<uint16_t>(rows), static_cast<int16_t>(x_),
                      static_cast<int16_t>(y_ + firstRow), depth_, XCB_IMAGE_FORMAT_Z_PIXMAP, 1, segment_, 0);
    ++putsPending_;
    return;
  }
  const uint32_t rowBytes = static_cast<uint32_t>(width_) * 4u;
  const int rowsPerRequest = std::max<int>(1, static_cast<int>(maxRequestBytes_ / rowBytes));
  for (int row = firstRow; row < firstRow + rows; row += rowsPerRequest) {
    const int n = std::min(rowsPerRequest, firstRow + rows - row);
    xcb_put_image(X(connection_), XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, w, static_cast<uint16_t>(n),
                  static_cast<int16_t>(x_), static_cast<int16_t>(y_ + row), 0, depth_,
                  rowBytes * static_cast<uint32_t>(n),
                  reinterpret_cast<const uint8_t*>(shown_ + static_cast<size_t>(row) * width_));
  }
}

void X11FrameOutput::fill(int x, int y, int width, int height, uint32_t rgb) {
  if (!connection_ || width <= 0 || height <= 0) return;
  xcb_connection_t* c = X(connection_);
  xcb_change_gc(c, gc_, XCB_GC_FOREGROUND, &rgb);
  const xcb_rectangle_t r{static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<uint16_t>(width),
                          static_cast<uint16_t>(height)};
  xcb_poly_fill_rectangle(c, window_, gc_, 1, &r);
}

void X11FrameOutput::flush() {
  if (connection_) xcb_flush(X(connection_));
}

}  // namespace lirra

namespace lirra {
void X11FrameOutput::sync() {
  if (connection_) free(xcb_get_input_focus_reply(X(connection_), xcb_get_input_focus(X(connection_)), nullptr));
}
}  // namespace lirra
