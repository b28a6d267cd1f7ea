// Shared set-up of the engine tests: a scratch folder and an engine on the test run's
// PulseAudio server (or the null output).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "bass.h"

namespace lirra::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    char tmpl[] = "/tmp/lirra-engine-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~ScratchFolder() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Polls `done` every 10 ms for up to `ms`; true once it held.
template <typename F>
bool WaitUntil(int ms, F done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

inline void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// An engine initialised on device `device` (1 = PulseAudio, 0 = no sound) for one test.
class EngineTest : public ::testing::Test {
 protected:
  explicit EngineTest(int device = 1) : device_(device) {}
  void SetUp() override {
    if (device_ != 0) {
      ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr) << "the test command starts PulseAudio";
    }
    ASSERT_TRUE(BASS_Init(device_, 44100, 0, 0, nullptr)) << "error " << BASS_ErrorGetCode();
  }
  void TearDown() override { BASS_Free(); }

  double Seconds(DWORD h, QWORD bytes) { return BASS_ChannelBytes2Seconds(h, bytes); }
  double PositionSeconds(DWORD h) { return Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE)); }

  ScratchFolder scratch_;

 private:
  int device_;
};

}  // namespace lirra::testing
