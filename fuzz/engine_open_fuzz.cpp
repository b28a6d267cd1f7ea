// The engine's open-and-decode path on arbitrary files: whatever the bytes, opening either
// fails with an error code or gives a channel that decodes, measures and seeks safely.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bass.h"

namespace {

const char* const kExtensions[] = {".mp3", ".wav", ".ogg", ".aiff", ".mp2", ".mod", ".xm", ".it", ".s3m"};

std::string ScratchFile(uint8_t selector) {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/lirra-fuzz-XXXXXX";
    const char* made = mkdtemp(tmpl);
    return std::string(made ? made : "/tmp");
  }();
  return dir + "/input" + kExtensions[selector % (sizeof kExtensions / sizeof kExtensions[0])];
}

void Exercise(DWORD h) {
  if (!h) {
    if (BASS_ErrorGetCode() == BASS_OK) std::abort();  // a failure must say why
    return;
  }
  const QWORD length = BASS_ChannelGetLength(h, BASS_POS_BYTE);
  float bins[512];
  for (int i = 0; i < 8 && BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024) != 0xFFFFFFFFu; ++i) {
    for (float b : bins)
      if (!(b >= 0.0f)) std::abort();  // magnitudes are never negative or NaN
  }
  if (length != static_cast<QWORD>(-1)) BASS_ChannelSetPosition(h, length / 2, BASS_POS_BYTE);
  BASS_ChannelGetData(h, bins, BASS_DATA_FFT1024);
  BASS_ChannelGetPosition(h, BASS_POS_BYTE);
  if (!BASS_StreamFree(h)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = BASS_Init(0, 44100, 0, 0, nullptr);
  if (!ready || size < 1) return 0;
  const std::string path = ScratchFile(data[0]);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data + 1, 1, size - 1, f);
  std::fclose(f);
  Exercise(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE));
  Exercise(BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_MUSIC_DECODE | 0x28400, 0));
  unlink(path.c_str());
  return 0;
}
