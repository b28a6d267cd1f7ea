#include "graph_support.h"

#include <gst/video/video.h>

#include <QString>

#include <algorithm>
#include <cstring>
#include <vector>

#include "orvana.h"

namespace orvana {

namespace {

constexpr GstClockTime kPrerollTimeout = 15 * GST_SECOND;

int32_t ResultOfError(const GError* error) {
  if (!error) return ORVANA_E_FAIL;
  if (error->domain == GST_RESOURCE_ERROR &&
      (error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ))
    return ORVANA_VFW_E_NOT_FOUND;
  if (error->domain == GST_STREAM_ERROR &&
      (error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND || error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND ||
       error->code == GST_STREAM_ERROR_WRONG_TYPE || error->code == GST_STREAM_ERROR_DEMUX ||
       error->code == GST_STREAM_ERROR_DECODE))
    return ORVANA_VFW_E_UNSUPPORTED_STREAM;
  return ORVANA_E_FAIL;
}

}  // namespace

int32_t ResultOfErrorMessage(GstMessage* message) {
  GError* error = nullptr;
  gst_message_parse_error(message, &error, nullptr);
  const int32_t hr = ResultOfError(error);
  g_clear_error(&error);
  return hr;
}

std::string CutFileName(const char* file) {
  QString name = QString::fromUtf8(file ? file : "");
  if (name.size() > 259) name.truncate(259);
  return name.toStdString();
}

GstElement* MakeOptional(const char* factory) { return gst_element_factory_make(factory, nullptr); }

GstElement* AudioStage(std::shared_ptr<AudioShaper>* shaper) {
  GstElement* stage = MakeOptional("identity");
  if (stage) *shaper = AudioShaper::Attach(stage);
  return stage;
}

bool IsMpegAudioDecoder(GstElement* element) {
  GstElementFactory* factory = gst_element_get_factory(element);
  const gchar* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
  if (!klass || !strstr(klass, "Decoder") || !strstr(klass, "Audio")) return false;
  GstPad* sink = gst_element_get_static_pad(element, "sink");
  if (!sink) return false;
  GstCaps* caps = gst_pad_get_current_caps(sink);
  gst_object_unref(sink);
  if (!caps) return false;
  gint version = 0;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  const bool mpeg = gst_structure_has_name(s, "audio/mpeg") && gst_structure_get_int(s, "mpegversion", &version) &&
                    version == 1;
  gst_caps_unref(caps);
  return mpeg;
}

GstElement* Chain(GstElement* bin, std::initializer_list<GstElement*> elements) {
  GstElement* previous = nullptr;
  for (GstElement* e : elements) {
    if (!e) return nullptr;
    gst_bin_add(GST_BIN(bin), e);
    if (previous) gst_element_link(previous, e);
    previous = e;
  }
  for (GstElement* e : elements) gst_element_sync_state_with_parent(e);
  return *elements.begin();
}

std::string FileUri(const char* file) {
  if (!file || !*file) return {};  // no name is no file (not the current folder)
  // Addresses (mms://, rtsp://, http://, file://) are handed on as they are.
  if (strstr(file, "://") && gst_uri_is_valid(file)) return file;
  gchar* uri = gst_filename_to_uri(file, nullptr);
  if (!uri) return {};
  std::string text = uri;
  g_free(uri);
  return text;
}

GstMessage* TakeMessage(GstElement* pipeline, GstMessageType types, GstClockTime timeout) {
  GstBus* bus = gst_element_get_bus(pipeline);
  const gint64 end = g_get_monotonic_time() + static_cast<gint64>(timeout / GST_USECOND);
  std::vector<GstMessage*> others;
  GstMessage* found = nullptr;
  while (!found) {
    const gint64 left = std::max<gint64>(0, end - g_get_monotonic_time());
    GstMessage* message = gst_bus_timed_pop(bus, static_cast<GstClockTime>(left) * GST_USECOND);
    if (!message) break;
    if (GST_MESSAGE_TYPE(message) & types)
      found = message;
    else
      others.push_back(message);
  }
  for (GstMessage* message : others) gst_bus_post(bus, message);
  gst_object_unref(bus);
  return found;
}

int32_t Preroll(GstElement* pipeline, const char* file) {
  if (file) {
    const std::string uri = FileUri(file);
    if (uri.empty()) return ORVANA_E_INVALIDARG;
    g_object_set(pipeline, "uri", uri.c_str(), nullptr);
  }
  gst_element_set_state(pipeline, GST_STATE_PAUSED);
  const GstStateChangeReturn done = gst_element_get_state(pipeline, nullptr, nullptr, kPrerollTimeout);
  GstMessage* failure = TakeMessage(pipeline, GST_MESSAGE_ERROR, 0);
  int32_t hr = ORVANA_S_OK;
  if (failure) {
    hr = ResultOfErrorMessage(failure);
    gst_message_unref(failure);
  } else if (done != GST_STATE_CHANGE_SUCCESS && done != GST_STATE_CHANGE_NO_PREROLL) {
    hr = ORVANA_E_FAIL;
  }
  if (hr < 0) gst_element_set_state(pipeline, GST_STATE_READY);
  return hr;
}

void PictureSizeAt(GstPad* pad, OrvanaVideoInfo* info) {
  info->hasVideo = 0;
  GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
  if (!caps) return;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  gint width = 0, height = 0;
  if (gst_structure_get_int(s, "width", &width) && gst_structure_get_int(s, "height", &height)) {
    info->width = width;
    info->height = height;
    info->hasVideo = ORVANA_TRUE;
  }
  gst_caps_unref(caps);
}

namespace {

struct SeenSize {
  gint width = 0, height = 0, parN = 1, parD = 1;
};

GstPadProbeReturn OnCaps(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
  GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
  if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
  GstCaps* caps = nullptr;
  gst_event_parse_caps(event, &caps);
  gint width = 0, height = 0;
  const GstStructure* s = caps ? gst_caps_get_structure(caps, 0) : nullptr;
  if (!s || !gst_structure_get_int(s, "width", &width) || !gst_structure_get_int(s, "height", &height))
    return GST_PAD_PROBE_OK;
  gint parN = 1, parD = 1;
  gst_structure_get_fraction(s, "pixel-aspect-ratio", &parN, &parD);
  auto* seen = static_cast<SeenSize*>(data);
  const bool changed = seen->width && (seen->width != width || seen->height != height || seen->parN * parD != parN * seen->parD);
  *seen = {width, height, parN, parD};
  if (changed) {
    GstElement* element = gst_pad_get_parent_element(pad);
    if (element) {
      gst_element_post_message(element, gst_message_new_application(
                                            GST_OBJECT(element), gst_structure_new(kVideoSizeMessage, "width", G_TYPE_INT,
                                                                                   width, "height", G_TYPE_INT, height,
                                                                                   "pixel-aspect-ratio", GST_TYPE_FRACTION,
                                                                                   parN, parD, nullptr)));
      gst_object_unref(element);
    }
  }
  return GST_PAD_PROBE_OK;
}

}  // namespace

void WatchVideoSize(GstElement* element) {
  GstPad* in = gst_element_get_static_pad(element, "sink");
  if (!in) return;
  gst_pad_add_probe(in, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &OnCaps, new SeenSize,
                    [](gpointer data) { delete static_cast<SeenSize*>(data); });
  gst_object_unref(in);
}

std::vector<uint8_t> BottomUpRows(GstSample* sample, int32_t* width, int32_t* height) {
  std::vector<uint8_t> rows;
  GstVideoInfo info;
  if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return rows;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ)) return rows;
  *width = GST_VIDEO_INFO_WIDTH(&info);
  *height = GST_VIDEO_INFO_HEIGHT(&info);
  const size_t stride = static_cast<size_t>(GST_ROUND_UP_4(*width * 3));
  const size_t srcStride = static_cast<size_t>(GST_VIDEO_INFO_PLANE_STRIDE(&info, 0));
  rows.assign(stride * static_cast<size_t>(*height), 0);
  for (int32_t y = 0; y < *height; ++y) {
    const size_t from = static_cast<size_t>(y) * srcStride;
    if (from + static_cast<size_t>(*width) * 3 > map.size) break;
    std::memcpy(rows.data() + static_cast<size_t>(*height - 1 - y) * stride, map.data + from,
                static_cast<size_t>(*width) * 3);
  }
  gst_buffer_unmap(buffer, &map);
  return rows;
}

}  // namespace orvana
