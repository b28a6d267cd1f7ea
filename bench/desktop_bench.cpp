// The player on today's desktops (run by scripts/bench.sh with the test servers, weston
// among them): the time from a restarted sound server's return to the sound at its sink,
// on PulseAudio and on PipeWire; and launch → sound at the sink and launch → window mapped
// on the bare X server, under XWayland in weston, and as a native Wayland client (sound
// only: nothing outside the compositor sees a Wayland window map). Medians of five.
//
//   desktop_bench <app-dir>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bass.h"
#include "bench_support.h"
#include "launch_support.h"
#include "media_fixtures.h"
#include "sink_monitor.h"
#include "sound_server.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using lirra::bench::Median;
using lirra::bench::ToneHeard;

double MsSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

template <typename F>
bool WaitUntil(int ms, F done) {
  const auto until = Clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (Clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return true;
}

// Server killed, gone for a second, started again: from its answering to the tone at its
// sink (the recording of the monitor reconnects too), and to the channel playing again.
void ServerReturn(const char* kind, const std::string& dir, const std::string& tone) {
  setenv("LIRRA_TEST_SOUND_SERVER", kind, 1);
  lirra::testing::SoundServer server(dir + "/" + kind);
  std::string why;
  if (!server.start(&why)) {
    std::printf("%-10s server return: not measured (%s)\n", kind, why.c_str());
    return;
  }
  setenv("PULSE_SERVER", server.address().c_str(), 1);
  if (!BASS_Init(1, 44100, 0, 0, nullptr)) return;
  const HRECORD monitor = lirra::bench::StartSinkMonitor();
  const HSTREAM h = BASS_StreamCreateFile(FALSE, tone.c_str(), 0, 0, BASS_SAMPLE_LOOP);
  BASS_ChannelPlay(h, FALSE);
  WaitUntil(5000, [&] { return ToneHeard(monitor); });
  std::vector<double> toSound, toPlaying;
  for (int round = 0; round < 5; ++round) {
    server.kill();
    WaitUntil(2000, [&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_PAUSED_DEVICE; });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (!server.start(&why)) break;
    const auto back = Clock::now();
    if (WaitUntil(10000, [&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING; })) toPlaying.push_back(MsSince(back));
    if (WaitUntil(10000, [&] { return ToneHeard(monitor); })) toSound.push_back(MsSince(back));
  }
  BASS_RecordFree();
  BASS_Free();
  std::printf("%-10s server back -> playing again %6.0f ms, -> sound at the sink %6.0f ms (median of %zu)\n", kind,
              Median(toPlaying), Median(toSound), toSound.size());
}

struct Session {
  const char* name;
  std::vector<std::string> env;  // set for the player; "DISPLAY=" removes it
  const char* mappedOn;           // the X display its window maps on, null for none
};

void Launches(const std::string& app, const std::string& mp3, const Session& session) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string v = *e;
    if (v.rfind("DISPLAY=", 0) != 0 && v.rfind("WAYLAND_DISPLAY=", 0) != 0) env.push_back(v);
  }
  for (const std::string& v : session.env)
    if (v != "DISPLAY=") env.push_back(v);
  std::vector<char*> envp;
  for (std::string& v : env) envp.push_back(v.data());
  envp.push_back(nullptr);
  const std::string program = app + "/lirra";
  xcb_connection_t* x = session.mappedOn ? xcb_connect(session.mappedOn, nullptr) : nullptr;
  if (x) lirra::bench::HearMappedWindows(x);
  const HRECORD monitor = lirra::bench::StartSinkMonitor();
  std::vector<double> soundMs, mappedMs;
  for (int run = 0; run < 5; ++run) {
    WaitUntil(5000, [&] { return !ToneHeard(monitor); });
    if (x)
      while (xcb_generic_event_t* e = xcb_poll_for_event(x)) free(e);
    const char* args[] = {program.c_str(), mp3.c_str(), nullptr};
    const auto t0 = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(args), envp.data()) != 0) break;
    bool heard = false, mapped = x == nullptr;
    while (!(heard && mapped) && Clock::now() - t0 < std::chrono::seconds(10)) {
      if (!heard && ToneHeard(monitor)) soundMs.push_back(MsSince(t0)), heard = true;
      if (!mapped && lirra::bench::WindowMappedNow(x)) mappedMs.push_back(MsSince(t0)), mapped = true;
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  BASS_RecordFree();
  if (x) xcb_disconnect(x);
  std::printf("%-22s launch -> sound %6.0f ms, -> window mapped %s\n", session.name, Median(soundMs),
              x ? (std::to_string(static_cast<int>(std::lround(Median(mappedMs)))) + " ms").c_str() : "(not seen)");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: desktop_bench <app-dir>\n");
    return 2;
  }
  const std::string dir = "/tmp/lirra-desktop-bench";
  std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str());
  const std::string tone = dir + "/tone.wav";
  lirra::testing::WriteSineWav(tone, 1722.66, 60.0, 0.5);

  const std::string sharedServer = std::getenv("PULSE_SERVER") ? std::getenv("PULSE_SERVER") : "";
  for (const char* kind : {"pulseaudio", "pipewire"}) ServerReturn(kind, dir, tone);
  setenv("PULSE_SERVER", sharedServer.c_str(), 1);
  setenv("LIRRA_TEST_SOUND_SERVER", "pulseaudio", 1);

  if (!BASS_Init(0, 44100, 0, 0, nullptr)) return 1;  // only the monitor's recording is used
  const std::string app = lirra::bench::PrivateApp(argv[1], dir);
  const std::string mp3 = dir + "/tone.mp3";
  std::system(("ffmpeg -nostdin -loglevel error -y -i '" + tone + "' -c:a libmp3lame -b:a 192k '" + mp3 + "'").c_str());
  const char* x = std::getenv("DISPLAY");
  const char* xwayland = std::getenv("LIRRA_XWAYLAND_DISPLAY");
  const std::string socket = std::string("WAYLAND_DISPLAY=") + (std::getenv("LIRRA_WAYLAND_SOCKET") ? std::getenv("LIRRA_WAYLAND_SOCKET") : "");
  Launches(app, mp3, {"bare X server", {std::string("DISPLAY=") + (x ? x : "")}, x});
  if (xwayland) {
    const std::vector<std::string> wayland = {socket, "XDG_SESSION_TYPE=wayland"};
    Launches(app, mp3, {"XWayland in weston", {wayland[0], wayland[1], std::string("DISPLAY=") + xwayland}, xwayland});
    Launches(app, mp3, {"native Wayland (weston)", {wayland[0], wayland[1], "DISPLAY="}, nullptr});
  }
  BASS_Free();
  return 0;
}
