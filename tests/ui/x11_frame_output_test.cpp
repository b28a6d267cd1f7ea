// Frames put straight into an X window: what the server shows is the last frame, whole,
// whichever rows changed, after a move and after the window lost its picture.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <memory>
#include <vector>

#include "display.h"
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

// Puts into a window that is gone are refused, never completed: the next frame must not
// wait for them (the window is made anew when its stacking changes).
TEST_P(FrameOutputOnScreen, AWindowThatWentNeverHoldsUpTheNextFrame) {
  const std::vector<uint32_t> frame = Pattern(2);
  out_->show(frame.data(), kW, kH, 0, 0);
  xcb_destroy_window(x_, window_);
  free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));
  for (int i = 0; i < 3; ++i) out_->show(Pattern(3 + i).data(), kW, kH, 0, 0);  // hangs before the mend
  out_->flush();
  window_ = 0;
}

INSTANTIATE_TEST_SUITE_P(SharedAndInRequests, FrameOutputOnScreen, testing::Bool());

// The window in front, as the tray's check reads it: the id the window manager announces on
// the root and that window's title (UTF-8 name first, the old name otherwise).
TEST(ActiveWindow, IsReadFromTheRootAndTheWindowsName) {
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  ASSERT_EQ(xcb_connection_has_error(x), 0);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const auto atom = [x](const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, strlen(name), name), nullptr);
    const xcb_atom_t a = r->atom;
    free(r);
    return a;
  };
  const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
  const auto makeWindow = [&](xcb_atom_t property, xcb_atom_t type, const std::string& title) {
    const xcb_window_t w = xcb_generate_id(x);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, w, property, type, 8, title.size(), title.data());
    return w;
  };
  const xcb_window_t utf8 = makeWindow(atom("_NET_WM_NAME"), atom("UTF8_STRING"), "Avs \xE6\xAD\x8C");
  const xcb_window_t old = makeWindow(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "Terminal");
  for (const auto& [window, title] : {std::pair{utf8, std::string("Avs \xE6\xAD\x8C")}, std::pair{old, std::string("Terminal")}}) {
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, screen->root, active, XCB_ATOM_WINDOW, 32, 1, &window);
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    const ActiveWindow front = ActiveX11Window(x);
    EXPECT_EQ(front.window, window);
    EXPECT_EQ(front.title, title);
  }
  xcb_delete_property(x, screen->root, active);
  EXPECT_EQ(ActiveX11Window(x).window, 0u) << "no window manager says: nothing";
  xcb_disconnect(x);
}

// Leaving the taskbar is a request to the window manager: this test stands in for one.
TEST(TaskbarButton, IsHiddenAndShownByAskingTheWindowManager) {
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  ASSERT_EQ(xcb_connection_has_error(x), 0);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
  ASSERT_EQ(xcb_request_check(x, xcb_change_window_attributes_checked(x, screen->root, XCB_CW_EVENT_MASK, &redirect)),
            nullptr)
      << "another window manager runs";
  xcb_connection_t* player = xcb_connect(nullptr, nullptr);
  const xcb_window_t window = 0x1234;  // the message names the window; it need not exist here
  for (bool hide : {true, false}) {
    SetX11SkipTaskbar(player, window, hide);
    xcb_generic_event_t* event = xcb_wait_for_event(x);
    ASSERT_NE(event, nullptr);
    ASSERT_EQ(event->response_type & 0x7F, XCB_CLIENT_MESSAGE);
    const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
    xcb_get_atom_name_reply_t* type = xcb_get_atom_name_reply(x, xcb_get_atom_name(x, message->type), nullptr);
    xcb_get_atom_name_reply_t* state =
        xcb_get_atom_name_reply(x, xcb_get_atom_name(x, message->data.data32[1]), nullptr);
    ASSERT_TRUE(type && state) << "the message names no atoms";
    EXPECT_EQ(std::string(xcb_get_atom_name_name(type), xcb_get_atom_name_name_length(type)), "_NET_WM_STATE");
    EXPECT_EQ(std::string(xcb_get_atom_name_name(state), xcb_get_atom_name_name_length(state)),
              "_NET_WM_STATE_SKIP_TASKBAR");
    EXPECT_EQ(message->window, window);
    EXPECT_EQ(message->data.data32[0], hide ? 1u : 0u) << "add, then remove";
    free(type);
    free(state);
    free(event);
  }
  xcb_disconnect(player);
  xcb_disconnect(x);
}

}  // namespace
}  // namespace lirra
