// The calls the player makes into the sound engine, with their arguments named: starting
// the output, opening a local file (a tracker module or a stream), an address, freeing.
#pragma once

#include <QString>

#include <cstdint>

#include "engine_binding.h"

namespace lirra {

inline constexpr int kDefaultOutputDevice = 1;  // the sound server's default output
inline constexpr uintptr_t kNoWindow = 0;       // BASS_Init before there is a window
inline constexpr DWORD kOutputRate = 44100;
inline constexpr QWORD kWholeFileOffset = 0;    // from the start of the file…
inline constexpr QWORD kWholeFileLength = 0;    // …to its end
inline constexpr DWORD kNoFlags = 0;
inline constexpr HPLUGIN kAllPlugins = 0;       // BASS_PluginFree of every add-on
inline constexpr DWORD kDefaultModuleRate = 0;  // a module plays at the output rate
inline constexpr DWORD kModuleLoadFlags = BASS_MUSIC_PRESCAN | BASS_MUSIC_POSRESET | BASS_MUSIC_RAMPS;

// BASS_Init on the default output; `window` is handed on (the engine does not use it).
bool StartEngineOutput(const EngineFunctions& bass, uintptr_t window);
// A local file: BASS_MusicLoad for module types, else BASS_StreamCreateFile with `flags`.
uint32_t OpenEngineFile(const EngineFunctions& bass, const QString& path, DWORD flags = kNoFlags);
// An http(s) address as a stream.
uint32_t OpenEngineAddress(const EngineFunctions& bass, const QString& url);
// A cue track's section of its file: the channel is moved to `startSeconds` and ends at
// `endSeconds` (the engine plays no further; an engine without section ends plays on and
// the gauge ends the track).
void PlaceSection(const EngineFunctions& bass, uint32_t channel, int startSeconds, int endSeconds);
// Where a channel is in its stream, in seconds.
double ChannelPositionSeconds(const EngineFunctions& bass, uint32_t channel);
// Frees what OpenEngineFile opened for `path`.
void FreeEngineChannel(const EngineFunctions& bass, uint32_t channel, const QString& path);

}  // namespace lirra
