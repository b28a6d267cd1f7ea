// The exported C interface of libbass.so: checks arguments once, records error codes and
// forwards to the engine's channels, decoders and output.
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bass.h"
#include "channel.h"
#include "fft.h"
#include "output.h"
#include "plugins.h"
#include "record.h"

namespace lirra::engine {
namespace {

thread_local int tLastError = BASS_OK;

// Records `code` as the calling thread's error and returns `result`.
template <typename T>
T Fail(int code, T result) {
  tLastError = code;
  return result;
}
template <typename T>
T Ok(T result) {
  tLastError = BASS_OK;
  return result;
}

constexpr QWORD kBadQword = static_cast<QWORD>(-1);
constexpr DWORD kBadDword = static_cast<DWORD>(-1);

struct Config {
  std::atomic<int> netTimeoutMs{5000};
  std::atomic<int> readTimeoutMs{5000};
  std::atomic<int> bufferMs{500};
  std::atomic<int> updatePeriodMs{100};
};

// The engine's one piece of process-wide state: the C interface has no context argument.
struct EngineState {
  std::mutex lifecycle;  // BASS_Init / BASS_Free
  std::unique_ptr<Output> output;
  std::mutex table;      // guards channels and nextHandle
  std::map<DWORD, std::shared_ptr<Channel>> channels;
  DWORD nextHandle = 0x10001;
  // Add-ons in load order; guarded by `table`.
  std::vector<std::pair<HPLUGIN, std::shared_ptr<AddonLibrary>>> addons;
  HPLUGIN nextAddon = 0x20001;
  std::atomic<HSYNC> nextSync{0x30001};
  Config config;
  Spectrum1024 spectrum;
  std::mutex recording;  // guards recorder
  std::unique_ptr<Recorder> recorder;
};

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

// A channel found by its handle, used with the output's lock held (see channel.h).
class ChannelAccess {
 public:
  explicit ChannelAccess(DWORD handle)
      : outputLock_(State().output.get()), channel_(Find(handle)) {}
  explicit operator bool() const { return channel_ != nullptr; }
  Channel* operator->() const { return channel_.get(); }

 private:
  OutputLock outputLock_;
  std::shared_ptr<Channel> channel_;
};

// Local files: a clear error before any decoder sees them.
int CheckLocalFile(const char* path) {
  struct stat st {};
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return BASS_ERROR_FILEOPEN;
  if (st.st_size == 0) return BASS_ERROR_FILEFORM;
  return BASS_OK;
}

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

DWORD Register(ChannelKind kind, DWORD flags, const std::string& path,
               std::unique_ptr<Decoder> decoder, HPLUGIN plugin) {
  EngineState& s = State();
  const DWORD handle = NewHandle();
  auto channel =
      std::make_shared<Channel>(handle, kind, flags, path, std::move(decoder), s.output->rate());
  channel->setPlugin(plugin);
  if (!channel->decodeOnly()) {
    OutputLock lock(s.output.get());
    Channel* raw = channel.get();
    auto stream = s.output->createStream(
        [raw](float* out, size_t frames, bool* ended) { return raw->pull(out, frames, ended); },
        [raw] { raw->endHeard(); });
    if (!stream) return Fail(BASS_ERROR_CREATE, DWORD{0});
    channel->attach(std::move(stream));
  }
  Insert(std::move(channel));
  return Ok(handle);
}

// What a recording channel tells about itself; it decodes nothing.
class CaptureInfo final : public Decoder {
 public:
  CaptureInfo(int rate, int channels) {
    info_.rate = rate;
    info_.channels = channels;
    info_.bits = 32;
    info_.ctype = BASS_CTYPE_RECORD;
  }
  const SourceInfo& info() const override { return info_; }
  size_t read(float*, size_t) override { return 0; }
  bool seek(int64_t) override { return false; }

