// Graph mode 4: a video input device shown in the host's window like a file's picture, with
// the same snapshots; when recording, the picture (as Motion JPEG) and the sound input go to
// an AVI file as well. Loads of files do nothing in this mode.
#include <gst/gst.h>

#include "graph_support.h"
#include "host_window.h"
#include "overlay_graph.h"

namespace orvana {

namespace {

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
    // The device keeps its own picture size; the zoom crops what the window shows (not what
    // is recorded or snapped), and the scaler fits it to the window.
    GstElement* preview = Chain(graph.pipeline, {MakeOptional("queue"), MakeOptional("videoconvert"), frames_,
                                                 MakeZoomStage(), MakeOptional("videoscale"), MakeSink(graph)});
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

  // A recording is ended before the graph stops, so the file gets its index and sizes. The
  // end it reaches is the recording's, not the host's medium's: it is not passed on.
  void Stopping(Graph& graph) override {
    if (!recording_) return;
    recording_ = false;
    gst_element_send_event(graph.pipeline, gst_event_new_eos());
    if (GstMessage* end = TakeMessage(graph.pipeline, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR),
                                      3 * GST_SECOND))
      gst_message_unref(end);
  }
  bool OpensAgainAfterStop() const override { return true; }
  bool Seekable() const override { return false; }

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

std::unique_ptr<GraphKind> MakeCaptureGraph() { return std::make_unique<CaptureGraph>(); }

}  // namespace orvana
