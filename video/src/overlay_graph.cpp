#include "overlay_graph.h"

#include <gst/video/videooverlay.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "graph_support.h"
#include "host_window.h"
#include "messages.h"
#include "playback_math.h"

namespace orvana {

namespace {

constexpr int32_t kRendererNotRegistered = static_cast<int32_t>(0x80040154);  // REGDB_E_CLASSNOTREG

// The overlay sinks in the order they are tried (xvimagesink has no port on a virtual
// screen). Plain X11 comes first for now: on a software OpenGL renderer the OpenGL sink falls
// behind the clock at 640 x 480 and draws the zoom's crop differently.
constexpr const char* kOverlaySinks[] = {"ximagesink", "glimagesink"};

bool Installed(const char* factory) {
  GstElementFactory* found = gst_element_factory_find(factory);
  if (found) gst_object_unref(found);
  return found != nullptr;
}

}  // namespace

int32_t OverlayGraph::Available(MessageTable& messages, uintptr_t owner) {
  for (const char* factory : kOverlaySinks)
    if (Installed(factory)) return ORVANA_S_OK;
  ShowMessageBox(owner, messages.ErrorCodeText(kRendererNotRegistered), messages.text(Message::ErrorCaption),
                 BoxIcon::Error);
  return ORVANA_S_FALSE;
}

bool OverlayGraph::Build(Graph& graph) {
  graph.pipeline = gst_element_factory_make("playbin", "graph");
  if (!graph.pipeline) return false;
  gst_object_ref_sink(graph.pipeline);
  graph.volumeStage = graph.pipeline;
  if (GstElement* stage = AudioStage(&graph.audio)) g_object_set(graph.pipeline, "audio-filter", stage, nullptr);
  // The video filter: the zoom's crop (or a stage that passes frames), whose input is the
  // decoded frame the snapshots take.
  if (GstElement* filter = MakeZoomStage()) {
    g_object_set(graph.pipeline, "video-filter", filter, nullptr);
    WatchFrames(filter);
  }
  return true;
}

int32_t OverlayGraph::Render(Graph& graph, const std::string& file) {
  if (graph.owner && !WindowExists(graph.owner)) return ORVANA_E_INVALIDARG;  // no window to draw in
  g_object_set(graph.pipeline, "video-sink", MakeSink(graph), nullptr);
  return Preroll(graph.pipeline, file.c_str());
}

GstElement* OverlayGraph::MakeZoomStage() {
  crop_ = MakeOptional("videocrop");
  return crop_ ? crop_ : MakeOptional("identity");
}

void OverlayGraph::WatchFrames(GstElement* element) {
  GstPad* in = gst_element_get_static_pad(element, "sink");
  gst_pad_add_probe(in, GST_PAD_PROBE_TYPE_BUFFER, &OverlayGraph::KeepFrame, this, nullptr);
  gst_object_unref(in);
  WatchVideoSize(element);
}

GstElement* OverlayGraph::MakeSink(const Graph& graph) {
  // The user closing the full-screen picture is told to the host as EC_USERABORT.
  std::shared_ptr<GstBus> bus(gst_element_get_bus(graph.pipeline), gst_object_unref);
  videoWindow_ = CreateVideoChild(graph.owner, [bus] {
    gst_bus_post(bus.get(), gst_message_new_application(nullptr, gst_structure_new_empty(kUserAbortMessage)));
  });
  const uintptr_t target = videoWindow_ ? videoWindow_ : graph.owner;
  for (const char* factory : kOverlaySinks)
    if (target && !sink_) sink_ = MakeOptional(factory);
  if (sink_) {
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink_), target);
  } else {
    sink_ = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink_, "sync", TRUE, nullptr);  // frames pass at their time, not at once
  }
  return sink_;
}

void OverlayGraph::Attach(Graph& graph) {
  ReadPictureSize(graph);
  Fit(graph);
  if (sink_ && GST_IS_VIDEO_OVERLAY(sink_)) gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink_));
}

OverlayGraph::~OverlayGraph() { Release(); }

void OverlayGraph::Release() {
  std::lock_guard<std::mutex> lock(frameMutex_);
  for (GstSample* frame : recentFrames_) gst_sample_unref(frame);
  recentFrames_.clear();
  sink_ = crop_ = nullptr;  // the pipeline held them
  DestroyVideoChild(videoWindow_);
  videoWindow_ = 0;
}

bool OverlayGraph::VideoInfo(const Graph& graph, OrvanaVideoInfo* info) {
  gint videos = 0;
  g_object_get(graph.pipeline, "n-video", &videos, nullptr);
  GstPad* pad = nullptr;
  if (videos > 0) g_signal_emit_by_name(graph.pipeline, "get-video-pad", 0, &pad);
  PictureSizeAt(pad, info);
  if (pad) gst_object_unref(pad);
  return true;
}