 private:
  SourceInfo info_;
};

void FreeRecordingChannels() {
  EngineState& s = State();
  OutputLock lock(s.output.get());
  std::lock_guard<std::mutex> guard(s.table);
  std::erase_if(s.channels, [](const auto& e) { return e.second->kind() == ChannelKind::Record; });
}

BOOL FreeChannel(DWORD handle, bool musicOnly) {
  EngineState& s = State();
  OutputLock lock(s.output.get());
  std::shared_ptr<Channel> channel;
  {
    std::lock_guard<std::mutex> guard(s.table);
    const auto it = s.channels.find(handle);
    if (it == s.channels.end() || (musicOnly && it->second->kind() != ChannelKind::Music))
      return Fail(BASS_ERROR_HANDLE, FALSE);
    channel = std::move(it->second);
    s.channels.erase(it);
  }
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
  request.outputRate = s.output->rate();
  request.timeoutMs = std::min(s.config.netTimeoutMs.load(), s.config.readTimeoutMs.load());
  if (kind == ChannelKind::Music) {
    if (fileCheck != BASS_OK) return Fail(fileCheck, DWORD{0});
    OpenResult opened = OpenModuleDecoder(request);
    if (!opened.decoder) return Fail(opened.error, DWORD{0});
    return Register(kind, flags, path, std::move(opened.decoder), 0);
  }
  OpenResult opened{nullptr, fileCheck};
  if (fileCheck == BASS_OK) {
    request.accepts = IsCoreCodec;
    opened = OpenMediaDecoder(request);
  }
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
  return Register(kind, flags, path, std::move(opened.decoder), plugin);
}

}  // namespace
}  // namespace lirra::engine

using namespace lirra::engine;

extern "C" {

BOOL BASS_SetConfig(DWORD option, DWORD value) {
  Config& c = State().config;
  const int v = static_cast<int>(value);
  switch (option) {
    case BASS_CONFIG_NET_TIMEOUT: c.netTimeoutMs = v; break;
    case BASS_CONFIG_NET_READTIMEOUT: c.readTimeoutMs = v; break;
    case BASS_CONFIG_BUFFER: c.bufferMs = v; break;
    case BASS_CONFIG_UPDATEPERIOD: c.updatePeriodMs = v; break;
    default: return Fail(BASS_ERROR_ILLTYPE, FALSE);
  }
  return Ok(TRUE);
}

DWORD BASS_GetVersion(void) { return BASS_LIRRA_VERSION; }

int BASS_ErrorGetCode(void) { return tLastError; }

BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, HWND_T /*win*/, const void* /*clsid*/) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.lifecycle);
  if (s.output) return Fail(BASS_ERROR_ALREADY, FALSE);
  const int rate = freq ? static_cast<int>(freq) : 44100;
  if (rate < 8000 || rate > 192000) return Fail(BASS_ERROR_FREQ, FALSE);
  OutputOpenResult opened;
  if (device == 0)
    opened = OpenNullOutput(rate);
  else if (device == 1 || device == -1)
    opened = OpenPulseOutput(rate, 3000);
  else
    return Fail(BASS_ERROR_DEVICE, FALSE);
  if (!opened.output) return Fail(opened.error, FALSE);
  s.output = std::move(opened.output);
  return Ok(TRUE);
}

BOOL BASS_Free(void) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.lifecycle);
  if (!s.output) return Fail(BASS_ERROR_INIT, FALSE);
  {
    OutputLock lock(s.output.get());
    std::lock_guard<std::mutex> table(s.table);
    s.channels.clear();
  }
  s.output.reset();
  return Ok(TRUE);
}

HPLUGIN BASS_PluginLoad(const char* file, DWORD flags) {
  if (!file || !*file || (flags & BASS_UNICODE)) return Fail(BASS_ERROR_ILLPARAM, HPLUGIN{0});
  EngineState& s = State();
  {
    std::lock_guard<std::mutex> guard(s.table);
    for (const auto& entry : s.addons)
      if (entry.second->path() == file) return Fail(BASS_ERROR_ALREADY, HPLUGIN{0});
  }
  int error = BASS_OK;
  std::shared_ptr<AddonLibrary> library = AddonLibrary::Load(file, &error);
  if (!library) return Fail(error, HPLUGIN{0});
  std::lock_guard<std::mutex> guard(s.table);
  const HPLUGIN handle = s.nextAddon++;
  s.addons.emplace_back(handle, std::move(library));
  return Ok(handle);
}

