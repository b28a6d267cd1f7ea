#include "media_info.h"

#include <gst/audio/audio.h>
#include <gst/pbutils/pbutils.h>
#include <gst/video/video.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "graph_support.h"
#include "media.h"

namespace orvana {

namespace {

// Raw picture formats by GStreamer's name: the subtype, its compression and its bits per pixel.
struct PictureFormat {
  const char* gstName;
  const char* subtype;
  uint32_t compression;  // 0: RGB; 3: BITFIELDS; else the FOURCC of the subtype
  int32_t bitCount;
};
constexpr uint32_t FourCc(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) | static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}
constexpr PictureFormat kPictureFormats[] = {
    {"YV12", "YV12", FourCc("YV12"), 12}, {"I420", "IYUV", FourCc("IYUV"), 12}, {"YUY2", "YUY2", FourCc("YUY2"), 16},
    {"UYVY", "UYVY", FourCc("UYVY"), 16}, {"YVYU", "YVYU", FourCc("YVYU"), 16}, {"YUV9", "YVU9", FourCc("YVU9"), 9},
    {"YVU9", "YVU9", FourCc("YVU9"), 9}, {"Y41B", "Y411", FourCc("Y411"), 12}, {"RGB16", "RGB565", 3, 16},
    {"RGB15", "RGB555", 0, 16}, {"BGR", "RGB24", 0, 24}, {"BGRx", "RGB32", 0, 32}, {"BGRA", "ARGB32", 0, 32},
};

int IntField(const GstStructure* s, const char* name) {
  gint value = 0;
  return gst_structure_get_int(s, name, &value) ? value : 0;
}

void SetPicture(StreamFormat* f, const PictureFormat& p, const GstStructure* s) {
  f->subtype = p.subtype;
  f->block = StreamFormat::Block::VideoInfo;
  f->compression = p.compression;
  f->bitCount = p.bitCount;
  f->width = IntField(s, "width");
  f->height = IntField(s, "height");
}

}  // namespace

StreamFormat FormatOfCaps(const GstCaps* caps) {
  StreamFormat f;
  if (!caps || gst_caps_get_size(caps) == 0) return f;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  const std::string media = gst_structure_get_name(s);
  const char* format = gst_structure_get_string(s, "format");
  if (media.rfind("video/", 0) == 0 || media.rfind("image/", 0) == 0) {
    f.major = StreamFormat::Major::Video;
    if (media == "video/x-raw") {
      for (const PictureFormat& p : kPictureFormats)
        if (format && std::strcmp(format, p.gstName) == 0) SetPicture(&f, p, s);
      return f;
    }
    // A compressed picture: what its decoder hands on.
    const char* chroma = gst_structure_get_string(s, "chroma-format");
    const bool fourTwoTwo = chroma && std::strcmp(chroma, "4:2:2") == 0;
    SetPicture(&f, fourTwoTwo ? kPictureFormats[2] : kPictureFormats[0], s);
    return f;
  }
  if (media == "audio/x-midi-event" || media == "audio/midi") {
    f.major = StreamFormat::Major::Midi;
    return f;
  }
  if (media.rfind("audio/", 0) == 0) {
    f.major = StreamFormat::Major::Audio;
    f.block = StreamFormat::Block::WaveFormatEx;
    f.rate = IntField(s, "rate");
    f.channels = IntField(s, "channels");
    const bool isFloat = media == "audio/x-raw" && format && format[0] == 'F';
    f.subtype = isFloat ? "IEEE_FLOAT" : "PCM";
    f.formatTag = isFloat ? 3 : 1;
    if (media == "audio/x-raw" && format) {
      GstAudioFormatInfo const* info = gst_audio_format_get_info(gst_audio_format_from_string(format));
      f.bits = info ? GST_AUDIO_FORMAT_INFO_WIDTH(info) : 0;
    } else {
      f.bits = 16;
    }
    return f;
  }
  if (media.rfind("text/", 0) == 0 || media.rfind("subpicture/", 0) == 0 || media.rfind("application/x-ssa", 0) == 0 ||
      media.rfind("application/x-ass", 0) == 0 || media == "application/x-subtitle")
    f.major = StreamFormat::Major::Text;
  return f;
}

void DescribeMediaFile(const char* file, const MessageTable& messages,
                       const std::function<void(const std::string&)>& line) {
  const std::string uri = FileUri(file);
  if (uri.empty() || !EnsureGstreamer()) return;
  std::unique_ptr<GstDiscoverer, decltype(&g_object_unref)> discoverer(gst_discoverer_new(10 * GST_SECOND, nullptr),
                                                                       g_object_unref);
  if (!discoverer) return;
  GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer.get(), uri.c_str(), nullptr);
  if (!info) return;
  const GstDiscovererResult result = gst_discoverer_info_get_result(info);
  GList* streams = result == GST_DISCOVERER_OK || result == GST_DISCOVERER_MISSING_PLUGINS
                       ? gst_discoverer_info_get_stream_list(info)
                       : nullptr;
  for (GList* l = streams; l; l = l->next) {
    auto* stream = static_cast<GstDiscovererStreamInfo*>(l->data);
    // A stream that feeds a further one (a typed MIDI file into its parser) is told by that one.
    if (GstDiscovererStreamInfo* next = gst_discoverer_stream_info_get_next(stream)) {
      gst_discoverer_stream_info_unref(next);
      continue;
    }
    if (GST_IS_DISCOVERER_CONTAINER_INFO(stream)) continue;
    GstCaps* caps = gst_discoverer_stream_info_get_caps(stream);
    StreamFormat f = FormatOfCaps(caps);
    if (caps) gst_caps_unref(caps);
    // Streams of tags (an MP3's ID3 block) and the like are no output of the file.
    if (f.major == StreamFormat::Major::Other) continue;
    // What the caps leave out, the stream's own information knows.
    if (GST_IS_DISCOVERER_VIDEO_INFO(stream) && f.block == StreamFormat::Block::VideoInfo) {
      auto* video = GST_DISCOVERER_VIDEO_INFO(stream);
      if (f.width == 0) f.width = static_cast<int32_t>(gst_discoverer_video_info_get_width(video));
      if (f.height == 0) f.height = static_cast<int32_t>(gst_discoverer_video_info_get_height(video));
    } else if (GST_IS_DISCOVERER_AUDIO_INFO(stream) && f.block == StreamFormat::Block::WaveFormatEx) {
      auto* audio = GST_DISCOVERER_AUDIO_INFO(stream);
      if (f.rate == 0) f.rate = static_cast<int32_t>(gst_discoverer_audio_info_get_sample_rate(audio));
      if (f.channels == 0) f.channels = static_cast<int32_t>(gst_discoverer_audio_info_get_channels(audio));
      // An integer depth of the stream (FLAC's 24 bits); a float decoder's 32 is no depth of it.
      if (const guint depth = gst_discoverer_audio_info_get_depth(audio); depth > 0 && depth < 32 && f.formatTag == 1)
        f.bits = static_cast<int32_t>(depth);
    }
    line(DescribeStream(f, messages));
  }
  gst_discoverer_stream_info_list_free(streams);
  gst_discoverer_info_unref(info);
}

}  // namespace orvana
