// Track changes as a listener hears them (run by scripts/bench.sh under Xvfb with a
// PulseAudio null sink; the sink's monitor recorded with parec):
//  - per format, one continuous 1 kHz tone cut into three two-second files and played
//    joined through the engine: the silence and the largest step at each join (as a
//    multiple of the tone's own largest step; 1.0 is seamless), medians of three runs;
//  - the same WAV files played one after the other without a join, each started as soon
//    as the one before reports its end (polled every 5 ms: the best an unjoined change gets);
//  - the real player over a list of three two-second tones: the silence at its joins, and
//    the time from the next track's first sound at the sink to its name in the window's
//    title, medians over the joins of three launches.
//
//   gapless_bench <app-dir>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "bass.h"
#include "bench_support.h"
#include "heard_sound.h"
#include "media_fixtures.h"

extern char** environ;

namespace {

using lirra::bench::Median;
using namespace lirra::testing;
using Clock = std::chrono::steady_clock;

constexpr double kToneHz = 1000.0, kLevel = 0.5;
const double kToneStep = 2 * kLevel * std::sin(std::numbers::pi * kToneHz / kHeardRate);

struct Join {
  double silenceMs;
  double stepRatio;
};

// The two joins of a six-second recording of the tone: within 100 ms of 2 s and 4 s after
// the first sound.
std::vector<Join> JoinsOf(const std::vector<float>& heard) {
  const Span sound = SoundSpan(heard);
  std::vector<Join> joins;
  for (double at : {2.0, 4.0}) {
    const auto centre = sound.begin + static_cast<size_t>(at * kHeardRate);
    const Span near{centre - kHeardRate / 10, std::min(heard.size(), centre + kHeardRate / 10)};
    // An unjoined change waits longer than 100 ms: the silence is measured from there on.
    const Span after{near.begin, std::min(sound.end, centre + 2 * kHeardRate)};
    joins.push_back({LongestSilenceMs(heard, after), LargestStep(heard, near) / kToneStep});
  }
  return joins;
}

std::string Scratch() {
  char tmpl[] = "/tmp/lirra-gapless-XXXXXX";
  return mkdtemp(tmpl);
}

bool WaitStopped(DWORD h) {
  const auto deadline = Clock::now() + std::chrono::seconds(15);
  while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED)
    if (Clock::now() > deadline) return false;
    else std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return true;
}

// Three pieces of the tone in `format`, played joined (or one after the other), recorded.
std::vector<float> PlayPieces(const std::string& dir, const SplitFormat& format, bool joined) {
  std::vector<HSTREAM> chain;
  for (const std::string& file : WriteSplitTone(dir, format, kToneHz, kLevel, 3, 2.0)) {
    chain.push_back(BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0));
    if (!chain.back()) return {};
  }
  if (chain.size() != 3) return {};
  SinkRecording recording(dir + "/heard.raw");
  BASS_ChannelPlay(chain[0], FALSE);
  for (size_t i = 0; i + 1 < chain.size(); ++i) {
    if (joined) BASS_ChannelJoin(chain[i], chain[i + 1]);
    if (!WaitStopped(chain[i])) return {};
    if (!joined) BASS_ChannelPlay(chain[i + 1], FALSE);
    BASS_StreamFree(chain[i]);
  }
  WaitStopped(chain.back());
  BASS_StreamFree(chain.back());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return recording.stop();
}

