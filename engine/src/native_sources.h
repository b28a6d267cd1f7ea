// The formats the engine decodes without FFmpeg. OpenCoreDecoder hands each opener only
// files that start as its kind; an opener returns BASS_ERROR_FILEFORM for a variant it
// leaves to the general decoder and BASS_ERROR_FILEOPEN for a file it cannot read.
#pragma once

#include "decoder.h"
#include "pcm_source.h"

namespace lirra::engine {

OpenResult OpenWaveDecoder(const OpenRequest& request);
OpenResult OpenMpegDecoder(const OpenRequest& request);
OpenResult OpenVorbisDecoder(const OpenRequest& request);

}  // namespace lirra::engine
