// What each FFmpeg-backed add-on declares and decodes. One add-on is compiled per
// LIRRA_ADDON_* definition from ffmpeg_addon.cpp.
#pragma once

extern "C" {
#include <libavcodec/codec_id.h>
}

#include "bass.h"

namespace lirra::addon {

struct CodecType {
  AVCodecID codec;
  DWORD ctype;
};

#define LIRRA_FORMS(...) static const BASS_PLUGINFORM kForms[] = {__VA_ARGS__};
#define LIRRA_CODECS(...) static const CodecType kCodecs[] = {__VA_ARGS__};

#if defined(LIRRA_ADDON_WMA)
LIRRA_FORMS({0x10300, "Windows Media Audio", "*.wma;*.asf"})
LIRRA_CODECS({AV_CODEC_ID_WMAV1, 0x10300}, {AV_CODEC_ID_WMAV2, 0x10300},
             {AV_CODEC_ID_WMAPRO, 0x10300}, {AV_CODEC_ID_WMALOSSLESS, 0x10300},
             {AV_CODEC_ID_WMAVOICE, 0x10300})
#elif defined(LIRRA_ADDON_APE)
LIRRA_FORMS({0x10700, "Monkey's Audio", "*.ape;*.apl"})
LIRRA_CODECS({AV_CODEC_ID_APE, 0x10700})
#elif defined(LIRRA_ADDON_AAC)
LIRRA_FORMS({0x10b00, "Advanced Audio Coding", "*.aac;*.adts"},
            {0x10b01, "MPEG-4 Audio", "*.m4a;*.mp4;*.m4b"})
LIRRA_CODECS({AV_CODEC_ID_AAC, 0x10b00}, {AV_CODEC_ID_ALAC, 0x10b01})
#elif defined(LIRRA_ADDON_MPC)
LIRRA_FORMS({0x10a00, "Musepack", "*.mpc;*.mpp;*.mp+"})
LIRRA_CODECS({AV_CODEC_ID_MUSEPACK7, 0x10a00}, {AV_CODEC_ID_MUSEPACK8, 0x10a00})
#elif defined(LIRRA_ADDON_TTA)
LIRRA_FORMS({0x10f00, "The True Audio", "*.tta"})
LIRRA_CODECS({AV_CODEC_ID_TTA, 0x10f00})
#elif defined(LIRRA_ADDON_AC3)
LIRRA_FORMS({0x11000, "Dolby Digital AC-3", "*.ac3"})
LIRRA_CODECS({AV_CODEC_ID_AC3, 0x11000}, {AV_CODEC_ID_EAC3, 0x11000})
#elif defined(LIRRA_ADDON_FLAC)
LIRRA_FORMS({0x10900, "FLAC", "*.flac"}, {0x10901, "Ogg FLAC", "*.oga"})
LIRRA_CODECS({AV_CODEC_ID_FLAC, 0x10900})
#elif defined(LIRRA_ADDON_OPUS)
LIRRA_FORMS({0x11200, "Opus", "*.opus"})
LIRRA_CODECS({AV_CODEC_ID_OPUS, 0x11200})
#elif defined(LIRRA_ADDON_WV)
LIRRA_FORMS({0x10500, "WavPack", "*.wv"})
LIRRA_CODECS({AV_CODEC_ID_WAVPACK, 0x10500})
#else
#error "define one LIRRA_ADDON_* to choose the add-on"
#endif

}  // namespace lirra::addon
