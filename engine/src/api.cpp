// The exported C interface of libbass.so: checks arguments once, records error codes and
// forwards to the engine's channels, decoders, add-ons and output. Recording is in
// api_record.cpp.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "engine_state.h"

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

int BASS_ErrorGetCode(void) { return LastError(); }

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
  std::map<DWORD, std::shared_ptr<Channel>> channels;
  {
    std::lock_guard<std::mutex> table(s.table);
    channels.swap(s.channels);
  }
  for (auto& entry : channels) entry.second->stopDecodingAhead();  // before the output's lock
  {
    OutputLock lock(s.output.get());
    channels.clear();
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
  const DWORD state = c->activeState();
  return State().output->available() ? Ok(state) : Fail(BASS_ERROR_DEVICE, state);
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
  if (mode != BASS_POS_BYTE && mode != BASS_POS_END) return Fail(BASS_ERROR_NOTAVAIL, FALSE);
  if (pos > static_cast<QWORD>(INT64_MAX)) return Fail(BASS_ERROR_POSITION, FALSE);
  const auto bytes = static_cast<int64_t>(pos);
  const int rc = mode == BASS_POS_END ? c->setEndBytes(bytes) : c->setPositionBytes(bytes);
  return rc == BASS_OK ? Ok(TRUE) : Fail(rc, FALSE);
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, kBadQword);
  if (mode == BASS_POS_END) return Ok(static_cast<QWORD>(c->endBytes()));
  if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, kBadQword);
  return Ok(static_cast<QWORD>(c->positionBytes()));
}

BOOL BASS_ChannelJoin(DWORD handle, DWORD next) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  std::shared_ptr<Channel> following;
  if (next != 0) {
    following = Find(next);
    if (!following) return Fail(BASS_ERROR_HANDLE, FALSE);
  }
  const int rc = c->join(following.get());
  return rc == BASS_OK ? Ok(TRUE) : Fail(rc, FALSE);
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  ChannelAccess c(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, kBadDword);
  const bool fft = length == BASS_DATA_FFT1024;
  const bool pcm = !fft && (length & BASS_DATA_FLOAT) && !(length & 0x80000000u);
  if (!fft && !pcm) return Fail(BASS_ERROR_NOTAVAIL, kBadDword);
  if (!buffer) return Fail(BASS_ERROR_ILLPARAM, kBadDword);
  float samples[Spectrum1024::kSize];
  if (!c->heardSamples(samples)) return Fail(BASS_ERROR_NOPLAY, kBadDword);
  if (pcm) {
    // The most recently heard samples (mono), the newest last, as many as asked for.
    const size_t count = std::min<size_t>((length & ~BASS_DATA_FLOAT) / sizeof(float), Spectrum1024::kSize);
    std::copy(samples + Spectrum1024::kSize - count, samples + Spectrum1024::kSize, static_cast<float*>(buffer));
    return Ok(static_cast<DWORD>(count * sizeof(float)));
  }
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
