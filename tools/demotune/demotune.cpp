// Writes the demo content of the app folder: a short original tune ("First Light",
// synthesised here, four bars of 3/4 at 150 bpm, 16-bit stereo 44.1 kHz WAV), its timed
// lyrics and a playlist naming it.
//
//   demotune <app-dir>
//     <app-dir>/Music/Lirra - First Light.wav
//     <app-dir>/Music/Lirra - First Light.lrc
//     <app-dir>/Demo.m3u
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 60.0 / 150.0;  // seconds per beat
constexpr double kBeats = 12.0;         // four bars of 3/4
constexpr double kTail = 0.6;           // release after the last beat
const char* const kBaseName = "Lirra - First Light";

struct Note {
  double beat;      // start, in beats
  double length;    // in beats
  int midi;         // MIDI note number
  double gain;
  double pan;       // -1 left .. 1 right
  int voice;        // 0 lead, 1 bass, 2 chord tone
};

double Frequency(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Attack-decay-sustain-release envelope; `t` from the note's start, `len` its length (s).
double Envelope(double t, double len, double attack, double decay, double sustain,
                double release) {
  if (t < 0) return 0;
  double level;
  if (t < attack)
    level = t / attack;
  else if (t < attack + decay)
    level = 1.0 - (1.0 - sustain) * (t - attack) / decay;
  else
    level = sustain;
  if (t > len) {
    const double r = (t - len) / release;
    if (r >= 1) return 0;
    level *= 1.0 - r;
  }
  return level;
}

double Voice(const Note& n, double t) {
  const double len = n.length * kBeat;
  const double f = Frequency(n.midi);
  const double twoPi = 2 * std::numbers::pi;
  switch (n.voice) {
    case 0: {  // lead: a soft organ-like tone with a light vibrato
      const double vib = 1.0 + 0.003 * std::sin(twoPi * 5.5 * t) * std::min(1.0, t / 0.3);
      const double ph = twoPi * f * vib * t;
      const double tone = std::sin(ph) + 0.35 * std::sin(2 * ph) + 0.12 * std::sin(3 * ph);
      return tone * Envelope(t, len, 0.012, 0.18, 0.55, 0.12);
    }
    case 1: {  // bass: a rounded triangle-ish tone
      const double ph = twoPi * f * t;
      const double tone = std::sin(ph) + 0.2 * std::sin(3 * ph) / 9.0;
      return tone * Envelope(t, len, 0.01, 0.35, 0.4, 0.15);
    }
    default: {  // chord tone: short plucked sine
      const double ph = twoPi * f * t;
      return (std::sin(ph) + 0.25 * std::sin(2 * ph)) * std::exp(-t * 6.0) *
             Envelope(t, len, 0.005, 0.05, 1.0, 0.05);
    }
  }
}

std::vector<Note> Score() {
  std::vector<Note> notes = {
      // Lead
      {0, 1, 76, 0.5, 0.3, 0},   {1, 1, 79, 0.5, 0.3, 0},   {2, 1, 81, 0.5, 0.3, 0},
      {3, 1.5, 79, 0.5, 0.3, 0}, {4.5, 0.5, 76, 0.5, 0.3, 0}, {5, 1, 74, 0.5, 0.3, 0},
      {6, 1, 72, 0.5, 0.3, 0},   {7, 1, 74, 0.5, 0.3, 0},   {8, 1, 76, 0.5, 0.3, 0},
      {9, 0.5, 74, 0.5, 0.3, 0}, {9.5, 2.5, 72, 0.55, 0.3, 0},
      // Bass: C, A minor, F, G then home to C
      {0, 3, 48, 0.45, -0.3, 1}, {3, 3, 45, 0.45, -0.3, 1}, {6, 3, 41, 0.45, -0.3, 1},
      {9, 1, 43, 0.45, -0.3, 1}, {10, 2, 48, 0.45, -0.3, 1},
  };
  // Chord tones on beats two and three of each bar.
  const int chords[4][2] = {{64, 67}, {60, 64}, {57, 60}, {62, 67}};
  for (int bar = 0; bar < 4; ++bar)
    for (int beat = 1; beat < 3; ++beat)
      for (int k = 0; k < 2; ++k)
        notes.push_back({bar * 3.0 + beat, 0.9, chords[bar][k], 0.16, k ? 0.5 : -0.5, 2});
  return notes;
}

std::vector<int16_t> Render() {
  const auto frames = static_cast<size_t>((kBeats * kBeat + kTail) * kRate);
  std::vector<double> left(frames), right(frames);
  for (const Note& n : Score()) {
    const auto first = static_cast<size_t>(n.beat * kBeat * kRate);
    const double pl = std::sqrt(0.5 * (1.0 - n.pan)), pr = std::sqrt(0.5 * (1.0 + n.pan));
    for (size_t i = first; i < frames; ++i) {
      const double t = static_cast<double>(i - first) / kRate;
      if (t > n.length * kBeat + 0.2) break;
      const double v = n.gain * Voice(n, t);
      left[i] += v * pl;
      right[i] += v * pr;
    }
  }
  // A soft hi-hat on every beat: decaying noise from a fixed-seed generator.
  uint32_t seed = 0x4c697272u;
  for (int beat = 0; beat < static_cast<int>(kBeats); ++beat) {
    const auto first = static_cast<size_t>(beat * kBeat * kRate);
    const double accent = beat % 3 == 0 ? 0.07 : 0.04;
    for (size_t i = first; i < std::min(frames, first + kRate / 20); ++i) {
      seed = seed * 1664525u + 1013904223u;
      const double noise = (static_cast<double>(seed >> 8) / (1u << 24)) * 2.0 - 1.0;
      const double v = accent * noise * std::exp(-static_cast<double>(i - first) / (kRate * 0.012));
      left[i] += v * 0.8;
      right[i] += v;
    }
  }
  double peak = 1e-9;
  for (size_t i = 0; i < frames; ++i) peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
  const double scale = 0.7 / peak * 32767.0;  // about -3 dBFS
  std::vector<int16_t> pcm(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    pcm[2 * i] = static_cast<int16_t>(std::lround(left[i] * scale));
    pcm[2 * i + 1] = static_cast<int16_t>(std::lround(right[i] * scale));
  }
  return pcm;
}

void PutLE(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string Wav(const std::vector<int16_t>& pcm) {
  const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
  std::string out = "RIFF";
  PutLE(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  PutLE(out, 16, 4);
  PutLE(out, 1, 2);             // PCM
  PutLE(out, 2, 2);             // stereo
  PutLE(out, kRate, 4);
  PutLE(out, kRate * 4, 4);     // bytes per second
  PutLE(out, 4, 2);             // block align
  PutLE(out, 16, 2);            // bits per sample
  out += "data";
  PutLE(out, dataBytes, 4);
  for (int16_t s : pcm) PutLE(out, static_cast<uint16_t>(s), 2);
  return out;
}

// Written whole or not at all.
bool WriteFile(const fs::path& path, const std::string& bytes) {
  const fs::path tmp = path.string() + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !f.flush()) {
      std::fprintf(stderr, "demotune: cannot write %s\n", tmp.c_str());
      return false;
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) std::fprintf(stderr, "demotune: cannot write %s: %s\n", path.c_str(), ec.message().c_str());
  return !ec;
}

std::string CrLfLines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: demotune <app-dir>\n");
    return 2;
  }
  const fs::path appDir = fs::absolute(argv[1]).lexically_normal();
  const fs::path music = appDir / "Music";
  std::error_code ec;
  fs::create_directories(music, ec);
  if (ec) {
    std::fprintf(stderr, "demotune: cannot create %s: %s\n", music.c_str(), ec.message().c_str());
    return 1;
  }
  const std::vector<int16_t> pcm = Render();
  const int seconds = static_cast<int>(pcm.size() / 2 / kRate);
  const fs::path wav = music / (std::string(kBaseName) + ".wav");
  const std::string lrc = CrLfLines({
      "[ti:First Light]",
      "[ar:Lirra]",
      "[al:Lirra Demo]",
      "[00:00.00]First light on the window",
      "[00:01.20]晨光照在窗上",
      "[00:02.40]a little tune to start the day",
      "[00:03.60]小小的曲子，开始新的一天",
      "[00:04.80]Lirra",
  });
  const std::string m3u = CrLfLines({
      "#EXTM3U",
      "#EXTINF:" + std::to_string(seconds) + "," + kBaseName,
      // Relative to the list, so a copied app folder plays its own copy of the tune.
      (fs::path("Music") / wav.filename()).string(),
  });
  const bool ok = WriteFile(wav, Wav(pcm)) &&
                  WriteFile(music / (std::string(kBaseName) + ".lrc"), lrc) &&
                  WriteFile(appDir / "Demo.m3u", m3u);
  return ok ? 0 : 1;
}
