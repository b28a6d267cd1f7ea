#include "audio_shaper.h"

#include <cstring>
#include <vector>

namespace orvana {

namespace {

bool OnLeft(GstAudioChannelPosition p) {
  switch (p) {
    case GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT:
    case GST_AUDIO_CHANNEL_POSITION_REAR_LEFT:
    case GST_AUDIO_CHANNEL_POSITION_SIDE_LEFT:
    case GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
    case GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_LEFT:
    case GST_AUDIO_CHANNEL_POSITION_TOP_REAR_LEFT:
    case GST_AUDIO_CHANNEL_POSITION_TOP_SIDE_LEFT:
    case GST_AUDIO_CHANNEL_POSITION_WIDE_LEFT:
    case GST_AUDIO_CHANNEL_POSITION_SURROUND_LEFT:
    case GST_AUDIO_CHANNEL_POSITION_BOTTOM_FRONT_LEFT: return true;
    default: return false;
  }
}

bool OnRight(GstAudioChannelPosition p) {
  switch (p) {
    case GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT:
    case GST_AUDIO_CHANNEL_POSITION_REAR_RIGHT:
    case GST_AUDIO_CHANNEL_POSITION_SIDE_RIGHT:
    case GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
    case GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_RIGHT:
    case GST_AUDIO_CHANNEL_POSITION_TOP_REAR_RIGHT:
    case GST_AUDIO_CHANNEL_POSITION_TOP_SIDE_RIGHT:
    case GST_AUDIO_CHANNEL_POSITION_WIDE_RIGHT:
    case GST_AUDIO_CHANNEL_POSITION_SURROUND_RIGHT:
    case GST_AUDIO_CHANNEL_POSITION_BOTTOM_FRONT_RIGHT: return true;
    default: return false;
  }
}

// Where sample `frame` of channel `channel` is, in either layout.
uint8_t* SampleAt(const GstAudioBuffer& audio, gsize frame, int channel) {
  const gsize bytes = static_cast<gsize>(GST_AUDIO_INFO_BPS(&audio.info));
  const gsize channels = static_cast<gsize>(GST_AUDIO_INFO_CHANNELS(&audio.info));
  if (GST_AUDIO_INFO_LAYOUT(&audio.info) == GST_AUDIO_LAYOUT_INTERLEAVED)
    return static_cast<uint8_t*>(audio.planes[0]) + (frame * channels + static_cast<gsize>(channel)) * bytes;
  return static_cast<uint8_t*>(audio.planes[channel]) + frame * bytes;
}

template <typename Sample>
void Scale(const GstAudioBuffer& audio, const double* gains) {
  for (int c = 0; c < GST_AUDIO_INFO_CHANNELS(&audio.info); ++c) {
    if (gains[c] == 1.0) continue;
    for (gsize f = 0; f < audio.n_samples; ++f) {
      uint8_t* at = SampleAt(audio, f, c);
      Sample s;
      std::memcpy(&s, at, sizeof s);
      s = static_cast<Sample>(static_cast<double>(s) * gains[c]);
      std::memcpy(at, &s, sizeof s);
    }
  }
}

// Any other interleaved format (8 bit, 24 bit, the other byte order …): through the
// format's own unpacking to 32-bit integers or doubles and back.
void ScaleUnpacked(const GstAudioBuffer& audio, const double* gains) {
  const GstAudioFormatInfo* format = audio.info.finfo;
  if (GST_AUDIO_INFO_LAYOUT(&audio.info) != GST_AUDIO_LAYOUT_INTERLEAVED || !format->unpack_func || !format->pack_func)
    return;
  const int channels = GST_AUDIO_INFO_CHANNELS(&audio.info);
  const gsize values = audio.n_samples * static_cast<gsize>(channels);
  const bool floats = format->unpack_format == GST_AUDIO_FORMAT_F64;
  std::vector<double> wide(floats ? values : 0);
  std::vector<int32_t> whole(floats ? 0 : values);
  void* unpacked = floats ? static_cast<void*>(wide.data()) : static_cast<void*>(whole.data());
  format->unpack_func(format, GST_AUDIO_PACK_FLAG_NONE, unpacked, audio.planes[0], static_cast<gint>(values));
  for (gsize i = 0; i < values; ++i) {
    const double gain = gains[i % static_cast<gsize>(channels)];
    if (floats)
      wide[i] *= gain;
    else
      whole[i] = static_cast<int32_t>(static_cast<double>(whole[i]) * gain);
  }
  format->pack_func(format, GST_AUDIO_PACK_FLAG_NONE, unpacked, audio.planes[0], static_cast<gint>(values));
}

}  // namespace

std::shared_ptr<AudioShaper> AudioShaper::Attach(GstElement* element) {
  auto shaper = std::make_shared<AudioShaper>();
  GstPad* out = element ? gst_element_get_static_pad(element, "src") : nullptr;
  if (!out) return shaper;
  // The probe holds the shaper for as long as the pad lives.
  gst_pad_add_probe(out, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                    &AudioShaper::OnData, new std::shared_ptr<AudioShaper>(shaper),
                    [](gpointer held) { delete static_cast<std::shared_ptr<AudioShaper>*>(held); });
  gst_object_unref(out);
  return shaper;
}

void AudioShaper::SetPanorama(double panorama) {
  std::lock_guard<std::mutex> hold(mutex_);
  panorama_ = panorama;
}

void AudioShaper::SetFormat(const GstCaps* caps) {
  std::lock_guard<std::mutex> hold(mutex_);
  known_ = gst_audio_info_from_caps(&info_, caps);
}

void AudioShaper::SetDualChoice(int choice) {
  std::lock_guard<std::mutex> hold(mutex_);
  choice_ = choice;
}

bool AudioShaper::Idle() { return panorama_ == 0 && (!dual_ || choice_ == 0); }

void AudioShaper::Shape(GstBuffer* buffer) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!known_ || Idle()) return;
  GstAudioBuffer audio;
  if (!gst_audio_buffer_map(&audio, &info_, buffer, GST_MAP_READWRITE)) return;
  const int channels = GST_AUDIO_INFO_CHANNELS(&info_);
  if (dual_ && choice_ != 0 && channels == 2) {
    const int from = choice_ == 1 ? 0 : 1;
    const size_t bytes = static_cast<size_t>(GST_AUDIO_INFO_BPS(&info_));
    for (gsize f = 0; f < audio.n_samples; ++f) std::memcpy(SampleAt(audio, f, 1 - from), SampleAt(audio, f, from), bytes);
  }
  if (panorama_ != 0 && channels <= 64) {
    double gains[64];
    for (int c = 0; c < channels; ++c) {
      const GstAudioChannelPosition p = info_.position[c];
      gains[c] = panorama_ < 0 && OnRight(p) ? 1.0 + panorama_ : panorama_ > 0 && OnLeft(p) ? 1.0 - panorama_ : 1.0;
    }
    switch (GST_AUDIO_INFO_FORMAT(&info_)) {
      case GST_AUDIO_FORMAT_S16: Scale<int16_t>(audio, gains); break;
      case GST_AUDIO_FORMAT_S32: Scale<int32_t>(audio, gains); break;
      case GST_AUDIO_FORMAT_F32: Scale<float>(audio, gains); break;
      case GST_AUDIO_FORMAT_F64: Scale<double>(audio, gains); break;
      default: ScaleUnpacked(audio, gains); break;
    }
  }
  gst_audio_buffer_unmap(&audio);
}

