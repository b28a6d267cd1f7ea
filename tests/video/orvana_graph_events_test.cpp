// What the graph tells the host while it plays and how it keeps going: buffering of a slow
// stream, a clock that is lost and chosen again, a clock that goes wrong.
#include <gst/audio/gstaudioclock.h>
#include <gst/gst.h>

#include <atomic>

#include "http_server.h"
#include "orvana_host_fixture.h"

namespace orvana_host {
namespace {

std::vector<int32_t> g_buffering;
void RecordBuffering(int32_t code, int32_t param1, int32_t) {
  if (code == ORVANA_EC_BUFFERING_DATA) g_buffering.push_back(param1);
}

// A slow network: the host hears when buffering starts (1) and when it ends (0), once each
// time, not at every percent in between.
TEST_F(OrvanaHost, BufferingIsToldWhenItStartsAndWhenItEnds) {
  ASSERT_TRUE(Ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=s=320x240:r=25:d=6"_s, u"-c:v"_s, u"libx264"_s,
                      u"-g"_s, u"25"_s, u"-pix_fmt"_s, u"yuv420p"_s, u"-movflags"_s, u"+faststart"_s,
                      MediaFile("stream.mp4")}));
  QFile mp4(MediaFile("stream.mp4"));
  ASSERT_TRUE(mp4.open(QIODevice::ReadOnly));
  const QByteArray body = mp4.readAll();
  lirra::testing::HttpServer server(lirra::testing::HttpServer::Mode::File, body.toStdString(), "video/mp4");
  server.throttle(static_cast<size_t>(body.size()) / 6 / 2);  // half the stream's own rate
  g_buffering.clear();
  ASSERT_EQ(Lib().Orvana_MediaLoad(1, owner_.winId(), server.url("/stream.mp4").c_str(), 0, RecordBuffering), 0);
  ASSERT_TRUE(QTest::qWaitFor([] { return !g_buffering.empty(); }, 5000)) << "the stream buffered";
  QTest::qWait(1000);
  server.throttle(0);  // the network recovers: buffering ends
  ASSERT_TRUE(QTest::qWaitFor([] { return g_buffering.size() >= 2; }, 5000)) << "buffering ended";
  EXPECT_EQ(g_buffering.front(), 1);
  for (size_t i = 1; i < g_buffering.size(); ++i) EXPECT_NE(g_buffering[i], g_buffering[i - 1]) << "event " << i;
}

// The element of the graph whose clock the graph runs on (a new reference).
GstElement* ClockProvider(GstElement* graph, GstClock* clock) {
  GstElement* provider = nullptr;
  GstIterator* it = gst_bin_iterate_recurse(GST_BIN(graph));
  GValue item = G_VALUE_INIT;
  while (!provider && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
    auto* element = GST_ELEMENT(g_value_get_object(&item));
    GstClock* own = GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_PROVIDE_CLOCK) ? gst_element_provide_clock(element)
                                                                                     : nullptr;
    if (own && own == clock) provider = GST_ELEMENT(gst_object_ref(element));
    if (own) gst_object_unref(own);
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(it);
  return provider;
}

struct GraphSteps {
  GstElement* graph;
  std::atomic<int> resumed;
};
void CountResumes(GstBus*, GstMessage* message, gpointer data) {
  auto* steps = static_cast<GraphSteps*>(data);
  GstState from, to;
  gst_message_parse_state_changed(message, &from, &to, nullptr);
  if (GST_MESSAGE_SRC(message) == GST_OBJECT(steps->graph) && from == GST_STATE_PAUSED && to == GST_STATE_PLAYING)
    ++steps->resumed;
}

