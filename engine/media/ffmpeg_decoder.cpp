// The general file and network decoder, on FFmpeg: built as libbass_ffmpeg.so, which the
// engine and its add-ons load only when a source needs it.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

#include "bass.h"
#include "decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace lirra::engine {

namespace {

using Clock = std::chrono::steady_clock;

// PCM, MPEG audio layers 1 to 3 and Vorbis.
bool IsCoreCodec(int codecId) {
  const auto id = static_cast<AVCodecID>(codecId);
  const bool pcm = id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT;
  return pcm || id == AV_CODEC_ID_MP1 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP3 ||
         id == AV_CODEC_ID_VORBIS;
}


uint32_t ChannelTypeOf(const AVFormatContext* fmt, const AVCodecParameters* par) {
  const std::string name = fmt->iformat ? fmt->iformat->name : "";
  switch (par->codec_id) {
    case AV_CODEC_ID_MP3: return BASS_CTYPE_STREAM_MP3;
    case AV_CODEC_ID_MP2: return BASS_CTYPE_STREAM_MP2;
    case AV_CODEC_ID_MP1: return BASS_CTYPE_STREAM_MP1;
    case AV_CODEC_ID_VORBIS: return BASS_CTYPE_STREAM_OGG;
    default: break;
  }
  if (name == "wav") {
    return par->codec_id == AV_CODEC_ID_PCM_F32LE || par->codec_id == AV_CODEC_ID_PCM_F64LE
               ? BASS_CTYPE_STREAM_WAV_FLOAT
               : BASS_CTYPE_STREAM_WAV_PCM;
  }
  if (name == "aiff") return BASS_CTYPE_STREAM_AIFF;
  return BASS_CTYPE_STREAM;
}

class MediaDecoder final : public Decoder {
 public:
  ~MediaDecoder() override {
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    swr_free(&swr_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
  }

  int open(const OpenRequest& req) {
    outRate_ = req.outputRate;
    timeout_ = std::chrono::milliseconds(req.timeoutMs);
    network_ = IsNetworkAddress(req.path);
    format_ = avformat_alloc_context();
    if (!format_) return BASS_ERROR_MEM;
    format_->interrupt_callback = {&MediaDecoder::Interrupted, this};
    AVDictionary* options = nullptr;
    if (network_) {
      const std::string us = std::to_string(static_cast<int64_t>(req.timeoutMs) * 1000);
      av_dict_set(&options, "timeout", us.c_str(), 0);
      av_dict_set(&options, "rw_timeout", us.c_str(), 0);
      av_dict_set(&options, "icy", "1", 0);
      av_dict_set(&options, "reconnect", "0", 0);
    }
    armDeadline();
    const int rc = avformat_open_input(&format_, req.path.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (rc < 0) {
      // avformat_open_input frees the context on failure.
      if (network_) {
        if (timedOut()) return BASS_ERROR_TIMEOUT;
        // Reached, but what came back is not a format we know (a web page, say).
        return rc == AVERROR_INVALIDDATA ? BASS_ERROR_FILEFORM : BASS_ERROR_FILEOPEN;
      }
      return rc == AVERROR(ENOENT) || rc == AVERROR(EACCES) || rc == AVERROR(EISDIR)
                 ? BASS_ERROR_FILEOPEN
                 : BASS_ERROR_FILEFORM;
    }
    armDeadline();
    if (avformat_find_stream_info(format_, nullptr) < 0)
      return timedOut() ? BASS_ERROR_TIMEOUT : BASS_ERROR_FILEFORM;
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ < 0) return stream_ == AVERROR_DECODER_NOT_FOUND ? BASS_ERROR_CODEC : BASS_ERROR_FILEFORM;
    AVStream* st = format_->streams[stream_];
    if (req.accepts && !req.accepts(st->codecpar->codec_id)) return BASS_ERROR_FILEFORM;
    if (req.coreCodecsOnly && !IsCoreCodec(st->codecpar->codec_id)) return BASS_ERROR_FILEFORM;
    codec_ = avcodec_alloc_context3(codec);
    if (!codec_ || avcodec_parameters_to_context(codec_, st->codecpar) < 0) return BASS_ERROR_MEM;
    codec_->pkt_timebase = st->time_base;
    if (avcodec_open2(codec_, codec, nullptr) < 0) return BASS_ERROR_CODEC;
    if (codec_->sample_rate <= 0 || codec_->ch_layout.nb_channels <= 0) return BASS_ERROR_FILEFORM;
    if (outRate_ == kSourceRate) outRate_ = codec_->sample_rate;
    for (int i = 0; i < static_cast<int>(format_->nb_streams); ++i)
      if (i != stream_) format_->streams[i]->discard = AVDISCARD_ALL;

    info_.rate = codec_->sample_rate;
    info_.channels = codec_->ch_layout.nb_channels;
    info_.bits = st->codecpar->bits_per_raw_sample > 0 ? st->codecpar->bits_per_raw_sample
                                                        : st->codecpar->bits_per_coded_sample;
    info_.ctype = ChannelTypeOf(format_, st->codecpar);
    info_.codecId = st->codecpar->codec_id;
    info_.lengthFrames = measureLength();
    // MP4's edit list gives the exact length of the music; FFmpeg skips the encoder's delay
    // at the start but decodes the padding of the last frame: it is cut here.
    const std::string container = format_->iformat ? format_->iformat->name : "";
    if (!network_ && container.find("mp4") != std::string::npos && info_.lengthFrames > 0)
      stopAtOut_ = av_rescale(info_.lengthFrames, outRate_, info_.rate);

    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!packet_ || !frame_ || !makeResampler()) return BASS_ERROR_MEM;
    return BASS_OK;
  }