GstPadProbeReturn AudioShaper::OnData(GstPad*, GstPadProbeInfo* info, gpointer held) {
  AudioShaper& self = **static_cast<std::shared_ptr<AudioShaper>*>(held);
  if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
    {
      std::lock_guard<std::mutex> hold(self.mutex_);
      if (!self.known_ || self.Idle()) return GST_PAD_PROBE_OK;
    }
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    self.Shape(buffer);
    return GST_PAD_PROBE_OK;
  }
  GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
  std::lock_guard<std::mutex> hold(self.mutex_);
  switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_STREAM_START: self.dual_ = false; break;
    case GST_EVENT_CAPS: {
      GstCaps* caps = nullptr;
      gst_event_parse_caps(event, &caps);
      self.known_ = gst_audio_info_from_caps(&self.info_, caps);
      break;
    }
    case GST_EVENT_TAG: {
      GstTagList* tags = nullptr;
      gst_event_parse_tag(event, &tags);
      gchar* mode = nullptr;
      if (gst_tag_list_get_string(tags, "channel-mode", &mode)) self.dual_ = g_strcmp0(mode, "dual-channel") == 0;
      g_free(mode);
      break;
    }
    default: break;
  }
  return GST_PAD_PROBE_OK;
}

}  // namespace orvana
