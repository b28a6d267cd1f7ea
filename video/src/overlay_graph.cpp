// Graph mode 0: playbin renders the file; its pictures go to an overlay sink drawing into a
// native child of the host's window, letter-boxed there; the digital zoom crops the decoded
// picture; snapshots are taken from the decoded frame at its own size, ahead of the crop and
// of the sink's scaling.
#include <gst/video/videooverlay.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "graph_kind.h"
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

class OverlayGraph : public GraphKind {
 public:
  // Without an overlay sink there is no renderer: the load fails with its error box rather
  // than playing sound with no picture.
  bool Available(MessageTable& messages, uintptr_t owner) override {
    for (const char* factory : kOverlaySinks)
      if (Installed(factory)) return true;
    ShowMessageBox(owner, messages.ErrorCodeText(kRendererNotRegistered), messages.text(Message::ErrorCaption),
                   BoxIcon::Error);
    return false;
  }

  bool Build(Graph& graph) override {
    graph.pipeline = gst_element_factory_make("playbin", "graph");
    if (!graph.pipeline) return false;
    gst_object_ref_sink(graph.pipeline);
    graph.volumeStage = graph.pipeline;
    if (GstElement* stage = AudioStage(&graph.audio)) g_object_set(graph.pipeline, "audio-filter", stage, nullptr);
    // The video filter: the zoom's crop (or a stage that passes frames), whose input is the
    // decoded frame the snapshots take.
    crop_ = MakeOptional("videocrop");
    if (GstElement* filter = crop_ ? crop_ : MakeOptional("identity")) {
      g_object_set(graph.pipeline, "video-filter", filter, nullptr);
      WatchFrames(filter);
    }
    return true;
  }

  int32_t Render(Graph& graph, const std::string& file) override {
    if (graph.owner && !WindowExists(graph.owner)) return ORVANA_E_INVALIDARG;  // no window to draw in
    g_object_set(graph.pipeline, "video-sink", MakeSink(graph), nullptr);
    return Preroll(graph.pipeline, file.c_str());
  }

 protected:
  // The frames arriving at the element are kept for snapshots, and a change of their size is told.
  void WatchFrames(GstElement* element) {
    GstPad* in = gst_element_get_static_pad(element, "sink");
    gst_pad_add_probe(in, GST_PAD_PROBE_TYPE_BUFFER, &OverlayGraph::KeepFrame, this, nullptr);
    gst_object_unref(in);
    WatchVideoSize(element);
  }

