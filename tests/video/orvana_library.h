// liborvana.so bound by name, as the player and any host bind it.
#pragma once

#include <dlfcn.h>

#include "orvana.h"

namespace orvana_host {

// The exports a host uses, bound by name from the library at `path`.
struct OrvanaLibrary {
#define ORVANA_FN(name) decltype(&::name) name = nullptr;
#define ORVANA_ALL(X)                                                                            \
  X(Orvana_Init) X(Orvana_Free) X(Orvana_MediaLoad) X(Orvana_MediaState) X(Orvana_SetVolume)     \
  X(Orvana_GetVolume) X(Orvana_SetBalance) X(Orvana_GetBalance) X(Orvana_IsActive)              \
  X(Orvana_GetTime) X(Orvana_GetSeconds) X(Orvana_SetPosition) X(Orvana_Mute)                   \
  X(Orvana_SetWindowResize) X(Orvana_GetVideoInfo) X(Orvana_SetVideoWindow)                     \
  X(Orvana_CaptureBitmap) X(Orvana_BitmapHandle) X(Orvana_SetChannel) X(Orvana_SetConfig)       \
  X(Orvana_GraphMode) X(Orvana_SetMsgBoxTextLang) X(Orvana_SetStartStopPosition)                \
  X(Orvana_FastForward) X(Orvana_SetDigitalZoom) X(Orvana_CDROM_State) X(Orvana_SetVideoEffects) \
  X(Orvana_RepaintVideo) X(Orvana_StartFullScreen) X(Orvana_SetRate) X(Orvana_FastBack) \
  X(Orvana_StepOneFrame) X(Orvana_SetMpegAudioChannel) X(Orvana_GetEventCode)                \
  X(Orvana_GetMediaInfo) X(Orvana_EnumFilter) X(Orvana_HasFilterPropertyPage)                   \
  X(Orvana_ShowFilterPropertyPage) X(Orvana_ViewRenderLog) X(Orvana_LoadFromFileToGraphEdit)    \
  X(Orvana_ShowAboutBox) X(Orvana_Capture_EnumVideoDevice) X(Orvana_Capture_OpenVideoDevice)     \
  X(Orvana_DVD_TitleMenu) X(Orvana_DVD_RootMenu) X(Orvana_DVD_PrevChapter) X(Orvana_DVD_NextChapter) \
  X(Orvana_DVD_ReplayChapter) X(Orvana_DVD_Resume) X(Orvana_DVD_Forwards) X(Orvana_DVD_Backwards)   \
  X(Orvana_DVD_SetTitle) X(Orvana_DVD_SetChapter) X(Orvana_DVD_SetAngle) X(Orvana_DVD_ModifyRate)   \
  X(Orvana_DVD_SaveBookmark) X(Orvana_DVD_RestoreBookmark) X(Orvana_DVD_SetPresentationMode)       \
  X(Orvana_DVD_ToggleCaptioning)
  ORVANA_ALL(ORVANA_FN)
  void* handle = nullptr;

  bool bind(const char* path) {
    handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return false;
#define ORVANA_BIND(name) name = reinterpret_cast<decltype(name)>(dlsym(handle, #name)); if (!name) return false;
    ORVANA_ALL(ORVANA_BIND)
    return true;
  }
};

}  // namespace orvana_host