BOOL BASS_PluginFree(HPLUGIN handle) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.table);
  if (handle == 0) {
    s.addons.clear();  // streams still open keep their add-on loaded
    return Ok(TRUE);
  }
  const auto removed = std::erase_if(s.addons, [handle](const auto& e) { return e.first == handle; });
  return removed ? Ok(TRUE) : Fail(BASS_ERROR_HANDLE, FALSE);
}

const BASS_PLUGININFO* BASS_PluginGetInfo(HPLUGIN handle) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.table);
  for (const auto& [h, library] : s.addons)
    if (h == handle) return Ok(&library->addon().info);
  return Fail<const BASS_PLUGININFO*>(BASS_ERROR_HANDLE, nullptr);
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD /*offset*/, DWORD /*length*/,
                      DWORD flags, DWORD /*freq*/) {
  if (mem) return Fail(BASS_ERROR_NOTAVAIL, HMUSIC{0});
  return OpenChannel(ChannelKind::Music, static_cast<const char*>(file), flags, false);
}

BOOL BASS_MusicFree(HMUSIC handle) { return FreeChannel(handle, true); }

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD /*offset*/, QWORD /*length*/,
                              DWORD flags) {
  if (mem) return Fail(BASS_ERROR_NOTAVAIL, HSTREAM{0});
  return OpenChannel(ChannelKind::Stream, static_cast<const char*>(file), flags, false);
}

HSTREAM BASS_StreamCreateURL(const char* url, DWORD /*offset*/, DWORD flags,
                             DOWNLOADPROC* /*proc*/, void* /*user*/) {
  const std::string u = url ? url : "";
  if (u.rfind("http://", 0) != 0 && u.rfind("https://", 0) != 0)
    return Fail(BASS_ERROR_FILEOPEN, HSTREAM{0});
  return OpenChannel(ChannelKind::Stream, url, flags, true);
}

BOOL BASS_StreamFree(HSTREAM handle) { return FreeChannel(handle, false); }

QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, kBadQword);
  if (c->kind() != ChannelKind::Stream) return Fail(BASS_ERROR_NOTFILE, kBadQword);
  struct stat st {};
  const QWORD size = stat(c->path().c_str(), &st) == 0 ? static_cast<QWORD>(st.st_size) : 0;
  switch (mode) {
    case BASS_FILEPOS_START: return Ok(QWORD{0});
    case BASS_FILEPOS_END:
    case BASS_FILEPOS_SIZE:
    case BASS_FILEPOS_DOWNLOAD: return Ok(size);
    case BASS_FILEPOS_CONNECTED: return Ok(QWORD{1});
    case BASS_FILEPOS_BUFFER: return Ok(QWORD{0});
    case BASS_FILEPOS_CURRENT: {
      const int64_t length = c->lengthBytes();
      if (length <= 0) return Ok(QWORD{0});
      const double fraction = static_cast<double>(c->positionBytes()) / length;
      return Ok(static_cast<QWORD>(std::min(1.0, fraction) * static_cast<double>(size)));
    }
    default: return Fail(BASS_ERROR_ILLTYPE, kBadQword);
  }
}

BOOL BASS_RecordInit(int device) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (s.recorder) return Fail(BASS_ERROR_ALREADY, FALSE);
  if (device != 0 && device != -1) return Fail(BASS_ERROR_DEVICE, FALSE);
  int error = BASS_OK;
  s.recorder = OpenPulseRecorder(3000, &error);
  return s.recorder ? Ok(TRUE) : Fail(error, FALSE);
}

