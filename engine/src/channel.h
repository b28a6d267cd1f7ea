// A channel: one decoder, its playing state and position, and (unless decode-only) one
// output stream. The output driver's thread pulls samples through pull(); every other
// method is called by the API. Both hold the output's lock, which guards all channel state.
// A playing channel's decoder runs ahead on its own thread (decode_ahead.h), so pull()
// only copies and never waits for the source.
//
// Joined channels (BASS_ChannelJoin) share one output: when the earlier one runs out, in
// the middle of a pull, the later one goes on filling the same request, so the server
// hears one unbroken stream. Until the earlier one's last sample has been heard the two
// stay linked; then the earlier one takes the later one's own (idle) output, and each is
// a channel on its own again.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decode_ahead.h"
#include "decoder.h"
#include "output.h"
#include "record.h"

namespace lirra::engine {

enum class ChannelKind { Stream, Music, Record };

class Channel;

// What an output stream plays: the channel that feeds it now, and the frames it was given
// since it was last flushed (the clock every channel on it counts what was heard by).
struct StreamFeed {
  Channel* channel = nullptr;
  int64_t written = 0;
};

class Channel {
 public:
  Channel(uint32_t handle, ChannelKind kind, uint32_t flags, std::string path,
          std::unique_ptr<Decoder> decoder, int outputRate);

  uint32_t handle() const { return handle_; }
  ChannelKind kind() const { return kind_; }
  uint32_t flags() const { return flags_; }
  const std::string& path() const { return path_; }
  const SourceInfo& info() const { return decoder_->info(); }
  uint32_t plugin() const { return plugin_; }
  void setPlugin(uint32_t plugin) { plugin_ = plugin; }
  bool decodeOnly() const;

  // The channel's output; `feed` is what the stream's pull and end callbacks go through.
  void attach(std::unique_ptr<OutputStream> stream, std::shared_ptr<StreamFeed> feed);
  int outputRate() const { return outputRate_; }
  // From here the source is decoded ahead on a thread of its own (decode_ahead.h);
  // `dataReady` takes the output's lock and calls wakeOutput().
  void startDecodingAhead(std::function<void()> dataReady);
  // Ends that thread. Called without the output's lock, before the channel goes.
  void stopDecodingAhead();
  // Frames arrived after the output found none: it takes them now (output lock held).
  void wakeOutput();
  // A recording channel: what it holds is what was captured last.
  void attachCapture(std::unique_ptr<CaptureStream> capture);
  size_t pull(float* out, size_t frames, bool* ended);  // output thread

  // Bytes of the decoded format (16-bit samples at the source's rate and channels).
  int64_t bytesPerFrame() const { return int64_t{2} * std::max(1, info().channels); }
  int64_t lengthBytes() const;
  int64_t positionBytes();
  int setPositionBytes(int64_t bytes);  // BASS_OK or an error code
  // BASS_POS_END: the channel ends at this byte of its source.
  int setEndBytes(int64_t bytes);
  int64_t endBytes() const;

  // BASS_ChannelJoin(this, next): BASS_OK or an error code. `next` null undoes a join.
  int join(Channel* next);
  // Undoes a join this channel is part of, either side (see bass.h); called before a
  // transport call or a free changes either channel.
  void undoJoin();
  int play(bool restart);
  void pause();
  void stop();
  uint32_t activeState();

  // The spectrum of what is heard now (mono, 1024 samples); false when there is none.
  bool heardSamples(float* out1024);

  // BASS_SYNC_END: `proc` runs when the end is reached: with BASS_SYNC_MIXTIME as soon as
  // the decoder runs out (on the output thread), otherwise once the end has been heard.
  // With BASS_SYNC_ONETIME it runs once. Runs with the output's lock held.
  struct Sync {
    uint32_t handle;
    uint32_t type;
    void (*proc)(uint32_t sync, uint32_t channel, uint32_t data, void* user);
    void* user;
  };
  void addSync(const Sync& sync) { syncs_.push_back(sync); }
  void endHeard() { fireEndSyncs(false); }
  // The sound server went away with what it had not played: the channel goes back to what
  // was heard, to play on from there once a server is back (output thread).
  void outputLost();

  // "key=value" tags collected from the source, 0-separated, ended by an empty text.
  const std::string& tagBlock();
  // The latest shoutcast metadata of a network stream; empty when there is none.
  const std::string& streamMeta();
  // ICY/HTTP headers of a network stream as a tag block; just the end mark when none.
  const std::string& headerBlock();

 private:
  // Reads from the decoder, with every sample made a finite value within full scale.
  size_t decode(float* out, size_t frames);
  // Output frames left before the end position (or `frames` when there is none).
  size_t framesBeforeEnd(size_t frames) const;
  // The next channel takes this one's output over at the current feed position.
  void handOver();
  // Once this one's last sample was heard after a hand-over, the two part.
  void settleJoin();
  enum class State { Stopped, Playing, Paused };
  int64_t heardOutputFrames();
  int64_t sourceFrameAt(int64_t outputFrames) const;
  int seekSource(int64_t sourceFrame);
  void fireEndSyncs(bool mixtime);
  // The decoder to itself, whether or not it decodes ahead.
  template <typename F>
  auto withDecoder(F use);

  const uint32_t handle_;
  const ChannelKind kind_;
  const uint32_t flags_;
  const std::string path_;
  std::unique_ptr<Decoder> decoder_;
  const int outputRate_;
  std::shared_ptr<OutputStream> stream_;  // shared with a joined channel for a while
  std::shared_ptr<StreamFeed> feed_;
  std::unique_ptr<DecodeAhead> ahead_;  // declared after the decoder: stopped before it goes
  std::unique_ptr<CaptureStream> capture_;
  uint32_t plugin_ = 0;  // the add-on that opened it

  State state_ = State::Stopped;
  bool ended_ = false;           // the decoder has no more data
  int64_t baseSource_ = 0;       // source frame where output counting restarted
  int64_t writtenOut_ = 0;       // output frames delivered since then
  int64_t feedStart_ = 0;        // feed_->written when writtenOut_ began counting
  int64_t endFrame_ = -1;        // BASS_POS_END in source frames, -1 for the source's end

  // Joining. All four are set and cleared together, by join(), settleJoin() and undoJoin().
  Channel* next_ = nullptr;      // plays on after this one
  Channel* previous_ = nullptr;  // this one plays on after it
  bool handedOver_ = false;      // next_ feeds this one's output now
  int64_t endWritten_ = 0;       // the feed position where this one's sound ends
  int64_t joinedAt_ = 0;         // (the later one) where it stood when joined
  // (The later one, after a hand-over) its own output, idle while it plays on the shared one.
  std::shared_ptr<OutputStream> ownStream_;
  std::shared_ptr<StreamFeed> ownFeed_;
  static constexpr size_t kHistory = 1 << 16;  // more than the output's longest latency
  std::vector<float> history_;   // mono mix of delivered frames, ring indexed by writtenOut_
  std::vector<Sync> syncs_;
  std::string tagBlock_;
  std::string meta_;
  std::string headerBlock_;
};

}  // namespace lirra::engine
