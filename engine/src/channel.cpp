#include "channel.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

void Channel::attach(std::unique_ptr<OutputStream> stream, std::shared_ptr<StreamFeed> feed) {
  stream_ = std::move(stream);
  feed_ = std::move(feed);
}

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

size_t Channel::framesBeforeEnd(size_t frames) const {
  if (endFrame_ < 0) return frames;
  const int rate = std::max(1, info().rate);
  const int64_t left = (endFrame_ - baseSource_) * outputRate_ / rate - writtenOut_;
  return static_cast<size_t>(std::clamp<int64_t>(left, 0, static_cast<int64_t>(frames)));
}

size_t Channel::pull(float* out, size_t frames, bool* ended) {
  if (previous_) previous_->settleJoin();
  *ended = ended_;
  if (state_ != State::Playing || ended_) return 0;
  const size_t wanted = framesBeforeEnd(frames);
  bool sourceEnded = false;
  const size_t got = wanted == 0 ? 0
                     : ahead_    ? ahead_->read(out, wanted, &sourceEnded)
                                 : decode(out, wanted);
  const bool atEnd = (ahead_ ? sourceEnded : got < wanted) || (wanted < frames && got == wanted);
  for (size_t i = 0; i < got; ++i) {
    history_[static_cast<size_t>(writtenOut_) % kHistory] = 0.5f * (out[2 * i] + out[2 * i + 1]);
    ++writtenOut_;
  }
  if (feed_) feed_->written += static_cast<int64_t>(got);
  if (atEnd) {
    ended_ = true;
    fireEndSyncs(true);
    if (next_) {
      // The rest of this request comes from the channel joined to follow.
      Channel* next = next_;
      handOver();
      *ended = false;
      return got == frames ? got : got + next->pull(out + 2 * got, frames - got, ended);
    }
  }
  *ended = ended_;
  return got;
}

void Channel::handOver() {
  Channel* next = next_;
  handedOver_ = true;
  endWritten_ = feed_->written;
  next->ownStream_ = std::exchange(next->stream_, stream_);
  next->ownFeed_ = std::exchange(next->feed_, feed_);
  next->feedStart_ = feed_->written;
  next->writtenOut_ = 0;
  next->ended_ = false;
  next->state_ = State::Playing;
  feed_->channel = next;
}

void Channel::settleJoin() {
  if (!next_ || !handedOver_) return;
  if (feed_->written - stream_->latencyFrames() < endWritten_) return;  // still to be heard
  // Heard to its end: this one keeps the later one's idle output, stopped at its end.
  Channel* next = std::exchange(next_, nullptr);
  next->previous_ = nullptr;
  handedOver_ = false;
  stream_ = std::move(next->ownStream_);
  feed_ = std::move(next->ownFeed_);
  feed_->channel = this;
  feed_->written = 0;
  baseSource_ = sourceFrameAt(writtenOut_);
  writtenOut_ = 0;
  feedStart_ = 0;
  state_ = State::Stopped;
  fireEndSyncs(false);
}

int Channel::join(Channel* next) {
  settleJoin();
  if (!next) {
    if (next_) undoJoin();
    return BASS_OK;
  }
  if (next == this) return BASS_ERROR_ILLPARAM;
  if (decodeOnly() || next->decodeOnly()) return BASS_ERROR_DECODE;
  if (!stream_ || !next->stream_ || capture_ || next->capture_) return BASS_ERROR_ILLTYPE;
  if (outputRate_ != next->outputRate_) return BASS_ERROR_FORMAT;
  if (previous_ || handedOver_) return BASS_ERROR_BUSY;
  if (next->previous_ || next->next_ || next->state_ != State::Stopped) return BASS_ERROR_ALREADY;
  if (ended_ && (state_ == State::Stopped || stream_->finished())) return BASS_ERROR_ENDED;
  if (next_) next_->previous_ = nullptr;
  next_ = next;
  next->previous_ = this;
  next->joinedAt_ = next->sourceFrameAt(next->writtenOut_);
  if (ended_ && state_ == State::Playing) {
    // Its source ran out already but its last sound is still to be heard: the next one
    // follows on the same output at once (the drain under way is called off).
    handOver();
    stream_->start();
  }
  return BASS_OK;
}

