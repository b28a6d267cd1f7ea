// The engine's own formats: WAV, MPEG audio and Ogg Vorbis files are decoded natively, so
// playing them never loads FFmpeg; variants of them the native decoders leave (compressed
// WAV, AIFF, more than two channels) and network streams go to the FFmpeg decoder, which
// is loaded the first time it is needed.
#include <array>

#include "bass.h"
#include "native_sources.h"

namespace lirra::engine {

OpenResult OpenCoreDecoder(const OpenRequest& request) {
  if (!IsNetworkAddress(request.path)) {
    for (const auto open : std::array{OpenWaveDecoder, OpenMpegDecoder, OpenVorbisDecoder}) {
      OpenResult opened = open(request);
      if (opened.decoder || opened.error != BASS_ERROR_FILEFORM) return opened;
    }
  }
  OpenRequest general = request;
  general.coreCodecsOnly = true;
  return OpenMediaDecoder(general);
}

}  // namespace lirra::engine
