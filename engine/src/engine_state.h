// The engine's process-wide state and the helpers every exported function uses. Internal
// to libbass.so.
#pragma once

#include <atomic>
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

// The calling thread's last error (BASS_ErrorGetCode).
int& LastError();

// Records `code` as the calling thread's error and returns `result`.
template <typename T>
T Fail(int code, T result) {
  LastError() = code;
  return result;
}
template <typename T>
T Ok(T result) {
  LastError() = BASS_OK;
  return result;
}

inline constexpr QWORD kBadQword = static_cast<QWORD>(-1);
inline constexpr DWORD kBadDword = static_cast<DWORD>(-1);

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

EngineState& State();
std::shared_ptr<Channel> Find(DWORD handle);

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

DWORD NewHandle();
void Insert(std::shared_ptr<Channel> channel);
// Opens a file, module or address as a new channel; 0 with the error recorded on failure.
DWORD OpenChannel(ChannelKind kind, const char* path, DWORD flags, bool network);
BOOL FreeChannel(DWORD handle, bool musicOnly);

}  // namespace lirra::engine
