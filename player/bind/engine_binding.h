// The sound engine (libbass.so) bound by name: the 33 entry points the player resolves, in
// their resolution order, as a typed table.
#pragma once

#include <string>
#include <utility>

#include "bass.h"
#include "bound_library.h"

namespace lirra {

struct EngineFunctions {
  decltype(&BASS_SetConfig) SetConfig;
  decltype(&BASS_GetVersion) GetVersion;
  decltype(&BASS_ErrorGetCode) ErrorGetCode;
  decltype(&BASS_Init) Init;
  decltype(&BASS_Free) Free;
  decltype(&BASS_PluginLoad) PluginLoad;
  decltype(&BASS_PluginFree) PluginFree;
  decltype(&BASS_PluginGetInfo) PluginGetInfo;
  decltype(&BASS_MusicLoad) MusicLoad;
  decltype(&BASS_MusicFree) MusicFree;
  decltype(&BASS_StreamCreateFile) StreamCreateFile;
  decltype(&BASS_StreamCreateURL) StreamCreateURL;
  decltype(&BASS_StreamFree) StreamFree;
  decltype(&BASS_StreamGetFilePosition) StreamGetFilePosition;
  decltype(&BASS_RecordInit) RecordInit;
  decltype(&BASS_RecordFree) RecordFree;
  decltype(&BASS_RecordGetInputName) RecordGetInputName;
  decltype(&BASS_RecordSetInput) RecordSetInput;
  decltype(&BASS_RecordGetInput) RecordGetInput;
  decltype(&BASS_RecordStart) RecordStart;
  decltype(&BASS_ChannelBytes2Seconds) ChannelBytes2Seconds;
  decltype(&BASS_ChannelSeconds2Bytes) ChannelSeconds2Bytes;
  decltype(&BASS_ChannelIsActive) ChannelIsActive;
  decltype(&BASS_ChannelGetInfo) ChannelGetInfo;
  decltype(&BASS_ChannelGetTags) ChannelGetTags;
  decltype(&BASS_ChannelPlay) ChannelPlay;
  decltype(&BASS_ChannelStop) ChannelStop;
  decltype(&BASS_ChannelPause) ChannelPause;
  decltype(&BASS_ChannelGetLength) ChannelGetLength;
  decltype(&BASS_ChannelSetPosition) ChannelSetPosition;
  decltype(&BASS_ChannelGetPosition) ChannelGetPosition;
  decltype(&BASS_ChannelGetData) ChannelGetData;
  decltype(&BASS_ChannelSetSync) ChannelSetSync;
};

class EngineBinding {
 public:
  EngineBinding() = default;
  ~EngineBinding() { unbind(); }
  EngineBinding(EngineBinding&& other) noexcept
      : library_(std::move(other.library_)), fn_(std::exchange(other.fn_, {})) {}
  EngineBinding& operator=(EngineBinding&& other) noexcept {
    if (this != &other) {
      unbind();
      library_ = std::move(other.library_);
      fn_ = std::exchange(other.fn_, {});
    }
    return *this;
  }
  // BindEngine: all 33 names or nothing; true at once when already bound.
  bool bind(const std::string& path);
  // UnbindEngine: BASS_Free (when bound), then unload.
  void unbind();
  bool bound() const { return library_.bound(); }
  const EngineFunctions& operator*() const { return fn_; }
  const EngineFunctions* operator->() const { return &fn_; }
  const BoundLibrary& library() const { return library_; }

 private:
  BoundLibrary library_;
  EngineFunctions fn_{};
};

// The entry points in resolution order.
extern const char* const kEngineEntryPoints[33];

}  // namespace lirra