void Channel::undoJoin() {
  Channel* early = previous_ ? previous_ : this;
  early->settleJoin();
  Channel* late = early->next_;
  if (!late) return;
  early->next_ = nullptr;
  late->previous_ = nullptr;
  if (!early->handedOver_) return;  // the later one never sounded
  early->handedOver_ = false;
  const int64_t heard = early->sourceFrameAt(early->heardOutputFrames());
  early->feed_->channel = early;
  late->stream_ = std::move(late->ownStream_);
  late->feed_ = std::move(late->ownFeed_);
  late->state_ = State::Stopped;
  late->seekSource(late->joinedAt_);
  early->ended_ = false;
  early->seekSource(heard);  // what the later one sent is dropped; plays on from there
}

int64_t Channel::sourceFrameAt(int64_t outputFrames) const {
  const int rate = std::max(1, info().rate);
  return baseSource_ + outputFrames * rate / outputRate_;
}

int64_t Channel::heardOutputFrames() {
  if (!stream_) return writtenOut_;
  // Counted on the feed: a joined channel's output also carries the other one's frames.
  const int64_t heard = feed_->written - stream_->latencyFrames() - feedStart_;
  return std::clamp<int64_t>(heard, 0, writtenOut_);
}

int64_t Channel::lengthBytes() const {
  return std::max<int64_t>(0, info().lengthFrames) * bytesPerFrame();
}

int64_t Channel::positionBytes() {
  settleJoin();
  if (capture_) return capture_->framesCaptured() * bytesPerFrame();
  return sourceFrameAt(heardOutputFrames()) * bytesPerFrame();
}

int Channel::seekSource(int64_t sourceFrame) {
  if (!(ahead_ ? ahead_->seek(sourceFrame) : decoder_->seek(sourceFrame))) return BASS_ERROR_POSITION;
  baseSource_ = sourceFrame;
  writtenOut_ = 0;
  feedStart_ = 0;
  ended_ = false;
  std::fill(history_.begin(), history_.end(), 0.0f);
  if (stream_) {
    feed_->written = 0;
    stream_->flush();
    if (state_ == State::Playing) stream_->start();  // refill at once from the new place
  }
  return BASS_OK;
}

int Channel::setPositionBytes(int64_t bytes) {
  const int64_t frame = bytes / bytesPerFrame();
  if (frame < 0 || (info().lengthFrames >= 0 && frame > info().lengthFrames))
    return BASS_ERROR_POSITION;
  undoJoin();
  return seekSource(frame);
}

int Channel::setEndBytes(int64_t bytes) {
  if (bytes < 0) return BASS_ERROR_POSITION;
  endFrame_ = bytes / bytesPerFrame();
  return BASS_OK;
}

int64_t Channel::endBytes() const { return endFrame_ >= 0 ? endFrame_ * bytesPerFrame() : lengthBytes(); }

int Channel::play(bool restart) {
  undoJoin();
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
  undoJoin();
  if (state_ != State::Playing) return;
  state_ = State::Paused;
  if (stream_) stream_->pause();
  if (capture_) capture_->pause();
}

void Channel::stop() {
  undoJoin();
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

void Channel::outputLost() {
  if (capture_ || !stream_) return;
  Channel* early = previous_ ? previous_ : this;
  early->settleJoin();  // heard to its end: the two part first
  // A hand-over not yet heard is undone: the earlier one plays on from what was heard.
  if (early->handedOver_) return early->undoJoin();
  if (state_ != State::Stopped) seekSource(sourceFrameAt(heardOutputFrames()));
}

uint32_t Channel::activeState() {
  settleJoin();
  if (decodeOnly()) return ended_ ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
  if (handedOver_) return BASS_ACTIVE_PLAYING;  // its last sound is still to be heard
  if (capture_ && state_ == State::Playing && capture_->waitingForServer()) return BASS_ACTIVE_PAUSED_DEVICE;
  if (capture_) return state_ == State::Playing ? BASS_ACTIVE_PLAYING
                       : state_ == State::Paused ? BASS_ACTIVE_PAUSED
                                                 : BASS_ACTIVE_STOPPED;
  switch (state_) {
    case State::Stopped: return BASS_ACTIVE_STOPPED;
    case State::Paused: return BASS_ACTIVE_PAUSED;
    case State::Playing: break;
  }
  if (stream_ && stream_->waitingForServer()) return BASS_ACTIVE_PAUSED_DEVICE;
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
  settleJoin();
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
