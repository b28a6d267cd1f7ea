// The media object's events: the graph's bus messages turned into the host's graph events,
// delivered on the host's thread to the listeners and the host's callback.
#include <gst/base/gstbasesrc.h>
#include <gst/video/navigation.h>

#include "graph_support.h"
#include "media.h"

namespace orvana {

// The picture's size changed while playing: the graph takes the new size (as the kind shows
// it), the picture is fitted again and the host hears EC_VIDEO_SIZE_CHANGED (width in the
// low word, height in the high word).
void TDShowMedia::VideoSizeChanged(const GstStructure* size) {
  gint width = 0, height = 0;
  if (!FGraphBuilt || !gst_structure_get_int(size, "width", &width) || !gst_structure_get_int(size, "height", &height))
    return;
  gint parN = 1, parD = 1;
  gst_structure_get_fraction(size, "pixel-aspect-ratio", &parN, &parD);
  kind_->ShownSize(&width, &height, parN, parD);
  graph_.videoWidth = width;
  graph_.videoHeight = height;
  graph_.hasVideo = true;
  FitVideo();
  DispatchEvent(ORVANA_EC_VIDEO_SIZE_CHANGED, (width & 0xFFFF) | (height << 16), 0);
}

void TDShowMedia::DispatchEvent(int32_t code, int32_t param1, int32_t param2) {
  for (MediaEvents* l : FListeners) l->OnGraphEvent(code, param1, param2);
  if (FEventCallback) FEventCallback(code, param1, param2);
}

gboolean TDShowMedia::OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
  auto* self = static_cast<TDShowMedia*>(data);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED: {
      GstState old = GST_STATE_VOID_PENDING, now = GST_STATE_VOID_PENDING;
      gst_message_parse_state_changed(message, &old, &now, nullptr);
      if (self->pausePending_ && now == GST_STATE_PAUSED && GST_MESSAGE_SRC(message) == GST_OBJECT(self->graph_.pipeline)) {
        self->pausePending_ = false;
        self->DispatchEvent(ORVANA_EC_PAUSED, ORVANA_S_OK, 0);
      }
      break;
    }
    case GST_MESSAGE_APPLICATION:
      if (gst_message_has_name(message, kPausedMessage)) self->DispatchEvent(ORVANA_EC_PAUSED, ORVANA_S_OK, 0);
      if (gst_message_has_name(message, kVideoSizeMessage)) self->VideoSizeChanged(gst_message_get_structure(message));
      if (gst_message_has_name(message, kUserAbortMessage)) self->DispatchEvent(ORVANA_EC_USERABORT, 0, 0);
      break;
    case GST_MESSAGE_EOS:
      self->ended_ = true;
      self->DispatchEvent(ORVANA_EC_COMPLETE, 0, 0);
      break;
    case GST_MESSAGE_ERROR:
      self->DispatchEvent(ORVANA_EC_ERRORABORT, ResultOfErrorMessage(message), 0);
      break;
    case GST_MESSAGE_STEP_DONE:
      self->DispatchEvent(ORVANA_EC_STEP_COMPLETE, 0, 0);
      break;
    case GST_MESSAGE_BUFFERING: {
      gint percent = 100;
      gst_message_parse_buffering(message, &percent);
      // Told when buffering starts (1) and when it ends (0), not at every percent.
      if ((percent < 100) != self->buffering_) {
        self->buffering_ = percent < 100;
        self->DispatchEvent(ORVANA_EC_BUFFERING_DATA, self->buffering_ ? 1 : 0, 0);
      }
      break;
    }
    case GST_MESSAGE_ELEMENT:
      // The navigator says so when a disc's menus or titles change under it.
      if (gst_navigation_message_get_type(message) != GST_NAVIGATION_MESSAGE_INVALID) self->TellDvdPlace();
      break;
    case GST_MESSAGE_DURATION_CHANGED:
      self->DispatchEvent(ORVANA_EC_LENGTH_CHANGED, 0, 0);
      break;
    case GST_MESSAGE_CLOCK_LOST:
      // A playing graph picks a new clock by going through pause (else it stalls).
      if (self->IsActive() == ORVANA_STATE_RUNNING) {
        gst_element_set_state(self->graph_.pipeline, GST_STATE_PAUSED);
        gst_element_set_state(self->graph_.pipeline, GST_STATE_PLAYING);
      }
      self->DispatchEvent(ORVANA_EC_CLOCK_CHANGED, 0, 0);
      break;
    default:
      break;
  }
  return TRUE;
}

namespace {

// Whether a source of the graph makes its data as time goes (a camera, a live network
// feed): its place follows the clock's, standing or not.
bool HasLiveSource(GstElement* graph) {
  bool live = false;
  GstIterator* it = gst_bin_iterate_recurse(GST_BIN(graph));
  GValue item = G_VALUE_INIT;
  while (!live && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
    auto* element = GST_ELEMENT(g_value_get_object(&item));
    live = GST_IS_BASE_SRC(element) && gst_base_src_is_live(GST_BASE_SRC(element));
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(it);
  return live;
}

}  // namespace

gboolean TDShowMedia::CheckTimeRuns(gpointer self) {
  static_cast<TDShowMedia*>(self)->PlayOnIfTimeStands();
  return G_SOURCE_CONTINUE;
}

// A sound output's clock can stand still for good: after an end of stream, a stop and
// flushing seeks the sound server's time can come out below the stream's latency; the
// clock then reads a wrapped-around time and holds it (it never runs backwards), and the
// pictures wait for it forever. The graph then plays on by the system's clock.
void TDShowMedia::PlayOnIfTimeStands() {
  StandingClockWatch::Check check;
  GstState state = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
  check.playing = gst_element_get_state(graph_.pipeline, &state, &pending, 0) == GST_STATE_CHANGE_SUCCESS &&
                  state == GST_STATE_PLAYING;
  check.ended = ended_;
  check.buffering = buffering_;
  gint64 position = -1;
  check.position = QueryTime(false, &position) ? position : -1;  // a clock gone wrong may leave no position
  GstClock* clock = check.playing ? gst_element_get_clock(graph_.pipeline) : nullptr;
  GstClock* system = gst_system_clock_obtain();
  if (clock) {
    check.clockTime = gst_clock_get_time(clock);
    check.onSystemClock = clock == system;
    gst_object_unref(clock);
  }
  check.live = check.playing && HasLiveSource(graph_.pipeline);
  if (clockWatch_.ShouldMoveToSystemClock(check)) {
    gst_pipeline_use_clock(GST_PIPELINE(graph_.pipeline), system);
    // What the old clock counted means nothing on the new one: a flushing seek to here, at
    // the rate playing, starts the running time afresh.
    gst_element_set_state(graph_.pipeline, GST_STATE_PAUSED);
    SetRate(FRate);
    gst_element_set_state(graph_.pipeline, GST_STATE_PLAYING);
  }
  gst_object_unref(system);
}

}  // namespace orvana
