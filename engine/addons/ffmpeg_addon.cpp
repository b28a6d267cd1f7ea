// An engine add-on decoding its declared formats with FFmpeg (see bass_addon.h).
#include <string>

#include "addon_formats.h"
#include "bass_addon.h"
#include "decoder.h"

namespace lirra::addon {
namespace {

using engine::Decoder;

struct Stream {
  std::unique_ptr<Decoder> decoder;
  std::string tags;
};

bool Accepts(int codecId) {
  for (const CodecType& c : kCodecs)
    if (c.codec == codecId) return true;
  return false;
}

LirraAddonStream* Open(const char* path, int32_t outputRate, int32_t timeoutMs,
                       LirraAddonSourceInfo* info, int32_t* error) {
  engine::OpenRequest request{path ? path : "", outputRate, timeoutMs, Accepts};
  engine::OpenResult opened = engine::OpenMediaDecoder(request);
  if (!opened.decoder) {
    *error = opened.error;
    return nullptr;
  }
  const engine::SourceInfo& src = opened.decoder->info();
  info->rate = src.rate;
  info->channels = src.channels;
  info->bits = src.bits;
  info->ctype = kForms[0].ctype;
  for (const CodecType& c : kCodecs)
    if (c.codec == src.codecId) info->ctype = c.ctype;
  info->length_frames = src.lengthFrames;
  *error = BASS_OK;
  return reinterpret_cast<LirraAddonStream*>(new Stream{std::move(opened.decoder), {}});
}

Stream* Of(LirraAddonStream* s) { return reinterpret_cast<Stream*>(s); }

size_t Read(LirraAddonStream* s, float* out, size_t frames) {
  return Of(s)->decoder->read(out, frames);
}

int32_t Seek(LirraAddonStream* s, int64_t frame) { return Of(s)->decoder->seek(frame) ? 1 : 0; }

const char* Tags(LirraAddonStream* s) {
  Stream* stream = Of(s);
  stream->tags.clear();
  for (const std::string& tag : stream->decoder->tags()) {
    stream->tags += tag;
    stream->tags.push_back('\0');
  }
  stream->tags.push_back('\0');
  return stream->tags.c_str();
}

void Close(LirraAddonStream* s) { delete Of(s); }

const LirraEngineAddon kAddon = {
    LIRRA_ADDON_MAGIC,
    LIRRA_ADDON_VERSION,
    {0x02040000, static_cast<DWORD>(sizeof kForms / sizeof kForms[0]), kForms},
    Open,
    Read,
    Seek,
    Tags,
    Close,
};

}  // namespace
}  // namespace lirra::addon

extern "C" __attribute__((visibility("default"))) const LirraEngineAddon* lirra_engine_addon(void) {
  return &lirra::addon::kAddon;
}
