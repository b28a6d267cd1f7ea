// Graph modes 1 and 2: the pictures go to the library's own windowless renderer, which
// paints them over the host's window, flipped or mirrored as asked. Mode 1 lets playbin
// render the file; mode 2 builds the graph by hand from the source's decoded outputs.
#include <mutex>

#include "graph_kind.h"
#include "graph_support.h"
#include "host_window.h"
#include "messages.h"
#include "playback_math.h"
#include "windowless_renderer.h"

namespace orvana {

namespace {

// One effect rectangle per windowless mode, kept for the process.
EffectRect& EffectsOf(bool byHand) {
  static EffectRect effects[2];
  return effects[byHand ? 1 : 0];
}

class WindowlessGraph : public GraphKind {
 public:
  explicit WindowlessGraph(bool byHand) : byHand_(byHand) {}

  // Without the renderer's sink, say so and do nothing.
  int32_t Available(MessageTable& messages, uintptr_t owner) override {
    GstElementFactory* appsink = gst_element_factory_find("appsink");
    if (!appsink) {
      ShowMessageBox(owner, messages.text(Message::RendererMissingText), messages.text(Message::RendererMissingCaption),
                     BoxIcon::Warning);
      return ORVANA_S_FALSE;
    }
    gst_object_unref(appsink);
    EffectsOf(byHand_) = EffectRect{};
    return ORVANA_S_OK;
  }

  bool Build(Graph& graph) override {
    graph.pipeline = byHand_ ? gst_pipeline_new("graph") : gst_element_factory_make("playbin", "graph");
    if (!graph.pipeline) return false;
    gst_object_ref_sink(graph.pipeline);
    if (!byHand_) {
      graph.volumeStage = graph.pipeline;
      if (GstElement* stage = AudioStage(&graph.audio)) g_object_set(graph.pipeline, "audio-filter", stage, nullptr);
    }
    return true;
  }

  int32_t Render(Graph& graph, const std::string& file) override {
    renderer_ = std::make_unique<WindowlessRenderer>(graph.owner);
    renderer_->SetEffects(EffectsOf(byHand_));
    WatchVideoSize(renderer_->sink());
    if (!byHand_) {
      g_object_set(graph.pipeline, "video-sink", renderer_->sink(), nullptr);
      return Preroll(graph.pipeline, file.c_str());
    }
    return RenderByHand(graph, file);
  }

  void Attach(Graph& graph) override {
    ReadPictureSize(graph);
    renderer_->Fit();
  }

  void Release() override {
    renderer_.reset();
    std::lock_guard<std::mutex> lock(linkMutex_);
    linked_ = Linked{};
  }

  bool VideoInfo(const Graph&, OrvanaVideoInfo* info) override {
    if (!renderer_) return false;
    int32_t width = 0, height = 0;
    renderer_->NativeSize(&width, &height);
    info->width = width;
    info->height = height;
    info->hasVideo = width && height ? ORVANA_TRUE : 0;
    return true;
  }

  void Fit(const Graph&) override {
    if (renderer_) renderer_->Fit();
  }
  void Repaint() override {
    if (renderer_) renderer_->Repaint();
  }

  void SetEffects(int32_t value, int32_t effect) override {
    if (effect != 1 && effect != 2) return;
    EffectRect& e = EffectsOf(byHand_);
    (effect == 1 ? e.flip : e.mirror) = value != 0;
    if (renderer_) renderer_->SetEffects(e);
  }

  // The renderer's current image as a packed bitmap behind a file header; without an
  // image the file is still written, empty.
  std::optional<std::vector<uint8_t>> SnapshotFile(const Graph&) override {
    if (!renderer_) return std::nullopt;
    Frame frame;
    if (!renderer_->CurrentImage(&frame)) return std::vector<uint8_t>{};
    return MixerBmp(frame.width, frame.height, frame.pixels.data());
  }

 private:
  // The source decodes the file and each of its outputs is rendered to the renderers: video
  // to the windowless renderer, audio to the sound output behind a volume and a balance
  // stage. The outputs appear on the source's streaming threads, maybe several at once:
  // what they build is recorded under a lock and handed to the graph here, on the host's
  // thread, once the graph has prerolled.
  int32_t RenderByHand(Graph& graph, const std::string& file) {
    const std::string uri = FileUri(file.c_str());
    if (uri.empty()) return ORVANA_E_INVALIDARG;
    GstElement* source = gst_element_factory_make("uridecodebin", "Source");
    if (!source) return ORVANA_E_FAIL;
    g_object_set(source, "uri", uri.c_str(), nullptr);
    {
      std::lock_guard<std::mutex> lock(linkMutex_);
      linked_ = Linked{};
      linked_.pipeline = graph.pipeline;
    }
    gst_bin_add(GST_BIN(graph.pipeline), source);
    g_signal_connect(source, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, gpointer self) {
                       static_cast<WindowlessGraph*>(self)->LinkDecodedPad(pad);
                     }),
                     this);
    int32_t hr = Preroll(graph.pipeline, nullptr);
    std::lock_guard<std::mutex> lock(linkMutex_);
    graph.volumeStage = linked_.volume;
    graph.audio = linked_.audio;
    if (hr >= 0 && linked_.pads == 0) hr = ORVANA_S_FALSE;  // a source without outputs
    return hr;
  }

  // Runs on a streaming thread of the source as each decoded output appears.
  void LinkDecodedPad(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) caps = gst_pad_query_caps(pad, nullptr);
    const gchar* kind = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    std::lock_guard<std::mutex> lock(linkMutex_);
    GstElement* first = nullptr;
    if (g_str_has_prefix(kind, "video/") && renderer_ && renderer_->sink() && !GST_OBJECT_PARENT(renderer_->sink())) {
      // The bin takes a reference of its own; the renderer keeps its one.
      first = Chain(linked_.pipeline, {MakeOptional("videoconvert"), renderer_->sink()});
    } else if (g_str_has_prefix(kind, "audio/") && !linked_.volume) {
      GstElement* volume = MakeOptional("volume");
      std::shared_ptr<AudioShaper> audio;
      first = Chain(linked_.pipeline, {MakeOptional("audioconvert"), MakeOptional("audioresample"), volume,
                                       AudioStage(&audio), MakeOptional("audioconvert"), MakeOptional("autoaudiosink")});
      if (first) linked_ = {linked_.pipeline, volume, audio, linked_.pads};
    }
    gst_caps_unref(caps);
    if (!first) return;
    GstPad* sinkPad = gst_element_get_static_pad(first, "sink");
    if (gst_pad_link(pad, sinkPad) == GST_PAD_LINK_OK) ++linked_.pads;
    gst_object_unref(sinkPad);
  }

  // Mode 2: what the source's outputs were linked to.
  struct Linked {
    GstElement* pipeline = nullptr;
    GstElement* volume = nullptr;
    std::shared_ptr<AudioShaper> audio;
    int pads = 0;  // outputs rendered
  };

  const bool byHand_;
  std::unique_ptr<WindowlessRenderer> renderer_;
  std::mutex linkMutex_;
  Linked linked_;
};

}  // namespace

std::unique_ptr<GraphKind> MakeWindowlessGraph() { return std::make_unique<WindowlessGraph>(false); }
std::unique_ptr<GraphKind> MakeHandBuiltWindowlessGraph() { return std::make_unique<WindowlessGraph>(true); }

}  // namespace orvana
