// A sound server of a test's own, on a socket of its own, that the test stops and starts
// again as a crash or an update would, with the same null sink as the test run's server
// (named by LIRRA_TEST_SINK), kept clocked by a stream of silence. The kind is the test
// run's (LIRRA_TEST_SOUND_SERVER): PulseAudio, or PipeWire (the daemon, WirePlumber and
// pipewire-pulse, all three ended and started again; its session bus stays).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace lirra::testing {

// Whether this test run's sound server is PipeWire's (LIRRA_TEST_SOUND_SERVER=pipewire).
bool PipeWireRun();

class SoundServer {
 public:
  // Everything the server keeps goes under `folder`.
  explicit SoundServer(std::string folder);
  ~SoundServer();  // kill()
  SoundServer(const SoundServer&) = delete;
  SoundServer& operator=(const SoundServer&) = delete;

  // Starts it and waits until it answers; false (with the reason) when it does not.
  bool start(std::string* why);
  // Ends it at once, as a crash does (SIGKILL), and waits until it is gone.
  void kill();
  // What PULSE_SERVER names it by.
  const std::string& address() const { return address_; }

 private:
  std::string folder_;
  std::string address_;
  bool startPipeWire(std::string* why);

  std::vector<pid_t> servers_;
  pid_t silence_ = -1;
  pid_t bus_ = -1;
  std::string busAddress_;
};

}  // namespace lirra::testing
