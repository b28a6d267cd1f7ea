// Whole-program figures of the player (run by scripts/bench.sh under Xvfb with a PulseAudio
// null sink), from a private app folder whose settings name a frame skin: time from launch
// with a local MP3 until its sound reaches the sink (seen by recording the sink's monitor);
// time from launch with a playlist until the skinned window is mapped; resident memory while
// playing; and CPU while playing with the track list shown: the player's own, and the sound
// server's share (what the server spends beyond its idle cost while the player plays;
// LIRRA_PULSE_PID names the server). Where Audacious is installed (scripts/bench.sh adds
// it), the same spectrum figure of Audacious with its classic skin and analyser, playing
// the same file in the same run, to compare with. Medians of several launches.
//
//   player_bench <app-dir>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <xcb/xcb.h>

#include "bench_support.h"
#include "launch_support.h"
#include "bass.h"
#include "sink_monitor.h"

extern char** environ;

namespace {

using lirra::bench::Median;
using lirra::bench::ResidentKb;
using lirra::bench::PrivateApp;
using lirra::bench::ToneHeard;
using lirra::bench::WaitForMappedWindow;

using Clock = std::chrono::steady_clock;

// CPU time of a process's threads so far, to the nanosecond (the scheduler's own count;
// the clock-tick figures of /proc/PID/stat are too coarse for a tenth of a percent).
double CpuSeconds(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  double seconds = 0;
  std::error_code gone;  // the process ended: what was counted so far
  for (const auto& task : std::filesystem::directory_iterator(tasks, gone)) {
    std::ifstream schedstat(task.path() / "schedstat");
    unsigned long long runNs = 0;
    if (schedstat >> runNs) seconds += static_cast<double>(runNs) / 1e9;
  }
  return seconds;
}

// A home folder for Audacious whose interface is the classic skin (its analyser shows in
// the main window); empty when Audacious is not installed. A first start writes the plug-in
// registry, in which the skinned interface is then the one enabled.
std::string AudaciousHome(const std::string& dir) {
  if (std::system("command -v audacious >/dev/null 2>&1") != 0) return {};
  const std::string home = dir + "/audacious-home";
  const std::string registry = home + "/.config/audacious/plugin-registry";
  std::system(("rm -rf '" + home + "' && mkdir -p '" + home + "' && HOME='" + home +
               "' timeout -s TERM 4 audacious --qt >/dev/null 2>&1; awk '/^[a-z]+ \\//{iface=($1==\"iface\"); name=$2} "
               "iface && /^enabled /{$0=\"enabled \" (name ~ /skins-qt[.]so$/ ? 1 : 0)} {print}' '" + registry +
               "' > '" + registry + ".new' && mv '" + registry + ".new' '" + registry + "'").c_str());
  return std::filesystem::exists(registry) ? home : std::string();
}

// A double click on the drag area at the window's right edge: the track list shows.
void ShowTrackList(pid_t pid) {
  const std::string id = "$(xdotool search --onlyvisible --pid " + std::to_string(pid) + " | head -n 1)";
  std::system(("eval $(xdotool getwindowgeometry --shell " + id + ") && xdotool mousemove $((X + WIDTH - 3)) "
               "$((Y + HEIGHT / 2)) click --repeat 2 --delay 80 1").c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: player_bench <app-dir>\n");
    return 2;
  }
  const std::string dir = "/tmp/lirra-player-bench";
  std::system(("mkdir -p " + dir + "/runtime && chmod 700 " + dir + "/runtime").c_str());
  const std::string app = PrivateApp(argv[1], dir);
  const std::string mp3 = dir + "/five-minutes.mp3";
  std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=1722.66:duration=300 "
               "-ac 2 -c:a libmp3lame -b:a 192k '" + mp3 + "'").c_str());
  // The list plays something whose spectrum moves like music's: pink noise swelling twice a
  // second, so every bar changes every frame (a steady tone would leave the frames alike).
  const std::string moving = dir + "/moving.mp3";
  std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i anoisesrc=color=pink:amplitude=0.5:duration=300:sample_rate=44100 "
               "-af tremolo=f=2:d=0.9 -ac 2 -c:a libmp3lame -b:a 192k '" + moving + "'").c_str());
  const std::string list = dir + "/moving.m3u";
  std::ofstream(list) << "#EXTM3U\r\n#EXTINF:300,Moving\r\n" << moving << "\r\n";
  setenv("XDG_RUNTIME_DIR", (dir + "/runtime").c_str(), 1);

  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) {
    std::fprintf(stderr, "player_bench: no X display\n");
    return 1;
  }
  lirra::bench::HearMappedWindows(x);

  const std::string program = app + "/lirra";
  const auto launch = [&](const std::string& argument) {
    const char* args[] = {program.c_str(), argument.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(args), environ) != 0) {
      std::fprintf(stderr, "player_bench: cannot start %s\n", program.c_str());
      std::exit(1);
    }
    return pid;
  };
  const int runs = std::getenv("PLAYER_BENCH_RUNS") ? std::atoi(std::getenv("PLAYER_BENCH_RUNS")) : 5;

  // Launch with the playlist until the skinned window is mapped, before the sink's monitor
  // is recorded (its thread would compete with the start on two cores).
  std::vector<double> mappedMs;
  for (int run = 0; run < runs; ++run) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(x)) free(e);
    const auto t0 = Clock::now();
    const pid_t pid = launch(list);
    if (WaitForMappedWindow(x)) mappedMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }

  const HRECORD monitor = lirra::bench::StartSinkMonitor();
  if (!monitor) {
    std::fprintf(stderr, "player_bench: cannot record the sink's monitor (error %d)\n", BASS_ErrorGetCode());
    return 1;
  }

  const char* serverPid = std::getenv("LIRRA_PULSE_PID");
  const pid_t server = serverPid ? static_cast<pid_t>(std::atoi(serverPid)) : 0;
  // The server's cost without the player (the monitor recording and the test's silence).
  const auto serverPercent = [server](auto window) {
    if (!server) return 0.0;
    const double c0 = CpuSeconds(server);
    const auto t0 = Clock::now();
    window();
    return 100.0 * (CpuSeconds(server) - c0) / std::chrono::duration<double>(Clock::now() - t0).count();
  };

  const char* xPid = std::getenv("LIRRA_XVFB_PID");
  const pid_t xServer = xPid ? static_cast<pid_t>(std::atoi(xPid)) : 0;
  std::vector<double> startMs, residentMb, cpuPercent, serverShare, together, idleShare, spectrumCpu, spectrumX;
  for (int run = 0; run < runs; ++run) {
    while (ToneHeard(monitor)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double serverIdle = serverPercent([] { std::this_thread::sleep_for(std::chrono::seconds(20)); });
    idleShare.push_back(serverIdle);
    // Launch with the MP3 until its sound is at the sink.
    auto t0 = Clock::now();
    pid_t pid = launch(mp3);
    while (!ToneHeard(monitor) && Clock::now() - t0 < std::chrono::seconds(10))
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    startMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    while (ToneHeard(monitor)) std::this_thread::sleep_for(std::chrono::milliseconds(20));

    pid = launch(list);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    {
      // The spectrum shown, thirty frames a second: the player's CPU and the X server's.
      const double p0 = CpuSeconds(pid), x0 = xServer ? CpuSeconds(xServer) : 0;
      const auto w0 = Clock::now();
      std::this_thread::sleep_for(std::chrono::seconds(10));
      const double wall = std::chrono::duration<double>(Clock::now() - w0).count();
      spectrumCpu.push_back(100.0 * (CpuSeconds(pid) - p0) / wall);
      if (xServer) spectrumX.push_back(100.0 * (CpuSeconds(xServer) - x0) / wall);
    }
    ShowTrackList(pid);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    residentMb.push_back(ResidentKb(std::to_string(pid)) / 1024.0);
    const double cpu0 = CpuSeconds(pid);
    const auto c0 = Clock::now();
    const double serverBusy = serverPercent([] { std::this_thread::sleep_for(std::chrono::seconds(20)); });
    const double wall = std::chrono::duration<double>(Clock::now() - c0).count();
    cpuPercent.push_back(100.0 * (CpuSeconds(pid) - cpu0) / wall);
    serverShare.push_back(std::max(0.0, serverBusy - serverIdle));
    together.push_back(cpuPercent.back() + serverShare.back());
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  // Audacious, its classic skin's analyser at its own rate, the same file and windows.
  std::vector<double> audaciousCpu;
  if (const std::string home = AudaciousHome(dir); !home.empty()) {
    for (int run = 0; run < runs; ++run) {
      FILE* started = popen(("HOME='" + home + "' audacious --qt '" + moving + "' >/dev/null 2>&1 & echo $!").c_str(), "r");
      int audacious = 0;
      if (!started || std::fscanf(started, "%d", &audacious) != 1) break;
      pclose(started);
      std::this_thread::sleep_for(std::chrono::seconds(1));
      const double a0 = CpuSeconds(audacious);
      const auto w0 = Clock::now();
      std::this_thread::sleep_for(std::chrono::seconds(10));
      audaciousCpu.push_back(100.0 * (CpuSeconds(audacious) - a0) /
                             std::chrono::duration<double>(Clock::now() - w0).count());
      kill(audacious, SIGTERM);
      waitpid(audacious, nullptr, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
  }
  std::printf("launch_to_sink_ms_median %.0f (includes the monitor recording's ~10 ms)\n", Median(startMs));
  std::printf("launch_to_skinned_window_mapped_ms_median %.0f (with a playlist)\n", Median(mappedMs));
  std::printf("resident_mb_while_playing_median %.1f\n", Median(residentMb));
  std::printf("cpu_percent_of_one_core_while_playing_median %.2f (skinned, the track list shown)\n", Median(cpuPercent));
  std::printf("cpu_percent_with_the_spectrum_shown_median %.2f (the X server: %.2f)\n", Median(spectrumCpu),
              spectrumX.empty() ? -1.0 : Median(spectrumX));
  if (!audaciousCpu.empty())
    std::printf("audacious_cpu_percent_with_its_classic_analyser_median %.2f (same file, same run)\n", Median(audaciousCpu));
  else
    std::printf("audacious_cpu_percent_with_its_classic_analyser_median n/a (Audacious is not installed)\n");
  if (server) {
    std::printf("sound_server_share_percent_median %.2f (the server idles at %.2f)\n", Median(serverShare),
                Median(idleShare));
    std::printf("player_plus_server_percent_median %.2f\n", Median(together));
  }
  BASS_RecordFree();
  xcb_disconnect(x);
  return 0;
}