// The sound output says the clock it gave is gone (as when it is taken out of a playing
// graph): the graph chooses its clock again, the host hears of it, and time runs on.
TEST_F(OrvanaHost, ALostClockIsChosenAgainAndPlayingGoesOn) {
  ASSERT_NE(GraphBuiltBy([&] { return Load("video.mp4", RecordEvent); }), nullptr);
  ASSERT_EQ(Lib().Orvana_MediaState(0), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Lib().Orvana_GetSeconds(3) >= 1; }, 4000));
  GstClock* clock = gst_pipeline_get_clock(GST_PIPELINE(g_graph));
  GstElement* provider = ClockProvider(g_graph, clock);
  ASSERT_NE(provider, nullptr) << "the sound output gives the clock";
  GstBus* bus = gst_element_get_bus(g_graph);
  gst_bus_enable_sync_message_emission(bus);
  // A graph chooses its clock on the way from pause to playing: count those steps.
  GraphSteps steps{g_graph, {}};
  const gulong watch = g_signal_connect(bus, "sync-message::state-changed", G_CALLBACK(CountResumes), &steps);
  g_events.clear();
  const int32_t before = Lib().Orvana_GetSeconds(3);
  gst_element_post_message(provider, gst_message_new_clock_lost(GST_OBJECT(provider), clock));
  EXPECT_TRUE(QTest::qWaitFor([&] { return steps.resumed > 0; }, 3000)) << "the graph kept the lost clock";
  EXPECT_NE(EventCodes().find(std::to_string(ORVANA_EC_CLOCK_CHANGED) + ' '), std::string::npos) << EventCodes();
  // Generous: the sound output's clock may come back wrapped and stand still until the
  // graph's own check (1.5 s) moves it to the system clock, and the count is in whole seconds.
  EXPECT_TRUE(QTest::qWaitFor([&] { return Lib().Orvana_GetSeconds(3) > before; }, 8000)) << "time stands still";
  EXPECT_EQ(Lib().Orvana_IsActive(), ORVANA_STATE_RUNNING);
  g_signal_handler_disconnect(bus, watch);
  gst_bus_disable_sync_message_emission(bus);
  gst_object_unref(bus);
  gst_object_unref(provider);
  gst_object_unref(clock);
}

// A clock that runs until it is told to go wrong: to stand still where it is, or to read
// a wrapped-around time.
struct FailingClock {
  enum Fault { None, Stands, Wraps };
  std::atomic<Fault> fault{None};
  std::atomic<GstClockTime> last{0};
  static GstClockTime Now(GstClock*, gpointer data) {
    auto* self = static_cast<FailingClock*>(data);
    if (self->fault == Wraps) return 14'623'568'972'759'023'616u;
    if (self->fault == None) self->last = static_cast<GstClockTime>(g_get_monotonic_time()) * GST_USECOND;
    return self->last;
  }
};

// The graph's clock goes wrong while playing, as a sound output's can after an end, a stop
// and seeks: the graph notices and plays on.
TEST_F(OrvanaHost, AGraphWhoseClockGoesWrongPlaysOn) {
  for (const FailingClock::Fault fault : {FailingClock::Stands, FailingClock::Wraps}) {
    ASSERT_NE(GraphBuiltBy([&] { return Load("video.mp4", RecordEvent); }), nullptr);
    FailingClock failing;
    GstClock* clock = gst_audio_clock_new("failing", &FailingClock::Now, &failing, nullptr);
    gst_pipeline_use_clock(GST_PIPELINE(g_graph), clock);
    ASSERT_EQ(Lib().Orvana_MediaState(0), ORVANA_TRUE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Lib().Orvana_GetSeconds(3) >= 1; }, 3000)) << "plays at first";
    failing.fault = fault;
    EXPECT_TRUE(QTest::qWaitFor([&] { return Lib().Orvana_GetSeconds(3) >= 3; }, 6000)) << "time stopped, fault " << fault;
    EXPECT_EQ(Lib().Orvana_IsActive(), ORVANA_STATE_RUNNING);
    EXPECT_EQ(Lib().Orvana_MediaState(ORVANA_CLOSE), ORVANA_TRUE);
    gst_object_unref(clock);
  }
}

}  // namespace
}  // namespace orvana_host
