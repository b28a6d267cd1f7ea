// The engine's own formats: WAV, MPEG audio and Ogg Vorbis files are decoded natively, so
// playing them never loads FFmpeg; variants of them the native decoders leave (compressed
// WAV, AIFF, more than two channels) and network streams go to the FFmpeg decoder, which
// is loaded the first time it is needed.
#include <cstdio>
#include <cstring>

#include "bass.h"
#include "native_sources.h"

namespace lirra::engine {

namespace {

using Opener = OpenResult (*)(const OpenRequest&);

// True for a plausible MPEG audio frame header: sync, a defined version, layer, bit rate
// and sample rate.
bool IsFrameHeader(const unsigned char* h) {
  return h[0] == 0xFF && (h[1] & 0xE0) == 0xE0 && (h[1] & 0x18) != 0x08 && (h[1] & 0x06) != 0 &&
         (h[2] & 0xF0) != 0xF0 && (h[2] & 0x0C) != 0x0C;
}

// The native decoder for a local file, from its first bytes (none: left to FFmpeg). The
// MPEG and Vorbis decoders would search any data for something that looks like their
// stream, so only files that start as theirs are handed to them. BASS_OK, or
// BASS_ERROR_FILEOPEN when the file cannot be opened.
int NativeOpenerFor(const std::string& path, Opener* opener) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return BASS_ERROR_FILEOPEN;
  unsigned char head[12] = {};
  const size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  *opener = nullptr;
  if (got == 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0)
    *opener = OpenWaveDecoder;
  else if (got >= 4 && std::memcmp(head, "OggS", 4) == 0)
    *opener = OpenVorbisDecoder;
  else if (got >= 4 && (std::memcmp(head, "ID3", 3) == 0 || IsFrameHeader(head)))
    *opener = OpenMpegDecoder;
  return BASS_OK;
}

}  // namespace

OpenResult OpenCoreDecoder(const OpenRequest& request) {
  if (!IsNetworkAddress(request.path)) {
    Opener native = nullptr;
    const int read = NativeOpenerFor(request.path, &native);
    if (read != BASS_OK) return {nullptr, read};
    if (native) {
      OpenResult opened = native(request);
      if (opened.decoder || opened.error != BASS_ERROR_FILEFORM) return opened;
    }
  }
  OpenRequest general = request;
  general.coreCodecsOnly = true;
  return OpenMediaDecoder(general);
}

}  // namespace lirra::engine