  // The renderer's window, and the sink drawing into it (a clocked fakesink without a window).
  GstElement* MakeSink(const Graph& graph) {
    videoWindow_ = CreateVideoChild(graph.owner);
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

 public:
  void Attach(Graph& graph) override {
    ReadPictureSize(graph);
    Fit(graph);
    if (sink_ && GST_IS_VIDEO_OVERLAY(sink_)) gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink_));
  }

  ~OverlayGraph() override { Release(); }

  void Release() override {
    std::lock_guard<std::mutex> lock(frameMutex_);
    for (GstSample* frame : recentFrames_) gst_sample_unref(frame);
    recentFrames_.clear();
    sink_ = crop_ = nullptr;  // the pipeline held them
    DestroyVideoChild(videoWindow_);
    videoWindow_ = 0;
  }

  bool VideoInfo(const Graph& graph, OrvanaVideoInfo* info) override {
    gint videos = 0;
    g_object_get(graph.pipeline, "n-video", &videos, nullptr);
    GstPad* pad = nullptr;
    if (videos > 0) g_signal_emit_by_name(graph.pipeline, "get-video-pad", 0, &pad);
    PictureSizeAt(pad, info);
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

 protected:
  // Runs on the streaming thread for every decoded frame. The frames travel on through a
  // queue to the sink, so the last few are kept and a snapshot picks the one shown now.
  static GstPadProbeReturn KeepFrame(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
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

  // The decoded frame at the playing position (the newest not after it), as 24-bit rows
  // at its own size.
  std::vector<uint8_t> FrameRows(const Graph& graph, int32_t* width, int32_t* height) {
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

  GstElement* sink_ = nullptr;
  GstElement* crop_ = nullptr;
  static constexpr size_t kKeptFrames = 8;
  std::mutex frameMutex_;
  std::deque<GstSample*> recentFrames_;  // the newest decoded frames (streaming thread → snapshots)
  uintptr_t videoWindow_ = 0;  // the sink's window (a native child of the owner)
};

// Graph mode 4: a video input device shown in the host's window like a file's picture, with
// the same snapshots; when recording, the picture (as Motion JPEG) and the sound input go to
// an AVI file as well. Loads of files do nothing in this mode.
class CaptureGraph : public OverlayGraph {
 public:
  bool Build(Graph& graph) override {
    graph.pipeline = gst_pipeline_new("graph");
    if (!graph.pipeline) return false;
    gst_object_ref_sink(graph.pipeline);
    return true;
  }

  int32_t Render(Graph&, const std::string&) override { return ORVANA_S_FALSE; }

  bool OpenDevice(Graph& graph, GstElement* video, GstCaps* format, GstElement* audio,
                  const std::string& recordTo) override {
    if (graph.owner && !WindowExists(graph.owner)) return false;
    GstBin* bin = GST_BIN(graph.pipeline);
    gst_object_set_name(GST_OBJECT(video), "Video Capture");
    gst_bin_add(bin, video);
    frames_ = MakeOptional("identity");
    GstElement* tee = MakeOptional("tee");
    // The device keeps its own picture size; the scaler fits it to the window.
    GstElement* preview = Chain(graph.pipeline, {MakeOptional("queue"), MakeOptional("videoconvert"), frames_,
                                                 MakeOptional("videoscale"), MakeSink(graph)});
    if (!tee || !preview) return false;
    gst_bin_add(bin, tee);
    WatchFrames(frames_);
    if (!gst_element_link_filtered(video, tee, format) || !gst_element_link(tee, preview)) return false;
    if (!recordTo.empty()) {
      GstElement* file = MakeOptional("filesink");
      GstElement* mux = MakeOptional("avimux");
      if (file) g_object_set(file, "location", recordTo.c_str(), nullptr);
      GstElement* pictures = Chain(graph.pipeline, {MakeOptional("queue"), MakeOptional("videoconvert"),
                                                    MakeOptional("jpegenc"), mux, file});
      if (!pictures || !gst_element_link(tee, pictures)) return false;
      if (audio) {
        gst_object_set_name(GST_OBJECT(audio), "Audio Capture");
        gst_bin_add(bin, audio);
        GstElement* soundQueue = MakeOptional("queue");
        GstElement* sound = Chain(graph.pipeline, {MakeOptional("audioconvert"), soundQueue});
        if (!sound || !gst_element_link(audio, sound) || !gst_element_link(soundQueue, mux)) return false;
      }
      recording_ = true;
    }
    if (gst_element_set_state(graph.pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) return false;
    // Until the first picture has arrived (briefly), so its size is known to the window.
    gst_element_get_state(graph.pipeline, nullptr, nullptr, 2 * GST_SECOND);
    return true;
  }

  // A recording is ended before the graph stops, so the file gets its index and sizes.
  void Stopping(Graph& graph) override {
    if (!recording_) return;
    recording_ = false;
    gst_element_send_event(graph.pipeline, gst_event_new_eos());
    GstBus* bus = gst_element_get_bus(graph.pipeline);
    if (GstMessage* end = gst_bus_timed_pop_filtered(bus, 3 * GST_SECOND,
                                                     static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)))
      gst_message_unref(end);
    gst_object_unref(bus);
  }

  bool VideoInfo(const Graph&, OrvanaVideoInfo* info) override {
    GstPad* pad = frames_ ? gst_element_get_static_pad(frames_, "src") : nullptr;
    PictureSizeAt(pad, info);
    if (pad) gst_object_unref(pad);
    return true;
  }

  void Release() override {
    OverlayGraph::Release();
    frames_ = nullptr;
    recording_ = false;
  }

 private:
  GstElement* frames_ = nullptr;  // the stage the preview's frames pass (the pipeline holds it)
  bool recording_ = false;
};

}  // namespace

std::unique_ptr<GraphKind> MakeOverlayGraph() { return std::make_unique<OverlayGraph>(); }
std::unique_ptr<GraphKind> MakeCaptureGraph() { return std::make_unique<CaptureGraph>(); }

}  // namespace orvana
