// The graphs under ThreadSanitizer: the one that draws into a window (mode 0) and the two
// windowless ones. Their sources announce outputs on streaming threads, frames arrive on
// the sink's thread and sound is shaped on the audio thread, while the host asks for the
// picture's size, snapshots and changes the volume: everything they share must be guarded. The library is a build of its own with the thread checker
// (it cannot share a process with the address checker); a report fails the run.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <utility>
#include <string>

#include "orvana.h"
#include "orvana_library.h"

extern "C" {
// Only what instrumented code (the library) does is checked: GStreamer, GLib and the
// decoders are not built for the checker and copy and free on their own threads in ways it
// cannot follow. Their locks are still seen.
__attribute__((visibility("default"), used)) const char* __tsan_default_options() {
  return "ignore_noninstrumented_modules=1:halt_on_error=0:exitcode=66";
}
// A sound stage hands itself to its pad probe under the pad's object lock, a GLib lock the
// checker cannot see.
__attribute__((visibility("default"), used)) const char* __tsan_default_suppressions() {
  return "race:orvana::AudioShaper::Attach\n";
}
}

namespace {

TEST(OrvanaThreads, GraphsGuardWhatTheirThreadsShare) {
  char folder[] = "/tmp/orvana-race-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string video = std::string(folder) + "/av.mp4";
  const std::string make = "ffmpeg -loglevel error -y -f lavfi -i testsrc=s=320x240:r=25:d=3 -f lavfi -i "
                           "sine=frequency=440:duration=3 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest " +
                           video;
  ASSERT_EQ(std::system(make.c_str()), 0);
  orvana_host::OrvanaLibrary o;
  ASSERT_TRUE(o.bind(ORVANA_THREAD_CHECKED_LIBRARY)) << dlerror();
  ASSERT_EQ(o.Orvana_Init(0, nullptr), ORVANA_TRUE);
  // A window of the test's own for the graph that draws into one (mode 0).
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  ASSERT_FALSE(xcb_connection_has_error(x)) << "needs the test run's X server";
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const xcb_window_t window = xcb_generate_id(x);
  xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 320, 240, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, 0, nullptr);
  xcb_map_window(x, window);
  free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
  for (const auto& [mode, owner] : {std::pair<int, uintptr_t>{0, window}, {1, 0}, {2, 0}}) {
    o.Orvana_SetConfig(256, mode);
    ASSERT_EQ(o.Orvana_MediaLoad(1, owner, video.c_str(), 0, nullptr), 0) << "mode " << mode;
    for (int i = 0; i < 20; ++i) {  // about a second of playing
      OrvanaVideoInfo info{0, 0, 0};
      o.Orvana_GetVideoInfo(&info);
      EXPECT_EQ(info.width, 320) << "mode " << mode;
      if (OrvanaBitmap* shot = o.Orvana_BitmapHandle()) OrvanaFreeBitmap(shot);
      o.Orvana_SetVolume(5000 + 200 * i);
      o.Orvana_SetBalance(-i * 100);
      usleep(50000);
    }
    EXPECT_EQ(o.Orvana_MediaState(ORVANA_CLOSE), ORVANA_TRUE);
  }
  o.Orvana_Free();
  xcb_destroy_window(x, window);
  xcb_disconnect(x);
  std::system((std::string("rm -rf ") + folder).c_str());
}

}  // namespace
