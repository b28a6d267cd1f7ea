// A hundred loads and closes of a medium, and twenty of a DVD steered about, with the leak
// checker on at exit: nothing the library allocates itself may be lost. GStreamer's own
// objects come from GLib's allocator, whose one-time blocks the checker is told to ignore;
// GStreamer's leak tracer counts its elements, pads and buses instead. No window and no Qt
// application: the library renders into a sink of its own.
#include <dlfcn.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <string>

#include "orvana.h"
#include "orvana_library.h"
#include "test_disc.h"

namespace {

using namespace Qt::StringLiterals;

constexpr const char* kLibrary = LIRRA_APP_DIR "/liborvana.so";

// GStreamer's objects alive now, as its leak tracer counts them (-1 without the tracer),
// leaving out those of the type `except` names.
int LiveGstObjects(const char* except = nullptr) {
  int live = -1;
  GList* tracers = gst_tracing_get_active_tracers();
  for (GList* t = tracers; t; t = t->next) {
    if (g_strcmp0(G_OBJECT_TYPE_NAME(t->data), "GstLeaksTracer") != 0) continue;
    GstStructure* info = nullptr;
    g_signal_emit_by_name(t->data, "get-live-objects", &info);
    const GValue* list = gst_structure_get_value(info, "live-objects-list");
    live = 0;
    for (guint i = 0; i < gst_value_list_get_size(list); ++i) {
      const GstStructure* object = gst_value_get_structure(gst_value_list_get_value(list, i));
      const GValue* value = gst_structure_get_value(object, "object");
      GObject* o = value && G_VALUE_HOLDS_OBJECT(value) ? G_OBJECT(g_value_get_object(value)) : nullptr;
      live += !(except && o && g_strcmp0(G_OBJECT_TYPE_NAME(o), except) == 0);
    }
    gst_structure_free(info);
  }
  g_list_free_full(tracers, gst_object_unref);
  return live;
}

TEST(OrvanaLeaks, AHundredLoadsAndClosesLoseNothing) {
  // GStreamer's leak tracer, set up before the library starts GStreamer, sees its objects
  // (buffers and events are left out: following every one of them crashes GStreamer here).
  setenv("GST_TRACERS", "leaks(filters=\"GstElement,GstPad,GstBus\")", 1);
  QTemporaryDir dir;
  const QString tone = dir.filePath(u"tone.ogg"_s);
  QProcess ffmpeg;
  ffmpeg.start(u"ffmpeg"_s, {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                            u"sine=frequency=440:duration=1"_s, u"-c:a"_s, u"libvorbis"_s, tone});
  ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
  orvana_host::OrvanaLibrary o;
  ASSERT_TRUE(o.bind(kLibrary)) << dlerror();
  ASSERT_EQ(o.Orvana_Init(0, nullptr), ORVANA_TRUE);
  const std::string file = tone.toStdString();
  int afterFirst = 0;
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(o.Orvana_MediaLoad(0, 0, file.c_str(), 0, nullptr), 0) << "load " << i;
    EXPECT_EQ(o.Orvana_GetSeconds(4), 1);
    EXPECT_EQ(o.Orvana_MediaState(ORVANA_CLOSE), ORVANA_TRUE);
    if (i == 0) afterFirst = LiveGstObjects();  // the plug-ins' features loaded once stay
  }
  ASSERT_GE(afterFirst, 0) << "GStreamer's leak tracer";
  EXPECT_EQ(LiveGstObjects(), afterFirst) << "elements, pads or buses kept by the closes";
  o.Orvana_Free();  // the exit-time scan then finds whatever a load left unreachable
}

// GStreamer's DVD bin keeps two queue pads of every disc it played, also in a plain playbin
// that only opens and closes the disc: not the library's to free.
constexpr const char* kDvdBinsOwnLeak = "GstMultiQueuePad";

TEST(OrvanaLeaks, DiscsSteeredAndClosedLoseNothing) {
  setenv("GST_TRACERS", "leaks(filters=\"GstElement,GstPad,GstBus\")", 1);  // when run on its own
  QTemporaryDir dir;
  ASSERT_TRUE(orvana_host::AuthorTestDisc(dir.path()));
  orvana_host::OrvanaLibrary o;
  ASSERT_TRUE(o.bind(kLibrary)) << dlerror();
  ASSERT_EQ(o.Orvana_Init(0, nullptr), ORVANA_TRUE);
  o.Orvana_SetConfig(256, 3);
  const std::string disc = dir.filePath(u"DVD"_s).toStdString();
  const std::u16string mark = dir.filePath(u"mark"_s).toStdU16String();
  OrvanaBSTR markName = OrvanaAllocString(mark.c_str(), static_cast<uint32_t>(mark.size()));
  int afterFirst = 0;
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(o.Orvana_MediaLoad(0, 0, disc.c_str(), 0, nullptr), 0) << "load " << i;
    EXPECT_EQ(o.Orvana_DVD_SetTitle(1), ORVANA_TRUE);
    EXPECT_EQ(o.Orvana_DVD_NextChapter(), ORVANA_TRUE);
    EXPECT_EQ(o.Orvana_DVD_Backwards(), ORVANA_TRUE);
    o.Orvana_DVD_SaveBookmark(markName);
    EXPECT_EQ(o.Orvana_MediaState(ORVANA_CLOSE), ORVANA_TRUE);
    if (i == 0) afterFirst = LiveGstObjects(kDvdBinsOwnLeak);
  }
  OrvanaFreeString(markName);
  ASSERT_GE(afterFirst, 0) << "GStreamer's leak tracer";
  EXPECT_EQ(LiveGstObjects(kDvdBinsOwnLeak), afterFirst) << "elements, pads or buses kept by the closes";
  o.Orvana_Free();
}

}  // namespace
