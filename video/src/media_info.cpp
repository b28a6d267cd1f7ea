#include "media_info.h"

#include <gst/audio/audio.h>
#include <gst/pbutils/pbutils.h>
#include <gst/video/video.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "graph_support.h"
#include "media.h"
#include "stored_format.h"

namespace orvana {

namespace {

// Raw picture formats by GStreamer's name: the subtype, its compression and its bits per pixel.
struct PictureFormat {
  const char* gstName;
  const char* subtype;
  uint32_t compression;  // 0: RGB; 3: BITFIELDS; else the FOURCC of the subtype
  int32_t bitCount;
};
constexpr PictureFormat kPictureFormats[] = {
    {"YV12", "YV12", FourCc("YV12"), 12}, {"I420", "IYUV", FourCc("IYUV"), 12}, {"YUY2", "YUY2", FourCc("YUY2"), 16},
    {"UYVY", "UYVY", FourCc("UYVY"), 16}, {"YVYU", "YVYU", FourCc("YVYU"), 16}, {"YUV9", "YVU9", FourCc("YVU9"), 9},
    {"YVU9", "YVU9", FourCc("YVU9"), 9}, {"Y41B", "Y411", FourCc("Y411"), 12}, {"RGB16", "RGB565", 3, 16},
    {"RGB15", "RGB555", 0, 16}, {"BGR", "RGB24", 0, 24}, {"BGRx", "RGB32", 0, 32}, {"BGRA", "ARGB32", 0, 32},
};

// Compressed pictures by GStreamer's name (and the version field that tells them apart) with
// the FOURCC they are stored under.
struct CodedPicture {
  const char* media;
  const char* versionField;
  int version;
  uint32_t fourCc;
};
constexpr CodedPicture kCodedPictures[] = {
    {"image/jpeg", nullptr, 0, FourCc("MJPG")},          {"video/x-divx", "divxversion", 3, FourCc("DIV3")},
    {"video/x-divx", "divxversion", 4, FourCc("DIVX")},  {"video/x-divx", "divxversion", 5, FourCc("DX50")},
    {"video/x-xvid", nullptr, 0, FourCc("XVID")},        {"video/mpeg", "mpegversion", 4, FourCc("MP4V")},
    {"video/x-msmpeg", "msmpegversion", 41, FourCc("MPG4")}, {"video/x-msmpeg", "msmpegversion", 42, FourCc("MP42")},
    {"video/x-msmpeg", "msmpegversion", 43, FourCc("MP43")}, {"video/x-dv", nullptr, 0, FourCc("dvsd")},
    {"video/x-h263", nullptr, 0, FourCc("H263")},        {"video/x-h264", nullptr, 0, FourCc("H264")},
    {"video/x-h265", nullptr, 0, FourCc("HEVC")},        {"video/x-vp8", nullptr, 0, FourCc("VP80")},
    {"video/x-vp9", nullptr, 0, FourCc("VP90")},         {"video/x-av1", nullptr, 0, FourCc("AV01")},
    {"video/x-theora", nullptr, 0, FourCc("THEO")},      {"video/x-wmv", "wmvversion", 1, FourCc("WMV1")},
    {"video/x-wmv", "wmvversion", 2, FourCc("WMV2")},    {"video/x-wmv", "wmvversion", 3, FourCc("WMV3")},
    {"video/x-cinepak", nullptr, 0, FourCc("cvid")},     {"video/x-flash-video", nullptr, 0, FourCc("FLV1")},
    {"video/x-huffyuv", nullptr, 0, FourCc("HFYU")},     {"video/x-ffv", nullptr, 0, FourCc("FFV1")},
};

// Sound stored under a wave format tag, by GStreamer's name (and the field that tells them apart).
struct CodedSound {
  const char* media;
  const char* field;
  const char* value;
  int32_t tag;
};
constexpr CodedSound kCodedSounds[] = {
    {"audio/x-alaw", nullptr, nullptr, 0x0006},           {"audio/x-mulaw", nullptr, nullptr, 0x0007},
    {"audio/x-adpcm", "layout", "microsoft", 0x0002},     {"audio/x-adpcm", "layout", "dvi", 0x0011},
    {"audio/x-adpcm", "layout", "g726", 0x0064},          {"audio/x-gsm", nullptr, nullptr, 0x0031},
    {"audio/x-truespeech", nullptr, nullptr, 0x0022},     {"audio/x-wma", nullptr, nullptr, 0x0161},
    {"audio/x-flac", nullptr, nullptr, 0xF1AC},           {"audio/x-vorbis", nullptr, nullptr, 0x6771},
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

// A compressed picture as stored: MPEG-1 and MPEG-2 in their own blocks, the rest as a bitmap
// header with the codec's FOURCC; unknown codecs have no block.
void SetCodedPicture(StreamFormat* f, const std::string& media, const GstStructure* s) {
  f->width = IntField(s, "width");
  f->height = IntField(s, "height");
  f->bitCount = 24;
  const int mpeg = media == "video/mpeg" ? IntField(s, "mpegversion") : 0;
  if (mpeg == 1 || mpeg == 2) {
    f->subtype = mpeg == 1 ? "MPEG1Payload" : "MPEG2_VIDEO";
    f->block = mpeg == 1 ? StreamFormat::Block::MpegVideo : StreamFormat::Block::Mpeg2Video;
    f->compression = mpeg == 1 ? FourCc("MPG1") : FourCc("MPG2");
    return;
  }
  for (const CodedPicture& c : kCodedPictures)
    if (media == c.media && (!c.versionField || IntField(s, c.versionField) == c.version)) {
      f->compression = c.fourCc;
      f->subtype = SubtypeOfFourCc(c.fourCc);
      f->block = StreamFormat::Block::VideoInfo;
      return;
    }
  // AVI's own name for a codec GStreamer does not know.
  guint fourCc = 0;
  if (gst_structure_get_uint(s, "fourcc", &fourCc) && fourCc != 0) {
    f->compression = fourCc;
    f->subtype = SubtypeOfFourCc(fourCc);
    f->block = StreamFormat::Block::VideoInfo;
  }
}

// Sound as stored: PCM by its own depth, coded sound by its tag (or its own subtype for AC-3,
// DTS and DVD linear PCM) and no depth.
void SetSound(StreamFormat* f, const std::string& media, const GstStructure* s) {
  f->rate = IntField(s, "rate");
  f->channels = IntField(s, "channels");
  f->block = StreamFormat::Block::WaveFormatEx;
  const char* format = gst_structure_get_string(s, "format");
  if (media == "audio/x-raw") {
    const bool isFloat = format && format[0] == 'F';
    f->formatTag = isFloat ? 3 : 1;
    const GstAudioFormatInfo* info = format ? gst_audio_format_get_info(gst_audio_format_from_string(format)) : nullptr;
    f->bits = info ? GST_AUDIO_FORMAT_INFO_WIDTH(info) : 0;
  } else if (media == "audio/mpeg" && IntField(s, "mpegversion") == 1) {
    f->formatTag = IntField(s, "layer") == 3 ? 0x0055 : 0x0050;
  } else if (media == "audio/mpeg") {
    f->formatTag = 0x00FF;  // AAC
  } else if (media == "audio/x-ac3" || media == "audio/ac3") {
    f->subtype = "DOLBY_AC3";
    f->formatTag = 0x2000;
  } else if (media == "audio/x-dts") {
    f->subtype = "DTS";
    f->formatTag = 0x2001;
  } else if (media == "audio/x-lpcm" || media == "audio/x-private1-lpcm") {
    f->subtype = "DVD_LPCM_AUDIO";
    f->block = StreamFormat::Block::DvdLpcm;
  } else {
    for (const CodedSound& c : kCodedSounds) {
      const char* value = c.field ? gst_structure_get_string(s, c.field) : nullptr;
      if (media == c.media && (!c.field || (value && std::strcmp(value, c.value) == 0))) f->formatTag = c.tag;
    }
  }
  if (f->subtype.empty()) f->subtype = SubtypeOfFormatTag(f->formatTag);
}

// What a RIFF file's header stores for a stream overrides what the caps tell.
void TakeStoredHeader(StreamFormat* f, const StoredStream& stored) {
  if (stored.kind == StoredStream::Kind::Video && f->block == StreamFormat::Block::VideoInfo) {
    f->compression = stored.compression;
    f->bitCount = stored.bitCount;
    if (stored.compression > 3) f->subtype = SubtypeOfFourCc(stored.compression);
  } else if (stored.kind == StoredStream::Kind::Audio && f->block == StreamFormat::Block::WaveFormatEx) {
    f->formatTag = stored.formatTag;
    f->rate = stored.rate;
    f->channels = stored.channels;
    f->bits = stored.bits;
    f->subtype = SubtypeOfFormatTag(stored.subtypeTag);
  }
}

// The streams an AVI or WAV file's header stores; nothing for any other file.
std::vector<StoredStream> StoredRiffStreams(GstDiscovererInfo* info) {
  GstDiscovererStreamInfo* top = gst_discoverer_info_get_stream_info(info);
  if (!top) return {};
  GstCaps* caps = gst_discoverer_stream_info_get_caps(top);
  const GstStructure* s = caps && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
  const bool riff = s && (gst_structure_has_name(s, "video/x-msvideo") || gst_structure_has_name(s, "audio/x-wav"));
  if (caps) gst_caps_unref(caps);
  gst_discoverer_stream_info_unref(top);
  if (!riff) return {};
  gchar* path = g_filename_from_uri(gst_discoverer_info_get_uri(info), nullptr, nullptr);
  if (!path) return {};
  std::string head(1 << 20, '\0');
  FILE* file = std::fopen(path, "rb");
  g_free(path);
  if (!file) return {};
  head.resize(std::fread(head.data(), 1, head.size(), file));
  std::fclose(file);
  return ReadRiffStreams(head);
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
    } else {
      SetCodedPicture(&f, media, s);
    }
    return f;
  }
  if (media == "audio/x-midi-event" || media == "audio/midi") {
    f.major = StreamFormat::Major::Midi;
    return f;
  }
  if (media.rfind("audio/", 0) == 0) {
    f.major = StreamFormat::Major::Audio;
    SetSound(&f, media, s);
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
  // The header's streams by kind, each in the file's order, taken up one by one.
  std::vector<StoredStream> storedPictures, storedSounds;
  for (const StoredStream& a : StoredRiffStreams(info)) {
    if (a.kind == StoredStream::Kind::Video) storedPictures.push_back(a);
    if (a.kind == StoredStream::Kind::Audio) storedSounds.push_back(a);
  }
  size_t picturesTaken = 0, soundsTaken = 0;
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
      // A lossless stream keeps its depth (FLAC's 24 bits).
      if (const guint depth = gst_discoverer_audio_info_get_depth(audio); depth > 0 && f.formatTag == 0xF1AC)
        f.bits = static_cast<int32_t>(depth);
    }
    if (f.block == StreamFormat::Block::VideoInfo && picturesTaken < storedPictures.size())
      TakeStoredHeader(&f, storedPictures[picturesTaken++]);
    else if (f.block == StreamFormat::Block::WaveFormatEx && soundsTaken < storedSounds.size())
      TakeStoredHeader(&f, storedSounds[soundsTaken++]);
    line(DescribeStream(f, messages));
  }
  gst_discoverer_stream_info_list_free(streams);
  gst_discoverer_info_unref(info);
}

}  // namespace orvana
