// Fake tag reader and video library: the names the player binds, with one definition
// missing in the *_incomplete variants. Only binding looks at them, and the video library
// answers as a file with or without a picture. (The visualisation host is fake_vis.cpp.)
#include <cstdint>
#include <string>

#define FAKE extern "C" __attribute__((visibility("default")))

#if defined(FAKE_TAGS)
#include "fake_tags.h"
static FakeTagsScript tags;
FAKE FakeTagsScript* FakeTags_Script() { return &tags; }
FAKE const char* TAGS_Read(uint32_t, const char* format) {
  const std::string field = format;
  return field == "%ARTI" ? tags.artist.c_str() : field == "%ALBM" ? tags.album.c_str() : tags.title.c_str();
}
#elif defined(FAKE_ORVANA)
static int32_t initCalls = 0;
FAKE int32_t Orvana_Init(uintptr_t, void*) { return ++initCalls, -1; }
FAKE void Orvana_Free() {}
// Media whose name says "audio", and MIDI files, have no picture.
static bool audioOnly = false;
FAKE int32_t Orvana_MediaLoad(int32_t, uintptr_t, const char* file, int32_t, void*) {
  const std::string name = file ? file : "";
  audioOnly = name.find("audio") != std::string::npos || name.ends_with(".mid");
  return 0;
}
FAKE int32_t Orvana_MediaState(int32_t) { return -1; }
FAKE int32_t Orvana_GetSeconds(int32_t kind) { return kind == 4 ? 42 : 0; }
FAKE void Orvana_SetPosition(double) {}
FAKE int32_t Orvana_SetWindowResize() { return -1; }
FAKE void Orvana_GetVideoInfo(int32_t* info) {
  info[0] = audioOnly ? 0 : 320, info[1] = audioOnly ? 0 : 240, info[2] = audioOnly ? 0 : 1;
}
#ifndef FAKE_INCOMPLETE
FAKE int32_t Orvana_StartFullScreen() { return -1; }
#endif
#endif
