// Graph mode 3: a DVD-Video volume played by playbin through its DVD source (the navigator
// with its own demuxer and decoders), shown like a file's picture in the host's window. The
// picture's size is its display size (DVD pixels are not square); closed captions (line 21,
// as DVDs carry them) are drawn over it when the host turns them on; the presentation mode
// chooses between letter-box and pan-and-scan for a wide picture.
#include <algorithm>
#include <memory>

#include <gst/video/video.h>

#include "cea608.h"
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
    captions_ = MakeOptional("textoverlay");
    if (captions_ && crop_) {
      g_object_set(captions_, "silent", TRUE, "wait-text", FALSE, "shaded-background", TRUE, "font-desc", "Sans 20",
                   nullptr);
      gst_util_set_object_arg(G_OBJECT(captions_), "valignment", "bottom");
      gst_util_set_object_arg(G_OBJECT(captions_), "halignment", "center");
      GstElement* filter = gst_bin_new("dvd-picture");
      gst_bin_add_many(GST_BIN(filter), captions_, crop_, nullptr);
      gst_element_link_pads(captions_, "src", crop_, "sink");
      GstPad* in = gst_element_get_static_pad(captions_, "video_sink");
      GstPad* out = gst_element_get_static_pad(crop_, "src");
      gst_pad_add_probe(in, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                                         GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                        &DvdGraph::ReadCaptions, new CaptionTrack{{}, captions_},
                        [](gpointer track) { delete static_cast<CaptionTrack*>(track); });
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
    presentation_ = zoom_ = 0;
    OverlayGraph::Release();
  }

  DvdNavigator* Navigator() override { return navigator_.get(); }
  const std::string& Volume() const override { return volume_; }
  bool PlaysDisc() const override { return true; }

  bool VideoInfo(const Graph&, OrvanaVideoInfo* info) override {
    info->hasVideo = 0;
    gint width = 0, height = 0, parN = 1, parD = 1;
    if (!FrameShape(&width, &height, &parN, &parD)) return true;
    *info = {width, height, ORVANA_TRUE};
    ShownSize(&info->width, &info->height, parN, parD);
    return true;
  }

  // DVD pixels are not square: the display width; only the middle 4:3 of a wide picture in
  // pan-and-scan.
  void ShownSize(int32_t* width, int32_t* height, int32_t parN, int32_t parD) const override {
    if (parD > 0) *width = static_cast<int32_t>(static_cast<int64_t>(*width) * parN / parD);
    if (presentation_ == kPanScan && *width * 3 > *height * 4) *width = *height * 4 / 3;
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
    ReadPictureSize(graph);
    Fit(graph);
    return true;
  }

  // A new picture (another title, another shape) is cut as the mode and the zoom say.
  void Fit(const Graph& graph) override {
    ApplyCrop(graph);
    OverlayGraph::Fit(graph);
  }

 private:
  // The line-21 captions the decoder finds in the pictures, read as they pass on the way to
  // the overlay (which draws them only while captioning is on).
  struct CaptionTrack {
    Cea608Decoder decoder;
    GstElement* overlay;  // owns the pad the track is read on
  };
  static GstPadProbeReturn ReadCaptions(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* track = static_cast<CaptionTrack*>(data);
    bool changed = false;
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
      gpointer at = nullptr;
      while (GstMeta* meta = gst_buffer_iterate_meta_filtered(GST_PAD_PROBE_INFO_BUFFER(info), &at,
                                                               GST_VIDEO_CAPTION_META_API_TYPE)) {
        const auto* cc = reinterpret_cast<const GstVideoCaptionMeta*>(meta);
        CaptionPacking packing;
        switch (cc->caption_type) {
          case GST_VIDEO_CAPTION_TYPE_CEA608_RAW: packing = CaptionPacking::Cea608Raw; break;
          case GST_VIDEO_CAPTION_TYPE_CEA608_S334_1A: packing = CaptionPacking::Cea608S334; break;
          case GST_VIDEO_CAPTION_TYPE_CEA708_RAW: packing = CaptionPacking::Cea708CcData; break;
          default: continue;
        }
        for (auto [first, second] : FirstFieldPairs(packing, cc->data, cc->size))
          changed |= track->decoder.Feed(first, second);
      }
    } else if (GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
               GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP || GST_EVENT_TYPE(event) == GST_EVENT_STREAM_START) {
      changed = track->decoder.Reset();  // a jump: what was on the screen is not there now
    }
    if (changed) g_object_set(track->overlay, "text", track->decoder.Shown().c_str(), nullptr);
    return GST_PAD_PROBE_OK;
  }

  static void SetUpSource(GstElement*, GstElement* source, gpointer self) {
    const std::string& volume = static_cast<DvdGraph*>(self)->volume_;
    if (!volume.empty() && g_object_class_find_property(G_OBJECT_GET_CLASS(source), "device"))
      g_object_set(source, "device", volume.c_str(), nullptr);
  }

  // The stored size and pixel shape of the pictures passing now; false before the first.
  bool FrameShape(gint* width, gint* height, gint* parN, gint* parD) const {
    GstPad* in = crop_ ? gst_element_get_static_pad(crop_, "sink") : nullptr;
    GstCaps* caps = in ? gst_pad_get_current_caps(in) : nullptr;
    if (in) gst_object_unref(in);
    if (!caps) return false;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    const bool sized = gst_structure_get_int(s, "width", width) && gst_structure_get_int(s, "height", height);
    if (!gst_structure_get_fraction(s, "pixel-aspect-ratio", parN, parD)) *parN = *parD = 1;
    gst_caps_unref(caps);
    return sized && *width > 0 && *height > 0;
  }

  // Pan-and-scan keeps the middle 4:3 of a wide picture; the zoom then crops within that.
  void ApplyCrop(const Graph& graph) {
    gint width = 0, height = 0, parN = 1, parD = 1;
    if (!graph.hasVideo || !FrameShape(&width, &height, &parN, &parD)) return;
    // The stored columns kept: all, or those of the shown 4:3 middle.
    int32_t shownWidth = width, shownHeight = height;
    ShownSize(&shownWidth, &shownHeight, parN, parD);
    const int32_t fullWidth = static_cast<int32_t>(static_cast<int64_t>(width) * parN / std::max(parD, 1));
    const int32_t keptWidth = static_cast<int32_t>(static_cast<int64_t>(width) * shownWidth / std::max(fullWidth, 1));
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
