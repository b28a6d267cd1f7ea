#include "media_fixtures.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace lirra::testing {

namespace {
void Put(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
}  // namespace

void WriteWav(const std::string& path, int rate, int channels, int64_t frames,
              const std::function<double(int64_t, int)>& sample) {
  const auto dataBytes = static_cast<uint32_t>(frames * channels * 2);
  std::string out = "RIFF";
  Put(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  Put(out, 16, 4);
  Put(out, 1, 2);
  Put(out, static_cast<uint32_t>(channels), 2);
  Put(out, static_cast<uint32_t>(rate), 4);
  Put(out, static_cast<uint32_t>(rate * channels * 2), 4);
  Put(out, static_cast<uint32_t>(channels * 2), 2);
  Put(out, 16, 2);
  out += "data";
  Put(out, dataBytes, 4);
  out.reserve(out.size() + dataBytes);
  for (int64_t f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c) {
      const double v = std::clamp(sample(f, c), -1.0, 1.0);
      Put(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))), 2);
    }
  std::ofstream(path, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
}

void WriteSineWav(const std::string& path, double hz, double seconds, double amplitude) {
  const double w = 2 * std::numbers::pi * hz / 44100.0;
  WriteWav(path, 44100, 2, static_cast<int64_t>(seconds * 44100),
           [&](int64_t f, int) { return amplitude * std::sin(w * static_cast<double>(f)); });
}

std::vector<std::string> WriteSplitTone(const std::string& dir, const SplitFormat& format, double hz, double level,
                                        int pieces, double seconds) {
  std::vector<std::string> files;
  const auto frames = static_cast<int64_t>(seconds * format.rate);
  for (int part = 0; part < pieces; ++part) {
    const std::string piece = dir + "/part" + std::to_string(part) + ".wav";
    WriteWav(piece, format.rate, 2, frames, [&](int64_t f, int) {
      return level * std::sin(2 * std::numbers::pi * hz * static_cast<double>(part * frames + f) / format.rate);
    });
    std::string file = piece;
    if (*format.codecArgs) {
      file = dir + "/part" + std::to_string(part) + format.extension;
      if (!Encode(piece, file, format.codecArgs)) return {};
    }
    files.push_back(file);
  }
  return files;
}

double Sweep(double t) { return 0.5 * std::sin(2 * std::numbers::pi * (300.0 * t + 100.0 * t * t / 2)); }

bool Encode(const std::string& wav, const std::string& out, const std::string& codecArgs) {
  const std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y -i '" + wav + "' " +
                          codecArgs + " '" + out + "'";
  return std::system(cmd.c_str()) == 0;
}

std::vector<uint8_t> MinimalModule(int rows) {
  std::vector<uint8_t> m(1084, 0);
  const char title[] = "lirra test";
  std::copy(title, title + sizeof title - 1, m.begin());
  // Sample 1: 64 words (128 bytes), volume 64, looped over its whole length.
  const int sampleWords = 64;
  uint8_t* s1 = &m[20];
  s1[22] = sampleWords >> 8;
  s1[23] = sampleWords & 0xFF;
  s1[25] = 64;           // volume
  s1[26] = 0, s1[27] = 0;  // loop start
  s1[28] = sampleWords >> 8;
  s1[29] = sampleWords & 0xFF;  // loop length
  for (int i = 1; i < 31; ++i) m[20 + 30 * i + 29] = 1;  // empty samples: loop length 1
  m[950] = 1;    // song length: one order
  m[951] = 127;
  m[952] = 0;    // order 0 plays pattern 0
  m[1080] = 'M', m[1081] = '.', m[1082] = 'K', m[1083] = '.';
  // Pattern 0: 64 rows x 4 channels x 4 bytes.
  std::vector<uint8_t> pattern(64 * 4 * 4, 0);
  const int period = 428;  // C-2
  uint8_t* note = &pattern[0];
  note[0] = static_cast<uint8_t>((1 & 0xF0) | (period >> 8));
  note[1] = period & 0xFF;
  note[2] = static_cast<uint8_t>((1 & 0x0F) << 4);
  if (rows < 64) {
    uint8_t* brk = &pattern[static_cast<size_t>(rows - 1) * 16 + 4];  // channel 2
    brk[2] = 0x0D;  // pattern break ends the song (one order only)
  }
  m.insert(m.end(), pattern.begin(), pattern.end());
  for (int i = 0; i < sampleWords * 2; ++i) m.push_back(i < sampleWords ? 0x60 : 0xA0);
  return m;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

namespace {
void Put(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
}  // namespace

std::vector<uint8_t> MakeWave(const WaveLayout& l, int rate, const std::vector<double>& samples) {
  std::vector<uint8_t> data;
  for (const double v : samples) {
    if (l.format == 3 && l.bits == 32) {
      const float f = static_cast<float>(v);
      uint32_t u;
      std::memcpy(&u, &f, 4);
      Put(data, u, 4);
    } else if (l.format == 3) {
      uint64_t u;
      std::memcpy(&u, &v, 8);
      Put(data, u, 8);
    } else if (l.bits == 8) {
      data.push_back(static_cast<uint8_t>(std::lround(v * 127.0) + 128));
    } else {
      const double scale = std::ldexp(1.0, l.bits - 1) - 1.0;
      Put(data, static_cast<uint64_t>(std::llround(v * scale)), l.bits / 8);
    }
  }
  std::vector<uint8_t> fmt;
  const int block = l.channels * l.bits / 8;
  Put(fmt, l.extensible ? 0xFFFE : l.format, 2);
  Put(fmt, l.channels, 2);
  Put(fmt, rate, 4);
  Put(fmt, rate * block, 4);
  Put(fmt, block, 2);
  Put(fmt, l.bits, 2);
  if (l.extensible) {
    Put(fmt, 22, 2);
    Put(fmt, l.bits, 2);
    Put(fmt, l.channels == 2 ? 3 : 4, 4);
    Put(fmt, l.format, 2);  // the sub-format GUID starts with the format tag
    const uint8_t rest[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), rest, rest + 14);
  }
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  Put(out, fmt.size(), 4);
  out.insert(out.end(), fmt.begin(), fmt.end());
  const char note[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};  // odd size, padded
  out.insert(out.end(), note, note + sizeof note);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  Put(out, l.openEnded ? 0 : data.size(), 4);
  out.insert(out.end(), data.begin(), data.end());
  const uint64_t riffSize = out.size() - 8;
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
  return out;
}

}  // namespace lirra::testing
