// Graph mode 3: a DVD-Video volume played by playbin through its DVD source (the navigator
// with its own demuxer and decoders), shown like a file's picture in the host's window. The
// picture's size is its display size (DVD pixels are not square); closed captions are drawn
// over it when the host turns them on; the presentation mode chooses between letter-box and
// pan-and-scan for a wide picture.
#include <memory>

#include "dvd_navigator.h"
#include "graph_support.h"
#include "host_window.h"
#include "overlay_graph.h"
#include "playback_math.h"

namespace orvana {

namespace {

constexpr int32_t kPanScan = 2;  // DISPLAY_4x3_PANSCAN_PREFERRED

class DvdGraph : public OverlayGraph {
 public:
  // Without the DVD source there is no DVD graph: the load fails at once, with no box.
  int32_t Available(MessageTable& messages, uintptr_t owner) override {
    GstElementFactory* navigator = gst_element_factory_find("rsndvdbin");
    if (!navigator) return ORVANA_VFW_E_DVD_RENDERFAIL;
    gst_object_unref(navigator);
    return OverlayGraph::Available(messages, owner);
  }

  bool Build(Graph& graph) override {
    if (!OverlayGraph::Build(graph)) return false;
    // Captions ahead of the crop, so the zoom and pan-and-scan cut them with the picture.
    captions_ = MakeOptional("cc708overlay");
    if (captions_ && crop_) {
      g_object_set(captions_, "silent", TRUE, nullptr);
      GstElement* filter = gst_bin_new("dvd-picture");
      gst_bin_add_many(GST_BIN(filter), captions_, crop_, nullptr);
      gst_element_link(captions_, crop_);
      GstPad* in = gst_element_get_static_pad(captions_, "video_sink");
      GstPad* out = gst_element_get_static_pad(crop_, "src");
      gst_element_add_pad(filter, gst_ghost_pad_new("sink", in));
      gst_element_add_pad(filter, gst_ghost_pad_new("src", out));
      gst_object_unref(in);
      gst_object_unref(out);
      g_object_set(graph.pipeline, "video-filter", filter, nullptr);
    } else if (captions_) {
      gst_object_unref(gst_object_ref_sink(captions_));
      captions_ = nullptr;
    }
    g_signal_connect(graph.pipeline, "source-setup", G_CALLBACK(&DvdGraph::SetUpSource), this);
    return true;
  }

  // `file` names the volume (or is empty: the navigator finds a disc itself).
  int32_t Render(Graph& graph, const std::string& file) override {
    if (graph.owner && !WindowExists(graph.owner)) return ORVANA_E_INVALIDARG;
    volume_ = DvdVolumeOf(file);
    g_object_set(graph.pipeline, "uri", "dvd://", "video-sink", MakeSink(graph), nullptr);
    navigator_ = std::make_unique<DvdNavigator>(graph.pipeline);
    return Preroll(graph.pipeline, nullptr);
  }

  void Release() override {
    navigator_.reset();
    captions_ = nullptr;
    presentation_ = 0;
    OverlayGraph::Release();
  }

  DvdNavigator* Navigator() override { return navigator_.get(); }
  const std::string& Volume() const override { return volume_; }
  bool PlaysDisc() const override { return true; }

  // The size shown: the display width, and only the middle 4:3 of a wide picture in pan-and-scan.
  bool VideoInfo(const Graph& graph, OrvanaVideoInfo* info) override {
    OverlayGraph::VideoInfo(graph, info);
    if (!info->hasVideo) return true;
    info->width = DisplayWidth(info->width);
    if (presentation_ == kPanScan && info->width * 3 > info->height * 4) info->width = info->height * 4 / 3;
    return true;
  }

  void SetZoom(const Graph& graph, int32_t percent) override {
    zoom_ = percent;
    ApplyCrop(graph);
  }

  bool SetCaptions(bool on) override {
    if (!captions_) return false;
    g_object_set(captions_, "silent", on ? FALSE : TRUE, nullptr);
    return true;
  }

  bool SetPresentation(Graph& graph, int32_t mode) override {
    if (mode < 0 || mode > 3) return false;
    presentation_ = mode;
    ApplyCrop(graph);
    ReadPictureSize(graph);
    Fit(graph);
    return true;
  }

 private:
  static void SetUpSource(GstElement*, GstElement* source, gpointer self) {
    const std::string& volume = static_cast<DvdGraph*>(self)->volume_;
    if (!volume.empty() && g_object_class_find_property(G_OBJECT_GET_CLASS(source), "device"))
      g_object_set(source, "device", volume.c_str(), nullptr);
  }

  // The stored width of the pictures passing now shown at their pixel aspect ratio.
  int32_t DisplayWidth(int32_t width) const {
    gint parN = 1, parD = 1;
    if (GstCaps* caps = FrameCaps()) {
      gst_structure_get_fraction(gst_caps_get_structure(caps, 0), "pixel-aspect-ratio", &parN, &parD);
      gst_caps_unref(caps);
    }
    return parD > 0 ? static_cast<int32_t>(static_cast<int64_t>(width) * parN / parD) : width;
  }

  GstCaps* FrameCaps() const {
    if (!crop_) return nullptr;
    GstPad* in = gst_element_get_static_pad(crop_, "sink");
    GstCaps* caps = gst_pad_get_current_caps(in);
    gst_object_unref(in);
    return caps;
  }

  // Pan-and-scan keeps the middle 4:3 of a wide picture; the zoom then crops within that.
  void ApplyCrop(const Graph& graph) {
    if (!crop_ || !graph.hasVideo) return;
    gint width = 0, height = 0;
    if (GstCaps* caps = FrameCaps()) {
      gst_structure_get_int(gst_caps_get_structure(caps, 0), "width", &width);
      gst_structure_get_int(gst_caps_get_structure(caps, 0), "height", &height);
      gst_caps_unref(caps);
    }
    if (width <= 0 || height <= 0) return;
    int32_t keptWidth = width;
    const int32_t shown = DisplayWidth(width);
    if (presentation_ == kPanScan && shown * 3 > height * 4)
      keptWidth = static_cast<int32_t>(static_cast<int64_t>(width) * height * 4 / (3LL * shown));
    const Rect zoom = ZoomSource(keptWidth, height, zoom_);
    const int32_t left = (width - keptWidth) / 2 + zoom.x;
    g_object_set(crop_, "left", left, "top", zoom.y, "right", width - left - zoom.width, "bottom",
                 height - zoom.y - zoom.height, nullptr);
  }

  std::unique_ptr<DvdNavigator> navigator_;
  std::string volume_;
  GstElement* captions_ = nullptr;  // the caption overlay (the pipeline holds it); null without
  int32_t presentation_ = 0;
  int32_t zoom_ = 0;
};

}  // namespace

std::unique_ptr<GraphKind> MakeDvdGraph() { return std::make_unique<DvdGraph>(); }

}  // namespace orvana
