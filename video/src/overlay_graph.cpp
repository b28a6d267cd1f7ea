// Graph mode 0: playbin renders the file; its pictures go to an overlay sink drawing into a
// native child of the host's window, letter-boxed there; the digital zoom crops the decoded
// picture; snapshots are taken from the decoded frame.
#include <gst/video/videooverlay.h>

#include <cstdlib>
#include <cstring>

#include "graph_kind.h"
#include "graph_support.h"
#include "host_window.h"
#include "playback_math.h"

namespace orvana {

namespace {

class OverlayGraph : public GraphKind {
 public:
  bool Build(Graph& graph) override {
    graph.pipeline = gst_element_factory_make("playbin", "graph");
    if (!graph.pipeline) return false;
    gst_object_ref_sink(graph.pipeline);
    graph.volumeStage = graph.pipeline;
    // The audio stages are optional: without them balance is only stored and the dual
    // channel choice changes nothing.
    if (GstElement* stages = AudioStages(&graph.panorama, &graph.channelMix))
      g_object_set(graph.pipeline, "audio-filter", stages, nullptr);
    if ((crop_ = MakeOptional("videocrop"))) g_object_set(graph.pipeline, "video-filter", crop_, nullptr);
    return true;
  }

  int32_t Render(Graph& graph, const std::string& file) override {
    // The renderer's window, and the sink drawing into it (none without a window).
    videoWindow_ = CreateVideoChild(graph.owner);
    const uintptr_t target = videoWindow_ ? videoWindow_ : graph.owner;
    if (target && (sink_ = MakeOptional("ximagesink"))) {
      gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink_), target);
    } else {
      sink_ = gst_element_factory_make("fakesink", nullptr);
      g_object_set(sink_, "sync", TRUE, nullptr);  // frames pass at their time, not at once
    }
    g_object_set(graph.pipeline, "video-sink", sink_, nullptr);
    return Preroll(graph.pipeline, file.c_str());
  }

  void Attach(Graph& graph) override {
    OrvanaVideoInfo info{0, 0, 0};
    VideoInfo(graph, &info);
    graph.videoWidth = info.width;
    graph.videoHeight = info.height;
    graph.hasVideo = info.hasVideo != 0;
    Fit(graph);
    if (sink_ && GST_IS_VIDEO_OVERLAY(sink_)) gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink_));
  }

  void Release() override {
    sink_ = crop_ = nullptr;  // the pipeline held them
    DestroyVideoChild(videoWindow_);
    videoWindow_ = 0;
  }

  bool VideoInfo(const Graph& graph, OrvanaVideoInfo* info) override {
    gint videos = 0;
    g_object_get(graph.pipeline, "n-video", &videos, nullptr);
    GstPad* pad = nullptr;
    if (videos > 0) g_signal_emit_by_name(graph.pipeline, "get-video-pad", 0, &pad);
    GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
    info->hasVideo = 0;
    if (caps) {
      const GstStructure* s = gst_caps_get_structure(caps, 0);
      gint width = 0, height = 0;
      if (gst_structure_get_int(s, "width", &width) && gst_structure_get_int(s, "height", &height)) {
        info->width = width;
        info->height = height;
        info->hasVideo = ORVANA_TRUE;
      }
      gst_caps_unref(caps);
    }
    if (pad) gst_object_unref(pad);
    return true;
  }

  void Fit(const Graph& graph) override {
    if (!videoWindow_ || !graph.hasVideo) return;
    int32_t w = 0, h = 0;
    if (!ClientSize(graph.owner, &w, &h)) return;
    const Rect r = FitVideo(w, h, graph.videoWidth, graph.videoHeight);
    PlaceVideoChild(videoWindow_, r.x, r.y, r.width, r.height, true);
  }

  void SetZoom(const Graph& graph, int32_t percent) override {
    if (!graph.hasVideo || !crop_) return;
    const Rect r = ZoomSource(graph.videoWidth, graph.videoHeight, percent);
    g_object_set(crop_, "left", r.x, "top", r.y, "right", graph.videoWidth - r.x - r.width, "bottom",
                 graph.videoHeight - r.y - r.height, nullptr);
  }

  void ToggleFullScreen(const Graph& graph) override {
    if (!graph.hasVideo || !videoWindow_) return;
    const bool on = VideoChildFullScreen(videoWindow_);
    SetVideoChildFullScreen(videoWindow_, !on);
    if (on) Fit(graph);
  }

  std::optional<std::vector<uint8_t>> SnapshotFile(const Graph& graph) override {
    int32_t width = 0, height = 0;
    const std::vector<uint8_t> rows = FrameRows(graph, &width, &height);
    if (rows.empty()) return std::nullopt;
    return GrabberBmp(width, height, 24, rows.data(), rows.size());
  }

  OrvanaBitmap* SnapshotHandle(const Graph& graph) override {
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

 private:
  // The sink's last frame, converted to 24-bit rows at the picture's size.
  std::vector<uint8_t> FrameRows(const Graph& graph, int32_t* width, int32_t* height) {
    if (!sink_ || !graph.hasVideo) return {};
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", "width", G_TYPE_INT,
                                        graph.videoWidth, "height", G_TYPE_INT, graph.videoHeight, nullptr);
    GstSample* sample = nullptr;
    g_signal_emit_by_name(graph.pipeline, "convert-sample", caps, &sample);
    gst_caps_unref(caps);
    if (!sample) return {};
    std::vector<uint8_t> rows = BottomUpRows(sample, width, height);
    gst_sample_unref(sample);
    return rows;
  }

  GstElement* sink_ = nullptr;
  GstElement* crop_ = nullptr;
  uintptr_t videoWindow_ = 0;  // the sink's window (a native child of the owner)
};

}  // namespace

std::unique_ptr<GraphKind> MakeOverlayGraph() { return std::make_unique<OverlayGraph>(); }

}  // namespace orvana