void EngineJoins(const std::string& appDir) {
  if (!BASS_Init(1, 44100, 0, 0, nullptr)) {
    std::printf("gapless_bench: no sound output (error %d)\n", BASS_ErrorGetCode());
    return;
  }
  for (const char* addon : {"libbass_flac.so", "libbass_opus.so", "libbass_aac.so"})
    BASS_PluginLoad((appDir + "/Plugins/" + addon).c_str(), 0);
  const std::string dir = Scratch();
  for (const SplitFormat& f : kSplitFormats) {
    std::vector<double> silence, step;
    for (int run = 0; run < 3; ++run)
      for (const Join& j : JoinsOf(PlayPieces(dir, f, true))) {
        silence.push_back(j.silenceMs);
        step.push_back(j.stepRatio);
      }
    std::printf("join_%s_silence_ms_median %.2f  step_ratio_median %.2f (max %.2f)\n", f.name, Median(silence),
                Median(step), step.empty() ? -1.0 : *std::max_element(step.begin(), step.end()));
  }
  std::vector<double> unjoined;
  for (int run = 0; run < 3; ++run)
    for (const Join& j : JoinsOf(PlayPieces(dir, kSplitFormats[0], false))) unjoined.push_back(j.silenceMs);
  std::printf("unjoined_wav_started_at_the_reported_end_silence_ms_median %.1f\n", Median(unjoined));
  BASS_Free();
  std::filesystem::remove_all(dir);
}

std::string Run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

void PlayerJoins(const std::string& appDir) {
  const std::string dir = Scratch();
  std::filesystem::copy(appDir, dir + "/app", std::filesystem::copy_options::recursive);
  const double tones[] = {440, 1000, 2000};
  std::string list = "#EXTM3U\r\n";
  for (int i = 0; i < 3; ++i) {
    const std::string name(1, static_cast<char>('a' + i));
    WriteWav(dir + "/app/" + name + ".wav", 44100, 2, 2 * 44100, [&](int64_t f, int) {
      return kLevel * std::sin(2 * std::numbers::pi * tones[i] * static_cast<double>(f) / 44100);
    });
    list += name + ".wav\r\n";
  }
  WriteBytes(dir + "/app/tones.m3u", std::vector<uint8_t>(list.begin(), list.end()));
  std::vector<double> titleMs, silenceMs;
  for (int launch = 0; launch < 3; ++launch) {
    SinkRecording recording(dir + "/heard.raw");
    pid_t pid = -1;
    const std::string program = dir + "/app/lirra", listFile = dir + "/app/tones.m3u";
    const char* argv[] = {program.c_str(), listFile.c_str(), nullptr};
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0) break;
    const std::string window = Run("xdotool search --sync --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null | head -n 1");
    // Each name with the moment it was first in the title, on the recording's clock.
    std::vector<std::pair<std::string, double>> named;
    const auto until = Clock::now() + std::chrono::milliseconds(7500);
    while (Clock::now() < until) {
      const std::string name = Run("xdotool getwindowname " + window + " 2>/dev/null");
      const double at = recording.secondsAt(Clock::now());
      if (named.empty() || named.back().first != name) named.emplace_back(name, at);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    const std::vector<float> heard = recording.stop();
    // Where each tone begins in what was heard (10 ms windows).
    const std::vector<double> track = FrequencyTrack(heard, {0, heard.size()}, 0.01);
    int playing = -1;
    for (size_t w = 0; w < track.size(); ++w) {
      int tone = -1;
      for (int i = 0; i < 3; ++i)
        if (std::fabs(track[w] - tones[i]) < 0.05 * tones[i]) tone = i;
      if (tone < 0 || tone == playing) continue;
      const bool joinedChange = playing >= 0 && tone == (playing + 1) % 3 && tone != 0;
      playing = tone;
      if (!joinedChange) continue;
      const double heardAt = static_cast<double>(w) * 0.01;
      for (const auto& [name, at] : named)
        if (name == std::string(1, static_cast<char>('a' + tone)) && at > heardAt - 1.0) {
          titleMs.push_back(1000 * (at - heardAt));
          break;
        }
      const auto centre = static_cast<size_t>(heardAt * kHeardRate);
      silenceMs.push_back(LongestSilenceMs(heard, {centre - kHeardRate / 10, centre + kHeardRate / 10}));
    }
  }
  std::printf("player_join_silence_ms_median %.2f (%zu joins)\n", Median(silenceMs), silenceMs.size());
  std::printf("player_join_heard_to_title_ms_median %.0f (%zu joins)\n", Median(titleMs), titleMs.size());
  std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gapless_bench <app-dir>\n");
    return 2;
  }
  EngineJoins(argv[1]);
  PlayerJoins(argv[1]);
  return 0;
}
