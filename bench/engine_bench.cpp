// Engine micro-benchmarks (Google Benchmark): decoding speed of MP3 and Ogg Vorbis against
// the ffmpeg command line on the same files, and the cost of one spectrum.
//
//   bench/engine_bench [--benchmark_repetitions=5 --benchmark_report_aggregates_only=true]
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "bass.h"
#include "decoder.h"
#include "fft.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using lirra::engine::OpenCoreDecoder;

// 300 s test files, made once per run (long enough that starting ffmpeg hardly counts).
const fs::path& Fixtures() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / "lirra-bench";
    fs::create_directories(d);
    const std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                             "'sine=frequency=440:duration=300:sample_rate=44100' -ac 2 ";
    if (!fs::exists(d / "a.mp3") || fs::file_size(d / "a.mp3") < 5000000)
      std::system((make + "-c:a libmp3lame -b:a 192k '" + (d / "a.mp3").string() + "'").c_str());
    if (!fs::exists(d / "a.ogg") || fs::file_size(d / "a.ogg") < 3000000)
      std::system((make + "-c:a libvorbis -q:a 5 '" + (d / "a.ogg").string() + "'").c_str());
    return d;
  }();
  return dir;
}

void DecodeWithEngine(benchmark::State& state, const char* name) {
  const std::string path = (Fixtures() / name).string();
  std::vector<float> buffer(2 * 4096);
  int64_t frames = 0;
  for (auto _ : state) {
    auto opened = OpenCoreDecoder({path, 44100, 5000, nullptr});
    if (!opened.decoder) {
      state.SkipWithError("cannot open");
      return;
    }
    while (const size_t got = opened.decoder->read(buffer.data(), 4096)) frames += got;
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
}

void DecodeWithFfmpegTool(benchmark::State& state, const char* name) {
  const std::string path = (Fixtures() / name).string();
  const char* argv[] = {"ffmpeg", "-nostdin", "-loglevel", "error", "-threads", "1", "-i",
                        path.c_str(), "-f", "null", "-", nullptr};
  double seconds = 0;
  for (auto _ : state) {
    pid_t pid;
    if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      state.SkipWithError("no ffmpeg");
      return;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    seconds += 300.0;
  }
  state.counters["x_realtime"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}

void Spectrum(benchmark::State& state) {
  const lirra::engine::Spectrum1024 spectrum;
  std::vector<float> samples(1024), out(512);
  for (int i = 0; i < 1024; ++i) samples[i] = std::sin(2 * std::numbers::pi * 23 * i / 1024.0);
  for (auto _ : state) {
    spectrum.compute(samples.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  }
}

// One BASS_ChannelGetData FFT call on a playing channel (null output): the lock, the
// history copy and the FFT.
void GetDataFft(benchmark::State& state) {
  const std::string wav = (Fixtures() / "a.wav").string();
  if (!fs::exists(wav))
    std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=duration=60 -ac 2 '" + wav + "'").c_str());
  BASS_Init(0, 44100, 0, 0, nullptr);
  const HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
  BASS_ChannelPlay(h, TRUE);
  float bins[512];
  for (auto _ : state) benchmark::DoNotOptimize(BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024));
  BASS_Free();
}

BENCHMARK_CAPTURE(DecodeWithEngine, mp3, "a.mp3")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DecodeWithFfmpegTool, mp3, "a.mp3")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DecodeWithEngine, ogg, "a.ogg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DecodeWithFfmpegTool, ogg, "a.ogg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Spectrum);
BENCHMARK(GetDataFft);

}  // namespace

BENCHMARK_MAIN();
