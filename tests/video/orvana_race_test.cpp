// The windowless graphs under ThreadSanitizer. Their sources announce outputs on streaming
// threads, frames arrive on the sink's thread and sound is shaped on the audio thread,
// while the host asks for the picture's size, snapshots and changes the volume: everything
// they share must be guarded. The library is a build of its own with the thread checker
// (it cannot share a process with the address checker); a report fails the run.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
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

TEST(OrvanaThreads, WindowlessGraphsGuardWhatTheirThreadsShare) {
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
  for (int mode : {1, 2}) {
    o.Orvana_SetConfig(256, mode);
    ASSERT_EQ(o.Orvana_MediaLoad(1, 0, video.c_str(), 0, nullptr), 0) << "mode " << mode;
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
  std::system((std::string("rm -rf ") + folder).c_str());
}

}  // namespace
