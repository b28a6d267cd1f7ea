// Frames put straight into an X window: what the server shows is the last frame, whole,
// whichever rows changed, after a move and after the window lost its picture.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "x11_frame_output.h"

namespace lirra {
namespace {

constexpr int kW = 64, kH = 40;  // the frame
constexpr int kWindow = 100;

// A frame with detail in every row, so a row put in the wrong place shows.
std::vector<uint32_t> Pattern(uint32_t seed) {
  std::vector<uint32_t> p(kW * kH);
  for (int i = 0; i < kW * kH; ++i) p[i] = (static_cast<uint32_t>(i) * 2654435761u + seed) & 0xFFFFFFu;
  return p;
}

class FrameOutputOnScreen : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    x_ = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(x_), 0) << "needs an X server (DISPLAY)";
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x_)).data;
    ASSERT_EQ(screen->root_depth, 24);
    window_ = xcb_generate_id(x_);
    xcb_create_window(x_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, kWindow, kWindow, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(x_, window_);
    free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));  // mapped before drawing
    out_ = std::make_unique<X11FrameOutput>(window_, GetParam());
    ASSERT_TRUE(out_->ok());
  }
  void TearDown() override {
    out_.reset();
    if (x_) xcb_disconnect(x_);
  }
  // The window's pixels at (x, y, kW, kH), read back from the server.
  std::vector<uint32_t> Shown(int x, int y) {
    out_->sync();
    xcb_get_image_reply_t* r = xcb_get_image_reply(
        x_, xcb_get_image(x_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, static_cast<int16_t>(x), static_cast<int16_t>(y), kW, kH, ~0u),
        nullptr);
    std::vector<uint32_t> p;
    if (!r) return p;
    const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(r));
    for (int i = 0; i < kW * kH; ++i) p.push_back(data[i] & 0xFFFFFFu);
    free(r);
    return p;
  }

  xcb_connection_t* x_ = nullptr;
  xcb_window_t window_ = 0;
  std::unique_ptr<X11FrameOutput> out_;
};

TEST_P(FrameOutputOnScreen, TheWindowShowsTheLastFrameWhole) {
  std::vector<uint32_t> frame = Pattern(1);
  struct Step {
    const char* what;
    int changedRow;  // -1: none
    int x, y;
    bool clobber;    // something else drew over the window first
  };
  const Step steps[] = {
      {"first frame", -1, 10, 20, false},      {"a middle row changed", 17, 10, 20, false},
      {"first and last rows", 0, 10, 20, false}, {"nothing changed", -1, 10, 20, false},
      {"moved", 5, 30, 2, false},              {"window lost its picture", -1, 30, 2, true},
  };
  for (const Step& s : steps) {
    if (s.changedRow >= 0) {
      for (int x = 0; x < kW; ++x) frame[s.changedRow * kW + x] ^= 0x00FF00u;
      if (s.changedRow == 0)
        for (int x = 0; x < kW; ++x) frame[(kH - 1) * kW + x] ^= 0x0000FFu;
    }
    if (s.clobber) {
      const uint32_t white = 0xFFFFFF;
      xcb_gcontext_t gc = xcb_generate_id(x_);
      xcb_create_gc(x_, gc, window_, XCB_GC_FOREGROUND, &white);
      const xcb_rectangle_t all{0, 0, kWindow, kWindow};
      xcb_poly_fill_rectangle(x_, window_, gc, 1, &all);
      xcb_free_gc(x_, gc);
      free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));  // drawn before the frame
      out_->invalidate();
    }
    out_->show(frame.data(), kW, kH, s.x, s.y);
    EXPECT_EQ(Shown(s.x, s.y), frame) << s.what;
  }
  EXPECT_EQ(out_->sharesMemory(), GetParam()) << "the shared segment should be used exactly when asked for";
}

INSTANTIATE_TEST_SUITE_P(SharedAndInRequests, FrameOutputOnScreen, testing::Bool());

}  // namespace
}  // namespace lirra
