#include "channel.h"

#include <algorithm>
#include <cmath>

#include "bass.h"

namespace lirra::engine {

Channel::Channel(uint32_t handle, ChannelKind kind, uint32_t flags, std::string path,
                 std::unique_ptr<Decoder> decoder, int outputRate)
    : handle_(handle),
      kind_(kind),
      flags_(flags),
      path_(std::move(path)),
      decoder_(std::move(decoder)),
      outputRate_(outputRate),
      history_(kHistory, 0.0f) {}

void Channel::attachCapture(std::unique_ptr<CaptureStream> capture) {
  capture_ = std::move(capture);
  state_ = capture_->paused() ? State::Paused : State::Playing;
}

bool Channel::decodeOnly() const { return (flags_ & BASS_STREAM_DECODE) != 0; }

size_t Channel::decode(float* out, size_t frames) {
  const size_t got = decoder_->read(out, frames);
  SanitizeSamples(out, got);
  return got;
}

void Channel::startDecodingAhead(std::function<void()> dataReady) {
  // Half a second: enough to ride out a busy moment, small enough to stay cheap.
  ahead_ = std::make_unique<DecodeAhead>(*decoder_, static_cast<size_t>(outputRate_ / 2), std::move(dataReady));
}

void Channel::stopDecodingAhead() {
  if (ahead_) ahead_->stop();
}

void Channel::wakeOutput() {
  if (stream_ && state_ == State::Playing) stream_->wake();
}

size_t Channel::pull(float* out, size_t frames, bool* ended) {
  *ended = ended_;
  if (state_ != State::Playing || ended_) return 0;
  bool sourceEnded = false;
  const size_t got = ahead_ ? ahead_->read(out, frames, &sourceEnded) : decode(out, frames);
  if (ahead_ ? sourceEnded : got < frames) {
    ended_ = true;
    fireEndSyncs(true);
  }
  *ended = ended_;
  for (size_t i = 0; i < got; ++i) {
    history_[static_cast<size_t>(writtenOut_) % kHistory] = 0.5f * (out[2 * i] + out[2 * i + 1]);
    ++writtenOut_;
  }
  return got;
}

int64_t Channel::sourceFrameAt(int64_t outputFrames) const {
  const int rate = std::max(1, info().rate);
  return baseSource_ + outputFrames * rate / outputRate_;
}

int64_t Channel::heardOutputFrames() {
  if (!stream_) return writtenOut_;
  return std::max<int64_t>(0, writtenOut_ - stream_->latencyFrames());
}

int64_t Channel::lengthBytes() const {
  return std::max<int64_t>(0, info().lengthFrames) * bytesPerFrame();
}

int64_t Channel::positionBytes() {
  if (capture_) return capture_->framesCaptured() * bytesPerFrame();
  return sourceFrameAt(heardOutputFrames()) * bytesPerFrame();
}

int Channel::seekSource(int64_t sourceFrame) {
  if (!(ahead_ ? ahead_->seek(sourceFrame) : decoder_->seek(sourceFrame))) return BASS_ERROR_POSITION;
  baseSource_ = sourceFrame;
  writtenOut_ = 0;
  ended_ = false;
  std::fill(history_.begin(), history_.end(), 0.0f);
  if (stream_) {
    stream_->flush();
    if (state_ == State::Playing) stream_->start();  // refill at once from the new place
  }
  return BASS_OK;
}

int Channel::setPositionBytes(int64_t bytes) {
  const int64_t frame = bytes / bytesPerFrame();
  if (frame < 0 || (info().lengthFrames >= 0 && frame > info().lengthFrames))
    return BASS_ERROR_POSITION;
  return seekSource(frame);
}

int Channel::play(bool restart) {
  if (capture_) {
    capture_->resume();
    state_ = State::Playing;
    return BASS_OK;
  }
  if (decodeOnly() || !stream_) return BASS_ERROR_DECODE;
  if (restart) {
    const int rc = seekSource(0);
    if (rc != BASS_OK) return rc;
  }
  state_ = State::Playing;
  stream_->start();
  return BASS_OK;
}

void Channel::pause() {
  if (state_ != State::Playing) return;
  state_ = State::Paused;
  if (stream_) stream_->pause();
  if (capture_) capture_->pause();
}

void Channel::stop() {
  if (state_ == State::Stopped) return;
  if (capture_) {
    capture_->pause();
    state_ = State::Stopped;
    return;
  }
  // What was buffered but not heard is dropped; playing on resumes where the sound stopped.
  const int64_t heard = sourceFrameAt(heardOutputFrames());
  state_ = State::Stopped;
  if (stream_) stream_->pause();
  if (!ended_) seekSource(heard);
}

uint32_t Channel::activeState() {
  if (decodeOnly()) return ended_ ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
  if (capture_) return state_ == State::Playing ? BASS_ACTIVE_PLAYING
                       : state_ == State::Paused ? BASS_ACTIVE_PAUSED
                                                 : BASS_ACTIVE_STOPPED;
  switch (state_) {
    case State::Stopped: return BASS_ACTIVE_STOPPED;
    case State::Paused: return BASS_ACTIVE_PAUSED;
    case State::Playing: break;
  }
  if (ended_ && (!stream_ || stream_->finished())) {
    state_ = State::Stopped;  // the end has been heard
    if (stream_) stream_->pause();
    return BASS_ACTIVE_STOPPED;
  }
  return BASS_ACTIVE_PLAYING;
}

bool Channel::heardSamples(float* out) {
  if (decodeOnly()) {
    // A decoding channel has nothing heard: analyse the next samples it decodes.
    std::vector<float> stereo(2048);
    const size_t got = decode(stereo.data(), 1024);
    if (got < 1024 && !ended_) {
      ended_ = true;
      fireEndSyncs(true);
      fireEndSyncs(false);  // nothing of a decoding channel is heard later
    }
    if (got == 0) return false;
    for (size_t i = 0; i < 1024; ++i)
      out[i] = i < got ? 0.5f * (stereo[2 * i] + stereo[2 * i + 1]) : 0.0f;
    writtenOut_ += static_cast<int64_t>(got);
    return true;
  }
  if (state_ == State::Stopped) return false;
  if (capture_) {
    capture_->latest(out);
    return true;
  }
  const int64_t end = heardOutputFrames();
  for (int64_t i = 0; i < 1024; ++i) {
    const int64_t index = end - 1024 + i;
    out[i] = index < 0 ? 0.0f : history_[static_cast<size_t>(index) % kHistory];
  }
  return true;
}

void Channel::fireEndSyncs(bool mixtime) {
  const auto due = [mixtime](const Sync& s) {
    return ((s.type & BASS_SYNC_MIXTIME) != 0) == mixtime;
  };
  // Copy first: a sync procedure may add syncs.
  const std::vector<Sync> firing(syncs_);
  std::erase_if(syncs_, [&](const Sync& s) { return due(s) && (s.type & BASS_SYNC_ONETIME); });
  for (const Sync& s : firing)
    if (due(s) && s.proc) s.proc(s.handle, handle_, 0, s.user);
}

namespace {
std::string Block(const std::vector<std::string>& texts) {
  std::string block;
  for (const std::string& text : texts) {
    block += text;
    block.push_back('\0');
  }
  block.push_back('\0');
  return block;
}
}  // namespace

template <typename F>
auto Channel::withDecoder(F use) {
  return ahead_ ? ahead_->withDecoder(use) : use(*decoder_);
}

const std::string& Channel::streamMeta() {
  meta_ = withDecoder([](Decoder& d) { return d.streamMeta(); });
  return meta_;
}

const std::string& Channel::headerBlock() {
  headerBlock_ = Block(withDecoder([](Decoder& d) { return d.httpHeaders(); }));
  return headerBlock_;
}

const std::string& Channel::tagBlock() {
  if (tagBlock_.empty()) tagBlock_ = Block(withDecoder([](Decoder& d) { return d.tags(); }));
  return tagBlock_;
}

}  // namespace lirra::engine
