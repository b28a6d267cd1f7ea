// The script and record of the fake visualisation host (libfake_vis.so): tests reach it
// through the exported FakeVis_Script() after loading the library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FakeVisScript {
  // What the fake answers.
  uint32_t pluginHandle = 7;   // 0: every start fails
  uintptr_t pluginWindow = 0x4400;
  int32_t busyPolls = 2;       // IsFree answers 0 this many times after a Quit
  // What the fake saw, one line per call: "Init 1 <application> <main>", "Execute <path>
  // <module> <window> <reserved>", "SetPlayState 1 -1 0", "SetVisPort <window> in <container>
  // at <x>,<y> <w>x<h>", "RenderChannel <n>", "SetInfo <title>", "Resize <container> fit <fit>
  // at <x>,<y> <w>x<h>", "Quit", "IsFree" (handles in hexadecimal).
  std::vector<std::string> calls;
};