BOOL BASS_RecordFree(void) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail(BASS_ERROR_INIT, FALSE);
  FreeRecordingChannels();  // their capture streams use the recorder's connection
  s.recorder.reset();
  return Ok(TRUE);
}

const char* BASS_RecordGetInputName(int input) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail<const char*>(BASS_ERROR_INIT, nullptr);
  const auto& inputs = s.recorder->inputs();
  if (input < 0 || input >= static_cast<int>(inputs.size()))
    return Fail<const char*>(BASS_ERROR_ILLPARAM, nullptr);
  return Ok(inputs[input].name.c_str());
}

BOOL BASS_RecordSetInput(int input, DWORD flags, float volume) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail(BASS_ERROR_INIT, FALSE);
  if (input < 0 || input >= static_cast<int>(s.recorder->inputs().size()))
    return Fail(BASS_ERROR_ILLPARAM, FALSE);
  // One input records at a time: switching one on selects it; switching the selected one
  // off leaves it selected, as there is no "none".
  if ((flags & BASS_INPUT_ON) && !s.recorder->select(input)) return Fail(BASS_ERROR_ILLPARAM, FALSE);
  if (volume >= 0 && !s.recorder->setVolume(input, volume)) return Fail(BASS_ERROR_UNKNOWN, FALSE);
  return Ok(TRUE);
}

DWORD BASS_RecordGetInput(int input, float* volume) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail(BASS_ERROR_INIT, kBadDword);
  const auto& inputs = s.recorder->inputs();
  if (input < 0 || input >= static_cast<int>(inputs.size())) return Fail(BASS_ERROR_ILLPARAM, kBadDword);
  if (volume) *volume = inputs[input].volume;
  const DWORD off = input == s.recorder->selected() ? 0 : BASS_INPUT_OFF;
  return Ok(inputs[input].type | off);
}

HRECORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC* proc, void* /*user*/) {
  constexpr DWORD kStartPaused = 0x8000;  // BASS_RECORD_PAUSE
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail(BASS_ERROR_INIT, HRECORD{0});
  if (proc) return Fail(BASS_ERROR_NOTAVAIL, HRECORD{0});  // data is read with GetData only
  const int rate = freq ? static_cast<int>(freq) : 44100;
  const int channels = chans ? static_cast<int>(chans) : 2;
  if (channels > 8 || rate < 1000 || rate > 192000) return Fail(BASS_ERROR_FORMAT, HRECORD{0});
  int error = BASS_OK;
  std::unique_ptr<CaptureStream> capture = s.recorder->start(rate, channels, &error);
  if (!capture) return Fail(error, HRECORD{0});
  if (flags & kStartPaused) capture->pause();
  const HRECORD handle = NewHandle();
  auto channel = std::make_shared<Channel>(handle, ChannelKind::Record, flags, "",
                                           std::make_unique<CaptureInfo>(rate, channels), rate);
  channel->attachCapture(std::move(capture));
  Insert(std::move(channel));
  return Ok(handle);
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, -1.0);
  const double bytesPerSecond = static_cast<double>(c->bytesPerFrame()) * std::max(1, c->info().rate);
  return Ok(static_cast<double>(pos) / bytesPerSecond);
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, kBadQword);
  if (!(pos >= 0)) return Fail(BASS_ERROR_ILLPARAM, kBadQword);
  const auto frames = static_cast<QWORD>(std::llround(pos * c->info().rate));
  return Ok(frames * static_cast<QWORD>(c->bytesPerFrame()));
}

DWORD BASS_ChannelIsActive(DWORD handle) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, DWORD{BASS_ACTIVE_STOPPED});
  return Ok(c->activeState());
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  if (!info) return Fail(BASS_ERROR_ILLPARAM, FALSE);
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  const SourceInfo& src = c->info();
  *info = BASS_CHANNELINFO{};
  info->freq = static_cast<DWORD>(src.rate);
  info->chans = static_cast<DWORD>(src.channels);
  info->flags = c->flags();
  info->ctype = src.ctype;
  info->origres = static_cast<DWORD>(src.bits);
  info->plugin = c->plugin();
  info->filename = c->path().c_str();
  return Ok(TRUE);
}

