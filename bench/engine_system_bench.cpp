// Whole-engine figures on a real PulseAudio server (PULSE_SERVER): CPU while playing an
// MP3, resident memory per open stream, the time from BASS_ChannelPlay until the sound
// reaches the sink (seen by recording the sink's monitor), and how long the calls a player
// makes from its UI thread take while a network stream is stalled mid-read. Medians of
// several runs.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "http_server.h"
#include "bass.h"

namespace {

using lirra::bench::Median;
using lirra::bench::ResidentKb;

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Make(const std::string& args, const std::string& out) {
  std::system(("ffmpeg -nostdin -loglevel error -y " + args + " '" + out + "'").c_str());
}

// Seconds from BASS_ChannelPlay until the monitor recording holds the tone.
double PlayToSink(const std::string& wav, HRECORD rec) {
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // silence in the window
  float bins[512];
  const auto start = Clock::now();
  BASS_ChannelPlay(h, TRUE);
  double seconds = -1;
  while (Clock::now() - start < std::chrono::seconds(2)) {
    if (BASS_ChannelGetData(rec, bins, BASS_DATA_FFT1024) != 0xFFFFFFFFu && bins[40] > 0.01f) {
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  BASS_StreamFree(h);
  return seconds;
}

}  // namespace

int main() {
  const std::string dir = "/tmp/lirra-bench";
  std::system(("mkdir -p " + dir).c_str());
  const std::string mp3 = dir + "/play.mp3", tone = dir + "/tone.wav";
  Make("-f lavfi -i sine=frequency=440:duration=40 -ac 2 -c:a libmp3lame -b:a 192k", mp3);
  Make("-f lavfi -i sine=frequency=1722.66:duration=1 -ac 2", tone);
  if (!BASS_Init(1, 44100, 0, 0, nullptr)) {
    std::fprintf(stderr, "engine_system_bench: no PulseAudio server (error %d)\n", BASS_ErrorGetCode());
    return 1;
  }

  // CPU while playing an MP3 for 30 s.
  {
    const HSTREAM h = BASS_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, 0);
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    BASS_ChannelPlay(h, TRUE);
    std::this_thread::sleep_for(std::chrono::seconds(30));
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("cpu_playing_mp3_percent_of_one_core %.2f\n", 100.0 * (CpuSeconds() - cpu0) / wall);
    BASS_StreamFree(h);
  }

  // Resident memory added per open (not playing) stream, median of 3 rounds of 40.
  {
    std::vector<double> perStream;
    for (int round = 0; round < 3; ++round) {
      const long before = ResidentKb();
      std::vector<HSTREAM> open;
      for (int i = 0; i < 40; ++i) open.push_back(BASS_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, 0));
      perStream.push_back((ResidentKb() - before) / 40.0);
      for (HSTREAM h : open) BASS_StreamFree(h);
    }
    std::printf("resident_kb_per_open_stream %.0f\n", Median(perStream));
  }

  // A loopback stream that stops sending after about a second: the longest position,
  // spectrum and pause call over 5 s of the stall.
  {
    std::ifstream f(mp3, std::ios::binary);
    const std::string body((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    lirra::testing::HttpServer server(lirra::testing::HttpServer::Mode::File, body);
    server.stallAfter(24 * 1024);
    BASS_SetConfig(BASS_CONFIG_NET_READTIMEOUT, 10000);
    const HSTREAM h = BASS_StreamCreateURL(server.url("/stall.mp3").c_str(), 0, 0, nullptr, nullptr);
    BASS_ChannelPlay(h, TRUE);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the data has run out
    std::vector<double> callMs;
    float bins[512];
    const auto until = Clock::now() + std::chrono::seconds(5);
    for (int i = 0; Clock::now() < until; ++i) {
      const auto c0 = Clock::now();
      BASS_ChannelGetPosition(h, BASS_POS_BYTE);
      BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024);
      if (i % 10 == 0) {
        BASS_ChannelPause(h);
        BASS_ChannelPlay(h, FALSE);
      }
      callMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - c0).count());
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::printf("stalled_stream_ui_calls_ms_longest %.2f median %.3f (%zu rounds)\n",
                *std::max_element(callMs.begin(), callMs.end()), Median(callMs), callMs.size());
    BASS_StreamFree(h);
  }

  // BASS_ChannelPlay to the sink.
  if (BASS_RecordInit(0) && BASS_RecordSetInput(0, BASS_INPUT_ON, -1.0f)) {
    const HRECORD rec = BASS_RecordStart(44100, 1, 0, nullptr, nullptr);
    std::vector<double> ms;
    for (int i = 0; i < 9; ++i) {
      const double s = PlayToSink(tone, rec);
      if (s >= 0) ms.push_back(1000 * s);
    }
    if (!ms.empty()) std::printf("play_to_sink_ms_median %.1f (of %zu runs; includes the recording's own ~10 ms fragment)\n", Median(ms), ms.size());
    BASS_RecordFree();
  }
  BASS_Free();
  return 0;
}
