#include "engine_binding.h"

namespace lirra {

const char* const kEngineEntryPoints[33] = {
    "BASS_SetConfig", "BASS_GetVersion", "BASS_ErrorGetCode", "BASS_Init", "BASS_Free",
    "BASS_PluginLoad", "BASS_PluginFree", "BASS_PluginGetInfo", "BASS_MusicLoad",
    "BASS_MusicFree", "BASS_StreamCreateFile", "BASS_StreamCreateURL", "BASS_StreamFree",
    "BASS_StreamGetFilePosition", "BASS_RecordInit", "BASS_RecordFree",
    "BASS_RecordGetInputName", "BASS_RecordSetInput", "BASS_RecordGetInput", "BASS_RecordStart",
    "BASS_ChannelBytes2Seconds", "BASS_ChannelSeconds2Bytes", "BASS_ChannelIsActive",
    "BASS_ChannelGetInfo", "BASS_ChannelGetTags", "BASS_ChannelPlay", "BASS_ChannelStop",
    "BASS_ChannelPause", "BASS_ChannelGetLength", "BASS_ChannelSetPosition",
    "BASS_ChannelGetPosition", "BASS_ChannelGetData", "BASS_ChannelSetSync"};

bool EngineBinding::bind(const std::string& path) {
  if (library_.bound()) return true;
  if (!library_.bind(path, kEngineEntryPoints)) return false;
  size_t i = 0;
  const auto next = [&](auto& slot) {
    slot = library_.function<std::remove_reference_t<decltype(slot)>>(i++);
  };
  EngineFunctions& f = fn_;
  next(f.SetConfig), next(f.GetVersion), next(f.ErrorGetCode), next(f.Init), next(f.Free);
  next(f.PluginLoad), next(f.PluginFree), next(f.PluginGetInfo), next(f.MusicLoad);
  next(f.MusicFree), next(f.StreamCreateFile), next(f.StreamCreateURL), next(f.StreamFree);
  next(f.StreamGetFilePosition), next(f.RecordInit), next(f.RecordFree);
  next(f.RecordGetInputName), next(f.RecordSetInput), next(f.RecordGetInput), next(f.RecordStart);
  next(f.ChannelBytes2Seconds), next(f.ChannelSeconds2Bytes), next(f.ChannelIsActive);
  next(f.ChannelGetInfo), next(f.ChannelGetTags), next(f.ChannelPlay), next(f.ChannelStop);
  next(f.ChannelPause), next(f.ChannelGetLength), next(f.ChannelSetPosition);
  next(f.ChannelGetPosition), next(f.ChannelGetData), next(f.ChannelSetSync);
  return true;
}

void EngineBinding::unbind() {
  if (library_.bound()) fn_.Free();
  library_.unbind();
  fn_ = {};
}

}  // namespace lirra
