// A fake sound engine for the player's logic tests: the 33 entry points with scripted
// answers and a record of the calls. Built once complete, once without
// BASS_ChannelSetSync, and once with the optional BASS_ChannelJoin.
#include <algorithm>
#include <cstring>

#include "bass.h"
#include "fake_bass.h"

namespace {
FakeBassScript script;
int lastError = 0;

uint32_t Open(const char* path, bool decodeOnly) {
  std::strncpy(script.lastPath, path ? path : "", sizeof script.lastPath - 1);
  if (decodeOnly) ++script.decodeOnlyOpens;
  if (script.openError) {
    lastError = script.openError;
    return 0;
  }
  return script.nextHandle++;
}
}  // namespace

#define FAKE extern "C" __attribute__((visibility("default")))

FAKE FakeBassScript* FakeBass_Script() { return &script; }

FAKE BOOL BASS_SetConfig(DWORD, DWORD) { return TRUE; }
FAKE DWORD BASS_GetVersion(void) { return 0x02040000; }
FAKE int BASS_ErrorGetCode(void) { return lastError; }
FAKE BOOL BASS_Init(int, DWORD, DWORD, HWND_T, const void*) {
  ++script.initCalls;
  return script.initResult;
}
FAKE BOOL BASS_Free(void) {
  ++script.freeCalls;
  return TRUE;
}
FAKE HPLUGIN BASS_PluginLoad(const char*, DWORD) {
  ++script.pluginLoads;
  return 0;
}
FAKE BOOL BASS_PluginFree(HPLUGIN) { return TRUE; }
FAKE const BASS_PLUGININFO* BASS_PluginGetInfo(HPLUGIN) { return nullptr; }
FAKE HMUSIC BASS_MusicLoad(BOOL, const void* file, QWORD, DWORD, DWORD, DWORD) {
  ++script.musicLoads;
  return Open(static_cast<const char*>(file), false);
}
FAKE BOOL BASS_MusicFree(HMUSIC) { return TRUE; }
FAKE HSTREAM BASS_StreamCreateFile(BOOL, const void* file, QWORD, QWORD, DWORD flags) {
  ++script.streamOpens;
  return Open(static_cast<const char*>(file), (flags & BASS_STREAM_DECODE) != 0);
}
FAKE HSTREAM BASS_StreamCreateURL(const char* url, DWORD, DWORD, DOWNLOADPROC*, void*) {
  ++script.urlOpens;
  return Open(url, false);
}
FAKE BOOL BASS_StreamFree(HSTREAM h) {
  ++script.streamFrees;
  script.lastFreed = h;
  script.freed[(script.streamFrees - 1) % 16] = h;
  return TRUE;
}
FAKE QWORD BASS_StreamGetFilePosition(HSTREAM, DWORD) { return 0; }
FAKE BOOL BASS_RecordInit(int) { return script.recordInitResult; }
FAKE BOOL BASS_RecordFree(void) {
  ++script.recordFrees;
  return TRUE;
}
FAKE const char* BASS_RecordGetInputName(int input) {
  return input >= 0 && input < 4 ? script.inputNames[input] : nullptr;
}
FAKE BOOL BASS_RecordSetInput(int input, DWORD flags, float) {
  if (flags & 0x20000) script.lastInputOn = input;
  return TRUE;
}
FAKE DWORD BASS_RecordGetInput(int input, float*) {
  return input >= 0 && input < 4 && script.inputNames[input] ? script.inputFlags[input] : 0xFFFFFFFFu;
}
FAKE HRECORD BASS_RecordStart(DWORD, DWORD, DWORD, RECORDPROC*, void*) {
  ++script.recordStarts;
  return script.recordHandle;
}
FAKE double BASS_ChannelBytes2Seconds(DWORD, QWORD pos) { return static_cast<double>(pos) / 176400.0; }
FAKE QWORD BASS_ChannelSeconds2Bytes(DWORD, double pos) {
  return static_cast<QWORD>(pos * 44100) * 4;
}
FAKE DWORD BASS_ChannelIsActive(DWORD h) { return h == script.stoppedHandle ? 0 : script.activeState; }
FAKE BOOL BASS_ChannelGetInfo(DWORD, BASS_CHANNELINFO*) { return FALSE; }
FAKE const char* BASS_ChannelGetTags(DWORD, DWORD) { return nullptr; }
FAKE BOOL BASS_ChannelPlay(DWORD, BOOL) {
  ++script.plays;
  return script.playResult;
}
FAKE BOOL BASS_ChannelStop(DWORD) {
  ++script.stops;
  return TRUE;
}
FAKE BOOL BASS_ChannelPause(DWORD) { return TRUE; }
FAKE QWORD BASS_ChannelGetLength(DWORD, DWORD) { return script.lengthBytes; }
FAKE BOOL BASS_ChannelSetPosition(DWORD, QWORD pos, DWORD mode) {
  (mode == BASS_POS_END ? script.endBytes : script.positionBytes) = pos;
  return TRUE;
}
FAKE QWORD BASS_ChannelGetPosition(DWORD, DWORD) { return script.positionBytes; }
FAKE DWORD BASS_ChannelGetData(DWORD, void* buffer, DWORD length) {
  ++script.dataRequests;
  if (script.fftBin10 < 0 || length != BASS_DATA_FFT1024) return 0xFFFFFFFFu;
  float* bins = static_cast<float*>(buffer);
  std::fill(bins, bins + 512, 0.0f);
  bins[10] = script.fftBin10;
  return 512 * sizeof(float);
}
#ifndef FAKE_WITHOUT_SETSYNC
FAKE HSYNC BASS_ChannelSetSync(DWORD, DWORD, QWORD, SYNCPROC*, void*) { return 1; }
#endif
#ifdef FAKE_WITH_JOIN
FAKE BOOL BASS_ChannelJoin(DWORD h, DWORD next) {
  ++script.joins;
  script.joinedTo = h;
  script.joinedNext = next;
  return script.joinResult;
}
#endif