  const SourceInfo& info() const override { return info_; }

  // Length in source frames. The container's duration counts from time 0 while decoding
  // starts at the stream's start time (MP3 encoder delay is skipped), so that part is not
  // audio. A duration FFmpeg only guessed from the bit rate is replaced by counting the
  // packets of a local file, which is exact and costs one pass without decoding.
  int64_t measureLength() {
    AVStream* st = format_->streams[stream_];
    const AVRational perFrame{1, info_.rate};
    const int64_t start =
        st->start_time != AV_NOPTS_VALUE && st->start_time > 0 ? st->start_time : 0;
    if (!network_ && format_->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) {
      AVPacket* pkt = av_packet_alloc();
      int64_t total = 0;
      bool complete = pkt != nullptr;
      while (complete && av_read_frame(format_, pkt) >= 0) {
        if (pkt->stream_index == stream_) {
          if (pkt->duration <= 0) complete = false;
          total += pkt->duration;
        }
        av_packet_unref(pkt);
      }
      av_packet_free(&pkt);
      avformat_seek_file(format_, stream_, INT64_MIN, 0, INT64_MAX, 0);
      if (complete && total > 0) return av_rescale_q(total - start, st->time_base, perFrame);
    }
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
      return av_rescale_q(st->duration - start, st->time_base, perFrame);
    if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0 && !network_)
      return av_rescale(format_->duration, info_.rate, AV_TIME_BASE) -
             av_rescale_q(start, st->time_base, perFrame);
    return -1;
  }

  size_t read(float* out, size_t frames) override {
    if (stopAtOut_ >= 0) frames = static_cast<size_t>(std::clamp<int64_t>(stopAtOut_ - deliveredOut_, 0, frames));
    size_t done = 0;
    while (done < frames) {
      if (pendingPos_ < pending_.size()) {
        const size_t available = (pending_.size() - pendingPos_) / OutputFormat::kChannels;
        const size_t n = std::min(available, frames - done);
        std::memcpy(out + done * OutputFormat::kChannels, pending_.data() + pendingPos_,
                    n * OutputFormat::kChannels * sizeof(float));
        pendingPos_ += n * OutputFormat::kChannels;
        done += n;
        continue;
      }
      if (!decodeMore()) break;
    }
    deliveredOut_ += static_cast<int64_t>(done);
    return done;
  }

