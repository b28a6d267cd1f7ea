#include "optional_bindings.h"

namespace lirra {

namespace {
const char* const kTagReaderEntryPoints[1] = {"TAGS_Read"};
}

const char* const kVisHostEntryPoints[14] = {
    "BASSVIS_Init",      "BASSVIS_FindPlugins", "BASSVIS_ExecutePlugin", "BASSVIS_RenderChannel",
    "BASSVIS_StartRecord", "BASSVIS_SetInfo",   "BASSVIS_Resize",        "BASSVIS_SetFullscreen",
    "BASSVIS_SetOption", "BASSVIS_SetPlayState", "BASSVIS_SetVisPort",   "BASSVIS_IsFree",
    "BASSVIS_Free",      "BASSVIS_Quit"};

const char* const kVideoLibraryEntryPoints[9] = {
    "Orvana_Init",       "Orvana_Free",           "Orvana_MediaLoad",
    "Orvana_MediaState", "Orvana_GetSeconds",     "Orvana_SetPosition",
    "Orvana_SetWindowResize", "Orvana_GetVideoInfo", "Orvana_StartFullScreen"};

bool TagReaderBinding::bind(const std::string& path) {
  if (library_.bound()) return true;
  if (!library_.bind(path, kTagReaderEntryPoints)) return false;
  Read = library_.function<decltype(Read)>(0);
  return true;
}

bool VisHostBinding::bind(const std::string& path) {
  return library_.bind(path, kVisHostEntryPoints);
}

bool VideoLibraryBinding::bind(const std::string& path) {
  if (library_.bound()) return true;
  if (!library_.bind(path, kVideoLibraryEntryPoints)) return false;
  Init = library_.function<decltype(Init)>(0);
  Free = library_.function<decltype(Free)>(1);
  MediaLoad = library_.function<decltype(MediaLoad)>(2);
  MediaState = library_.function<decltype(MediaState)>(3);
  GetSeconds = library_.function<decltype(GetSeconds)>(4);
  SetPosition = library_.function<decltype(SetPosition)>(5);
  SetWindowResize = library_.function<decltype(SetWindowResize)>(6);
  GetVideoInfo = library_.function<decltype(GetVideoInfo)>(7);
  StartFullScreen = library_.function<decltype(StartFullScreen)>(8);
  return true;
}

}  // namespace lirra
