// The script and the record of the fake engine library (libfake_bass.so): tests reach it
// through the exported FakeBass_Script() after loading the library.
#pragma once

#include <cstdint>

struct FakeBassScript {
  // What the fake answers.
  int32_t initResult = 1;        // BASS_Init
  uint32_t nextHandle = 100;     // handle of the next stream or module opened
  int32_t openError = 0;         // non-zero: opens fail with this error code
  int32_t playResult = 1;        // BASS_ChannelPlay
  uint64_t lengthBytes = 176400 * 10;  // 10 s of 44.1 kHz stereo 16-bit
  uint64_t positionBytes = 0;
  uint32_t activeState = 1;      // BASS_ChannelIsActive
  uint32_t stoppedHandle = 0;    // this channel reports stopped whatever activeState says
  int32_t joinResult = 1;        // BASS_ChannelJoin (built into libfake_bass_joining.so only)
  float fftBin10 = -1.0f;        // >= 0: FFT requests answer silence but this in bin 10
  int32_t recordInitResult = 1;  // BASS_RecordInit
  const char* inputNames[4] = {};  // the recording inputs, up to the first null
  uint32_t inputFlags[4] = {};
  uint32_t recordHandle = 900;
  // What the fake saw.
  int32_t initCalls = 0;
  int32_t freeCalls = 0;
  int32_t streamOpens = 0;
  int32_t musicLoads = 0;
  int32_t urlOpens = 0;
  int32_t decodeOnlyOpens = 0;
  int32_t plays = 0;
  int32_t stops = 0;
  int32_t streamFrees = 0;
  uint32_t lastFreed = 0;
  uint32_t freed[16] = {};       // every channel freed, by streamFrees modulo 16
  uint64_t endBytes = 0;         // the last BASS_POS_END set
  int32_t joins = 0;
  uint32_t joinedTo = 0;         // the last join: the channel playing…
  uint32_t joinedNext = 0;       // …and the one to follow it
  int32_t pluginLoads = 0;
  int32_t dataRequests = 0;
  int32_t lastInputOn = -1;      // the input BASS_RecordSetInput last switched on
  int32_t recordStarts = 0;
  int32_t recordFrees = 0;
  char lastPath[512] = {};
};

using FakeBassScriptFn = FakeBassScript* (*)();