  bool seek(int64_t sourceFrame) override {
    AVStream* st = format_->streams[stream_];
    const int64_t ts = av_rescale_q(sourceFrame, AVRational{1, info_.rate}, st->time_base);
    const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    armDeadline();
    if (av_seek_frame(format_, stream_, start + ts, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(codec_);
    swr_free(&swr_);
    if (!makeResampler()) return false;
    pending_.clear();
    pendingPos_ = 0;
    flushed_ = false;
    ended_ = false;
    skipUntil_ = sourceFrame;
    deliveredOut_ = av_rescale(sourceFrame, outRate_, info_.rate);
    return true;
  }

  std::string streamMeta() const override { return ioOption("icy_metadata_packet"); }

  std::vector<std::string> httpHeaders() const override {
    std::vector<std::string> out;
    const std::string all = ioOption("icy_metadata_headers");
    size_t start = 0;
    while (start < all.size()) {
      size_t end = all.find('\n', start);
      if (end == std::string::npos) end = all.size();
      std::string line = all.substr(start, end - start);
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      if (!line.empty()) out.push_back(std::move(line));
      start = end + 1;
    }
    return out;
  }

  std::vector<std::string> tags() const override {
    std::vector<std::string> out;
    const auto collect = [&out](const AVDictionary* dict) {
      const AVDictionaryEntry* e = nullptr;
      while ((e = av_dict_get(dict, "", e, AV_DICT_IGNORE_SUFFIX)))
        out.push_back(std::string(e->key) + "=" + e->value);
    };
    collect(format_->metadata);
    collect(format_->streams[stream_]->metadata);
    return out;
  }

 private:
  // A text option of the network layer (FFmpeg keeps ICY data there), or empty.
  std::string ioOption(const char* name) const {
    if (!network_ || !format_ || !format_->pb) return {};
    uint8_t* value = nullptr;
    if (av_opt_get(format_->pb, name, AV_OPT_SEARCH_CHILDREN, &value) < 0 || !value) return {};
    std::string out(reinterpret_cast<char*>(value));
    av_free(value);
    return out;
  }

  static int Interrupted(void* self) {
    auto* d = static_cast<MediaDecoder*>(self);
    return d->aborted_ || (d->network_ && Clock::now() > d->deadline_) ? 1 : 0;
  }
  void abort() override { aborted_ = true; }
  void armDeadline() { deadline_ = Clock::now() + timeout_; }
  bool timedOut() const { return network_ && Clock::now() > deadline_; }

  bool makeResampler() {
    return makeResampler(codec_->ch_layout, codec_->sample_fmt, codec_->sample_rate);
  }
  bool makeResampler(const AVChannelLayout& layout, int format, int rate) {
    swr_free(&swr_);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (rate <= 0 || swr_alloc_set_opts2(&swr_, &stereo, AV_SAMPLE_FMT_FLT, outRate_, const_cast<AVChannelLayout*>(&layout),
                                         static_cast<AVSampleFormat>(format), rate, 0, nullptr) < 0)
      return false;
    inFormat_ = format;
    inRate_ = rate;
    inChannels_ = layout.nb_channels;
    return swr_init(swr_) >= 0;
  }

  // Decodes the next frame into `pending_`. False at the end of the stream.
  bool decodeMore() {
    pending_.clear();
    pendingPos_ = 0;
    while (!ended_) {
      const int rc = avcodec_receive_frame(codec_, frame_);
      if (rc == 0) {
        convertFrame();
        av_frame_unref(frame_);
        if (!pending_.empty()) return true;
        continue;
      }
      if (rc == AVERROR_EOF) {
        ended_ = true;
        break;
      }
      if (rc != AVERROR(EAGAIN)) {
        ended_ = true;  // a broken stream ends here rather than looping
        break;
      }
      if (flushed_) {
        ended_ = true;
        break;
      }
      armDeadline();
      const int readRc = av_read_frame(format_, packet_);
      if (readRc < 0) {
        avcodec_send_packet(codec_, nullptr);  // drain the decoder
        flushed_ = true;
        continue;
      }
      if (packet_->stream_index == stream_) avcodec_send_packet(codec_, packet_);
      av_packet_unref(packet_);
    }
    // Drain what the resampler still holds.
    const int tail = swr_ ? swr_get_out_samples(swr_, 0) : 0;
    if (tail > 0) {
      pending_.resize(static_cast<size_t>(tail) * OutputFormat::kChannels);
      uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(pending_.data())};
      const int got = swr_convert(swr_, outPlanes, tail, nullptr, 0);
      pending_.resize(got > 0 ? static_cast<size_t>(got) * OutputFormat::kChannels : 0);
    }
    return !pending_.empty();
  }

  void convertFrame() {
    // A frame in another layout than the one before (a broken or changing stream): the
    // converter is set up for it, or the frame is dropped.
    if ((frame_->format != inFormat_ || frame_->sample_rate != inRate_ ||
         frame_->ch_layout.nb_channels != inChannels_) &&
        !makeResampler(frame_->ch_layout, frame_->format, frame_->sample_rate))
      return;
    int64_t dropSource = 0;
    if (skipUntil_ >= 0) {
      const int64_t pts = frame_->best_effort_timestamp;
      if (pts != AV_NOPTS_VALUE) {
        AVStream* st = format_->streams[stream_];
        const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
        const int64_t frameStart =
            av_rescale_q(pts - start, st->time_base, AVRational{1, info_.rate});
        dropSource = skipUntil_ - frameStart;
        if (dropSource >= frame_->nb_samples) return;  // wholly before the target
      }
      skipUntil_ = -1;
    }
    const int capacity = swr_get_out_samples(swr_, frame_->nb_samples);
    if (capacity <= 0) return;
    pending_.resize(static_cast<size_t>(capacity) * OutputFormat::kChannels);
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(pending_.data())};
    const int got = swr_convert(swr_, outPlanes, capacity,
                                const_cast<const uint8_t**>(frame_->extended_data),
                                frame_->nb_samples);
    pending_.resize(got > 0 ? static_cast<size_t>(got) * OutputFormat::kChannels : 0);
    if (dropSource > 0) {
      const auto dropOut = static_cast<size_t>(av_rescale(dropSource, outRate_, info_.rate)) *
                           OutputFormat::kChannels;
      pendingPos_ = std::min(dropOut, pending_.size());
      if (pendingPos_ == pending_.size()) pending_.clear(), pendingPos_ = 0;
    }
  }

  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  SwrContext* swr_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  int stream_ = -1;
  int outRate_ = 44100;
  int inFormat_ = -1;  // what the converter takes
  int inRate_ = 0;
  int inChannels_ = 0;
  bool network_ = false;
  bool flushed_ = false;
  bool ended_ = false;
  int64_t skipUntil_ = -1;
  int64_t deliveredOut_ = 0;  // output frames from the start of the music to the next read
  int64_t stopAtOut_ = -1;    // where the music ends, when the container says it exactly
  std::chrono::milliseconds timeout_{5000};
  std::atomic<bool> aborted_{false};
  Clock::time_point deadline_{};
  SourceInfo info_;
  std::vector<float> pending_;
  size_t pendingPos_ = 0;
};


OpenResult OpenFfmpegDecoder(const OpenRequest& request) {
  av_log_set_level(AV_LOG_QUIET);  // a library never prints; failures come back as codes
  auto decoder = std::make_unique<MediaDecoder>();
  const int error = decoder->open(request);
  if (error != BASS_OK) return {nullptr, error};
  return {std::move(decoder), BASS_OK};
}

const MediaBackend kBackend = {kMediaBackendVersion, OpenFfmpegDecoder};

}  // namespace
}  // namespace lirra::engine

extern "C" __attribute__((visibility("default"))) const lirra::engine::MediaBackend* lirra_media_backend() {
  return &lirra::engine::kBackend;
}
