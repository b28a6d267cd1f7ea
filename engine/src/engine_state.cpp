// The engine's process-wide state and the helpers of the exported functions.
#include "engine_state.h"

#include <sys/stat.h>

#include <cmath>

namespace lirra::engine {

int& LastError() {
  thread_local int error = BASS_OK;
  return error;
}

EngineState& State() {
  static EngineState state;
  return state;
}

std::shared_ptr<Channel> Find(DWORD handle) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.table);
  const auto it = s.channels.find(handle);
  return it == s.channels.end() ? nullptr : it->second;
}

namespace {

// Sample rates a channel may play at (the sound server's range).
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 384000;

// Local files: a clear error before any decoder sees them.
int CheckLocalFile(const char* path) {
  struct stat st {};
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return BASS_ERROR_FILEOPEN;
  if (st.st_size == 0) return BASS_ERROR_FILEFORM;
  return BASS_OK;
}

}  // namespace

DWORD NewHandle() {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.table);
  const DWORD handle = s.nextHandle++;
  if (s.nextHandle == 0) s.nextHandle = 0x10001;
  return handle;
}

void Insert(std::shared_ptr<Channel> channel) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.table);
  const DWORD handle = channel->handle();
  s.channels.emplace(handle, std::move(channel));
}

namespace {

// `rate`: what the decoder delivers (the source's own rate unless it was asked for another).
DWORD Register(ChannelKind kind, DWORD flags, const std::string& path,
               std::unique_ptr<Decoder> decoder, HPLUGIN plugin, int rate) {
  EngineState& s = State();
  if (rate < kLowestRate || rate > kHighestRate) return Fail(BASS_ERROR_FORMAT, DWORD{0});
  const DWORD handle = NewHandle();
  auto channel = std::make_shared<Channel>(handle, kind, flags, path, std::move(decoder), rate);
  channel->setPlugin(plugin);
  if (!channel->decodeOnly()) {
    OutputLock lock(s.output.get());
    Channel* raw = channel.get();
    // The stream reaches its channel through the feed: a joined channel may take it over.
    auto feed = std::make_shared<StreamFeed>();
    feed->channel = raw;
    StreamCallbacks callbacks;
    callbacks.pull = [feed](float* out, size_t frames, bool* ended) {
      return feed->channel->pull(out, frames, ended);
    };
    callbacks.finished = [feed] { feed->channel->endHeard(); };
    callbacks.lost = [feed] { feed->channel->outputLost(); };
    auto stream = s.output->createStream(rate, std::move(callbacks));
    if (!stream) return Fail(BASS_ERROR_CREATE, DWORD{0});
    channel->attach(std::move(stream), std::move(feed));
    if (kind != ChannelKind::Record)
      channel->startDecodingAhead([raw] {
        OutputLock wake(State().output.get());
        raw->wakeOutput();
      });
  }
  Insert(std::move(channel));
  return Ok(handle);
}

}  // namespace

BOOL FreeChannel(DWORD handle, bool musicOnly) {
  EngineState& s = State();
  std::shared_ptr<Channel> channel;
  {
    std::lock_guard<std::mutex> guard(s.table);
    const auto it = s.channels.find(handle);
    if (it == s.channels.end() || (musicOnly && it->second->kind() != ChannelKind::Music))
      return Fail(BASS_ERROR_HANDLE, FALSE);
    channel = std::move(it->second);
    s.channels.erase(it);
  }
  // The decoding thread may be waiting for the output's lock to wake the output: it is
  // ended before that lock is taken.
  channel->stopDecodingAhead();
  OutputLock lock(s.output.get());
  channel->undoJoin();  // a channel joined to it plays on its own, or this one's output comes back
  channel.reset();  // the stream goes while the output is locked
  return Ok(TRUE);
}

DWORD OpenChannel(ChannelKind kind, const char* path, DWORD flags, bool network) {
  EngineState& s = State();
  if (!s.output) return Fail(BASS_ERROR_INIT, DWORD{0});
  if (!path || !*path) return Fail(BASS_ERROR_ILLPARAM, DWORD{0});
  if (flags & BASS_UNICODE) return Fail(BASS_ERROR_ILLPARAM, DWORD{0});  // UTF-8 only
  // A local name that is no readable file may still be something an add-on knows (a CD
  // track, "/dev/sr0/Track01.cda"); only the add-ons get to try it.
  const int fileCheck = network ? BASS_OK : CheckLocalFile(path);
  OpenRequest request;
  request.path = path;
  // Streams play at their source's own rate, so joined tracks meet without a resampler's
  // edges between them; modules are rendered at the engine's rate.
  request.outputRate = kind == ChannelKind::Music ? s.output->rate() : kSourceRate;
  request.timeoutMs = std::min(s.config.netTimeoutMs.load(), s.config.readTimeoutMs.load());
  if (kind == ChannelKind::Music) {
    if (fileCheck != BASS_OK) return Fail(fileCheck, DWORD{0});
    OpenResult opened = OpenModuleDecoder(request);
    if (!opened.decoder) return Fail(opened.error, DWORD{0});
    return Register(kind, flags, path, std::move(opened.decoder), 0, request.outputRate);
  }
  OpenResult opened{nullptr, fileCheck};
  if (fileCheck == BASS_OK) opened = OpenCoreDecoder(request);
  HPLUGIN plugin = 0;
  // Not one of the engine's own formats: the add-ons try, in the order they were loaded.
  if (!opened.decoder && opened.error != BASS_ERROR_TIMEOUT) {
    std::vector<std::pair<HPLUGIN, std::shared_ptr<AddonLibrary>>> addons;
    {
      std::lock_guard<std::mutex> guard(s.table);
      addons = s.addons;
    }
    request.accepts = nullptr;
    for (const auto& [handle, library] : addons) {
      OpenResult byAddon = OpenAddonDecoder(library, request);
      if (byAddon.decoder) {
        opened = std::move(byAddon);
        plugin = handle;
        break;
      }
      // An add-on that knew the name explains the failure better than "not a file".
      if (fileCheck != BASS_OK && byAddon.error != BASS_ERROR_FILEFORM) opened.error = byAddon.error;
    }
  }
  if (!opened.decoder) return Fail(opened.error, DWORD{0});
  const int rate = opened.decoder->info().rate;
  return Register(kind, flags, path, std::move(opened.decoder), plugin, rate);
}

}  // namespace lirra::engine
