// Media files made by the tests: WAV written by code, MP3/OGG encoded by the ffmpeg tool,
// a minimal tracker module written byte by byte.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lirra::testing {

// Writes a 16-bit PCM WAV; `sample(frame, channel)` gives values in -1..1.
void WriteWav(const std::string& path, int rate, int channels, int64_t frames,
              const std::function<double(int64_t frame, int channel)>& sample);

// A WAVE file with any sample layout: `format` 1 (integer) or 3 (float), optionally in an
// extensible header, an odd-sized chunk before the data, and a data size left at 0 as a
// recorder that never finished leaves it.
struct WaveLayout {
  int format = 1;
  int bits = 16;
  int channels = 2;
  bool extensible = false;
  bool openEnded = false;
};

// The bytes of a WAVE file of `samples` (interleaved, -1..1) in `layout`.
std::vector<uint8_t> MakeWave(const WaveLayout& layout, int rate, const std::vector<double>& samples);

// A full-scale sine of `hz` for `seconds`, stereo 44.1 kHz.
void WriteSineWav(const std::string& path, double hz, double seconds, double amplitude = 1.0);

// A sweep whose pitch tells where in the file it is: 300 Hz at 0 rising 100 Hz a second,
// at half of full scale; and the time in the sweep where it sounds `hz`.
double Sweep(double seconds);
inline double SweepTimeAt(double hz) { return (hz - 300.0) / 100.0; }

// Encodes `wav` with ffmpeg into `out` (the extension picks the codec). Returns false when
// the encoder failed.
bool Encode(const std::string& wav, const std::string& out, const std::string& codecArgs);

// The formats a split signal is tested and measured in: one tone cut into pieces, each
// encoded by ffmpeg (`codecArgs` empty: the WAV piece itself) at `rate`.
struct SplitFormat {
  const char* name;
  const char* extension;
  const char* codecArgs;
  int rate;
};
inline constexpr SplitFormat kSplitFormats[] = {
    {"wav", ".wav", "", 44100},
    {"flac", ".flac", "-c:a flac", 44100},
    {"mp3_lame", ".mp3", "-c:a libmp3lame -b:a 192k", 44100},
    {"ogg_vorbis", ".ogg", "-c:a libvorbis -q:a 6", 44100},
    {"opus", ".opus", "-c:a libopus -b:a 160k", 48000},
    {"aac_m4a", ".m4a", "-c:a aac -b:a 192k", 44100},
};

// A sine of `hz` at `level`, continuous across `pieces` files of `seconds` each, written into
// `dir` in `format`. Returns their paths; empty when an encode failed.
std::vector<std::string> WriteSplitTone(const std::string& dir, const SplitFormat& format, double hz, double level,
                                        int pieces, double seconds);

// A 4-channel "M.K." module: one pattern playing a looped square-wave sample on channel 1,
// with a pattern break at `rows` so it ends after that many rows at speed 6 / 125 bpm.
std::vector<uint8_t> MinimalModule(int rows);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Bins of a 1024-point spectrum at 44.1 kHz: the frequency at the centre of bin k.
inline double BinCentreHz(int k) { return k * 44100.0 / 1024.0; }

}  // namespace lirra::testing