const char* BASS_ChannelGetTags(DWORD handle, DWORD tags) {
  ChannelAccess c(handle);
  if (!c) return Fail<const char*>(BASS_ERROR_HANDLE, nullptr);
  const std::string& block = c->tagBlock();
  if (tags == BASS_TAG_OGG) {
    if (block.size() <= 1) return Fail<const char*>(BASS_ERROR_NOTAVAIL, nullptr);
    return Ok(block.c_str());
  }
  if (tags == BASS_TAG_META) {
    const std::string& meta = c->streamMeta();
    if (meta.empty()) return Fail<const char*>(BASS_ERROR_NOTAVAIL, nullptr);
    return Ok(meta.c_str());
  }
  if (tags == BASS_TAG_ICY || tags == BASS_TAG_HTTP) {
    const std::string& headers = c->headerBlock();
    if (headers.size() <= 1) return Fail<const char*>(BASS_ERROR_NOTAVAIL, nullptr);
    return Ok(headers.c_str());
  }
  if (tags == BASS_TAG_MUSIC_NAME && c->kind() == ChannelKind::Music) {
    // "title=…" is the first tag of a module.
    return Ok(block.size() > 6 ? block.c_str() + 6 : "");
  }
  return Fail<const char*>(BASS_ERROR_NOTAVAIL, nullptr);
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  const int rc = c->play(restart != 0);
  return rc == BASS_OK ? Ok(TRUE) : Fail(rc, FALSE);
}

BOOL BASS_ChannelStop(DWORD handle) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  c->stop();
  return Ok(TRUE);
}

BOOL BASS_ChannelPause(DWORD handle) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  if (c->decodeOnly()) return Fail(BASS_ERROR_DECODE, FALSE);
  if (c->activeState() != BASS_ACTIVE_PLAYING) return Fail(BASS_ERROR_NOPLAY, FALSE);
  c->pause();
  return Ok(TRUE);
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, kBadQword);
  if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, kBadQword);
  if (c->info().lengthFrames < 0) return Fail(BASS_ERROR_NOTAVAIL, kBadQword);
  return Ok(static_cast<QWORD>(c->lengthBytes()));
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, FALSE);
  if (pos > static_cast<QWORD>(INT64_MAX)) return Fail(BASS_ERROR_POSITION, FALSE);
  const int rc = c->setPositionBytes(static_cast<int64_t>(pos));
  return rc == BASS_OK ? Ok(TRUE) : Fail(rc, FALSE);
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, kBadQword);
  if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, kBadQword);
  return Ok(static_cast<QWORD>(c->positionBytes()));
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, kBadDword);
  if (length != BASS_DATA_FFT1024) return Fail(BASS_ERROR_NOTAVAIL, kBadDword);
  if (!buffer) return Fail(BASS_ERROR_ILLPARAM, kBadDword);
  float samples[Spectrum1024::kSize];
  if (!c->heardSamples(samples)) return Fail(BASS_ERROR_NOPLAY, kBadDword);
  State().spectrum.compute(samples, static_cast<float*>(buffer));
  return Ok(static_cast<DWORD>(Spectrum1024::kBins * sizeof(float)));
}

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD /*param*/, SYNCPROC* proc, void* user) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, HSYNC{0});
  const DWORD kind = type & ~(BASS_SYNC_MIXTIME | BASS_SYNC_ONETIME);
  if (kind != BASS_SYNC_END) return Fail(BASS_ERROR_ILLTYPE, HSYNC{0});  // only END syncs
  if (!proc) return Fail(BASS_ERROR_ILLPARAM, HSYNC{0});
  const HSYNC sync = State().nextSync++;
  c->addSync({sync, type, proc, user});
  return Ok(sync);
}

}  // extern "C"
