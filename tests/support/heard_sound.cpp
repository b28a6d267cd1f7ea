#include "heard_sound.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace lirra::testing {

SinkRecording::SinkRecording(const std::string& scratchFile) : file_(scratchFile) {
  const char* sink = std::getenv("LIRRA_TEST_SINK");
  if (!sink) return;
  const std::string device = std::string("--device=") + sink + ".monitor";
  const std::string rate = "--rate=" + std::to_string(kHeardRate);
  // Both channels, mixed here: servers mix stereo down to mono differently (PipeWire keeps
  // the power, PulseAudio the level).
  const char* argv[] = {"parec", device.c_str(), rate.c_str(), "--channels=2", "--format=float32le",
                        "--latency-msec=10", "--raw", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (posix_spawnp(&pid_, "parec", &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  // The recording runs once the server has sent its first block; what the block holds
  // was heard before that moment. (A null sink that was idle sends it only once it wakes
  // from a long sleep, up to 2 s.)
  for (int i = 0; i < 3000 && started(); ++i) {
    std::ifstream f(file_, std::ios::binary | std::ios::ate);
    const auto bytes = f ? static_cast<long long>(f.tellg()) : 0;
    if (bytes > 0) {
      firstSample_ = std::chrono::steady_clock::now() -
                     std::chrono::microseconds(bytes / 8 * 1000000 / kHeardRate);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

SinkRecording::~SinkRecording() { stop(); }

std::vector<float> SinkRecording::stop() {
  if (pid_ > 0) {
    kill(pid_, SIGINT);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  std::ifstream f(file_, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  std::vector<float> stereo(bytes.size() / sizeof(float));
  std::copy_n(bytes.data(), stereo.size() * sizeof(float), reinterpret_cast<char*>(stereo.data()));
  std::vector<float> heard(stereo.size() / 2);
  for (size_t i = 0; i < heard.size(); ++i) heard[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
  return heard;
}

Span SoundSpan(const std::vector<float>& heard, float threshold) {
  const auto loud = [threshold](float v) { return std::fabs(v) > threshold; };
  const auto first = std::find_if(heard.begin(), heard.end(), loud);
  if (first == heard.end()) return {};
  const auto last = std::find_if(heard.rbegin(), heard.rend(), loud);
  return {static_cast<size_t>(first - heard.begin()), static_cast<size_t>(heard.rend() - last)};
}

Span Around(Span span, double second, double halfWidth) {
  const auto at = [&](double s) {
    return std::clamp<size_t>(span.begin + static_cast<size_t>(std::max(0.0, s) * kHeardRate), span.begin, span.end);
  };
  return {at(second - halfWidth), at(second + halfWidth)};
}

bool HoleIn(const std::vector<float>& heard, Span span) {
  span.end = std::min(span.end, heard.size());
  size_t run = 0;
  for (size_t i = span.begin; i < span.end; ++i) {
    run = heard[i] == 0.0f ? run + 1 : 0;
    if (run >= kHeardRate / 1000) return true;
  }
  return false;
}

double LongestSilenceMs(const std::vector<float>& heard, Span span, float threshold) {
  span.end = std::min(span.end, heard.size());
  size_t longest = 0, run = 0;
  for (size_t i = span.begin; i < span.end; ++i) {
    run = std::fabs(heard[i]) < threshold ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return 1000.0 * static_cast<double>(longest) / kHeardRate;
}

float LargestStep(const std::vector<float>& heard, Span span) {
  span.end = std::min(span.end, heard.size());
  float largest = 0;
  for (size_t i = span.begin + 1; i < span.end; ++i) largest = std::max(largest, std::fabs(heard[i] - heard[i - 1]));
  return largest;
}

std::vector<double> FrequencyTrack(const std::vector<float>& heard, Span span, double windowSeconds) {
  span.end = std::min(span.end, heard.size());
  // Upward zero crossings, placed between the two samples by linear interpolation.
  std::vector<double> crossings;
  for (size_t i = span.begin + 1; i < span.end; ++i)
    if (heard[i - 1] < 0 && heard[i] >= 0)
      crossings.push_back(static_cast<double>(i - 1) + heard[i - 1] / (heard[i - 1] - heard[i]));
  const auto window = static_cast<size_t>(windowSeconds * kHeardRate);
  std::vector<double> track;
  auto from = crossings.begin();
  for (size_t start = span.begin; start + window <= span.end; start += window) {
    from = std::lower_bound(from, crossings.end(), static_cast<double>(start));
    const auto to = std::lower_bound(from, crossings.end(), static_cast<double>(start + window));
    const auto n = to - from;
    track.push_back(n >= 2 ? (n - 1) * kHeardRate / (*(to - 1) - *from) : 0.0);
  }
  return track;
}

}  // namespace lirra::testing
