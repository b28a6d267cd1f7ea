#include "engine_calls.h"

#include "track_kind.h"

namespace lirra {

bool StartEngineOutput(const EngineFunctions& bass, uintptr_t window) {
  return bass.Init(kDefaultOutputDevice, kOutputRate, kNoFlags, window, nullptr);
}

uint32_t OpenEngineFile(const EngineFunctions& bass, const QString& path, DWORD flags) {
  const QByteArray name = path.toUtf8();
  if (IsModule(path))
    return bass.MusicLoad(FALSE, name.constData(), kWholeFileOffset, kWholeFileLength, kModuleLoadFlags | flags,
                          kDefaultModuleRate);
  return bass.StreamCreateFile(FALSE, name.constData(), kWholeFileOffset, kWholeFileLength, flags);
}

uint32_t OpenEngineAddress(const EngineFunctions& bass, const QString& url) {
  const QByteArray name = url.toUtf8();
  return bass.StreamCreateURL(name.constData(), kNoFlags, kNoFlags, nullptr, nullptr);
}

void FreeEngineChannel(const EngineFunctions& bass, uint32_t channel, const QString& path) {
  if (IsModule(path))
    bass.MusicFree(channel);
  else
    bass.StreamFree(channel);
}

void PlaceSection(const EngineFunctions& bass, uint32_t channel, int startSeconds, int endSeconds) {
  if (startSeconds > 0)
    bass.ChannelSetPosition(channel, bass.ChannelSeconds2Bytes(channel, startSeconds), BASS_POS_BYTE);
  bass.ChannelSetPosition(channel, bass.ChannelSeconds2Bytes(channel, endSeconds), BASS_POS_END);
}

double ChannelPositionSeconds(const EngineFunctions& bass, uint32_t channel) {
  return bass.ChannelBytes2Seconds(channel, bass.ChannelGetPosition(channel, BASS_POS_BYTE));
}

}  // namespace lirra
