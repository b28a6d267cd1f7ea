// What a listener hears: the test sink's monitor recorded as it plays (parec, 44.1 kHz
// floats, the two channels' mean), and the measures the tests take of it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace lirra::testing {

inline constexpr int kHeardRate = 44100;

// Records the sink named by LIRRA_TEST_SINK from construction until stop().
class SinkRecording {
 public:
  explicit SinkRecording(const std::string& scratchFile);
  ~SinkRecording();  // stops a recording still running
  SinkRecording(const SinkRecording&) = delete;
  SinkRecording& operator=(const SinkRecording&) = delete;

  bool started() const { return pid_ > 0; }
  // Where in the recording (seconds from its first sample) a moment of the test's clock lies.
  double secondsAt(std::chrono::steady_clock::time_point moment) const {
    return std::chrono::duration<double>(moment - firstSample_).count();
  }
  // Ends the recording and returns what was heard.
  std::vector<float> stop();

 private:
  std::string file_;
  pid_t pid_ = -1;
  std::chrono::steady_clock::time_point firstSample_;
};

// Samples of the first and one past the last sample louder than `threshold`; {0, 0} when
// nothing was.
struct Span {
  size_t begin = 0;
  size_t end = 0;
  double seconds() const { return static_cast<double>(end - begin) / kHeardRate; }
};
Span SoundSpan(const std::vector<float>& heard, float threshold = 0.02f);
// The part of `span` within `halfWidth` seconds of `second` (counted from the span's start).
Span Around(Span span, double second, double halfWidth);
// Whether the sound server left a hole of its own within `span`: a run of 1 ms or more of
// exact zeros. PipeWire's graph misses a cycle now and then on a loaded machine (see
// scripts/test-servers.sh); tests of joins look for faults at the joins, where a hole of
// the engine's would be.
bool HoleIn(const std::vector<float>& heard, Span span);
// The longest run of samples within `span` all quieter than `threshold`, in milliseconds.
double LongestSilenceMs(const std::vector<float>& heard, Span span, float threshold = 0.01f);
// The largest step between neighbouring samples within `span`.
float LargestStep(const std::vector<float>& heard, Span span);

// The frequency heard in consecutive windows of `windowSeconds` over `span`, from the
// times of its upward zero crossings (0 for a window with fewer than two).
std::vector<double> FrequencyTrack(const std::vector<float>& heard, Span span, double windowSeconds);

}  // namespace lirra::testing