void OverlayGraph::Fit(const Graph& graph) {
  if (!videoWindow_ || !graph.hasVideo) return;
  int32_t w = 0, h = 0;
  if (!ClientSize(graph.owner, &w, &h)) return;
  const Rect r = FitVideo(w, h, graph.videoWidth, graph.videoHeight);
  PlaceVideoChild(videoWindow_, r.x, r.y, r.width, r.height, true);
}

void OverlayGraph::SetZoom(const Graph& graph, int32_t percent) {
  if (!graph.hasVideo || !crop_) return;
  const Rect r = ZoomSource(graph.videoWidth, graph.videoHeight, percent);
  g_object_set(crop_, "left", r.x, "top", r.y, "right", graph.videoWidth - r.x - r.width, "bottom",
               graph.videoHeight - r.y - r.height, nullptr);
}

void OverlayGraph::ToggleFullScreen(const Graph& graph) {
  if (!graph.hasVideo || !videoWindow_) return;
  const bool on = VideoChildFullScreen(videoWindow_);
  SetVideoChildFullScreen(videoWindow_, !on);
  if (on) Fit(graph);
}

std::optional<std::vector<uint8_t>> OverlayGraph::SnapshotFile(const Graph& graph) {
  int32_t width = 0, height = 0;
  const std::vector<uint8_t> rows = FrameRows(graph, &width, &height);
  if (rows.empty()) return std::nullopt;
  return GrabberBmp(width, height, 24, rows.data(), rows.size());
}

OrvanaBitmap* OverlayGraph::SnapshotHandle(const Graph& graph) {
  int32_t width = 0, height = 0;
  const std::vector<uint8_t> rows = FrameRows(graph, &width, &height);
  if (rows.empty()) return nullptr;
  auto* bitmap = static_cast<OrvanaBitmap*>(std::malloc(sizeof(OrvanaBitmap)));
  auto* pixels = static_cast<uint8_t*>(std::malloc(rows.size()));
  if (!bitmap || !pixels) {
    std::free(bitmap);
    std::free(pixels);
    return nullptr;
  }
  std::memcpy(pixels, rows.data(), rows.size());
  *bitmap = {width, height, 24, GST_ROUND_UP_4(width * 3), pixels};
  return bitmap;
}

GstPadProbeReturn OverlayGraph::KeepFrame(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
  auto* graph = static_cast<OverlayGraph*>(self);
  GstCaps* caps = gst_pad_get_current_caps(pad);
  if (!caps) return GST_PAD_PROBE_OK;
  GstSample* sample = gst_sample_new(GST_PAD_PROBE_INFO_BUFFER(info), caps, nullptr, nullptr);
  gst_caps_unref(caps);
  std::lock_guard<std::mutex> lock(graph->frameMutex_);
  graph->recentFrames_.push_back(sample);
  if (graph->recentFrames_.size() > kKeptFrames) {
    gst_sample_unref(graph->recentFrames_.front());
    graph->recentFrames_.pop_front();
  }
  return GST_PAD_PROBE_OK;
}

std::vector<uint8_t> OverlayGraph::FrameRows(const Graph& graph, int32_t* width, int32_t* height) {
  if (!graph.hasVideo) return {};
  gint64 position = 0;
  if (!gst_element_query_position(graph.pipeline, GST_FORMAT_TIME, &position)) position = 0;
  GstSample* frame = nullptr;
  {
    std::lock_guard<std::mutex> lock(frameMutex_);
    for (GstSample* kept : recentFrames_) {
      const GstClockTime pts = GST_BUFFER_PTS(gst_sample_get_buffer(kept));
      if (!frame || (GST_CLOCK_TIME_IS_VALID(pts) && pts <= static_cast<GstClockTime>(position))) frame = kept;
    }
    if (frame) gst_sample_ref(frame);
  }
  if (!frame) return {};
  GstVideoInfo info;
  GstSample* converted = nullptr;
  if (gst_video_info_from_caps(&info, gst_sample_get_caps(frame))) {
    GstCaps* bgr = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", "width", G_TYPE_INT,
                                       GST_VIDEO_INFO_WIDTH(&info), "height", G_TYPE_INT,
                                       GST_VIDEO_INFO_HEIGHT(&info), nullptr);
    converted = gst_video_convert_sample(frame, bgr, GST_SECOND, nullptr);
    gst_caps_unref(bgr);
  }
  gst_sample_unref(frame);
  if (!converted) return {};
  std::vector<uint8_t> rows = BottomUpRows(converted, width, height);
  gst_sample_unref(converted);
  return rows;
}
std::unique_ptr<GraphKind> MakeOverlayGraph() { return std::make_unique<OverlayGraph>(); }

}  // namespace orvana
