// A fake visualisation host for the player's logic tests: the 14 entry points with the
// host's signatures, scripted answers and a record of the calls.
#include "fake_vis.h"

#include "bassvis.h"

#include <cstdio>

#define FAKE extern "C" __attribute__((visibility("default")))

namespace {
FakeVisScript script;
int pollsLeft = 0;
}  // namespace

FAKE FakeVisScript* FakeVis_Script() { return &script; }

namespace {
std::string Hex(uintptr_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "%#zx", static_cast<size_t>(v));
  return text;
}
}  // namespace

FAKE int32_t BASSVIS_Init(int32_t kind, uintptr_t application, uintptr_t main) {
  script.calls.push_back("Init " + std::to_string(kind) + " " + Hex(application) + " " + Hex(main));
  return 1;
}
FAKE const char* BASSVIS_FindPlugins(int32_t, const char*) { return ""; }
FAKE int32_t BASSVIS_ExecutePlugin(BASSVIS_EXEC* exec, BASSVIS_PARAM* param) {
  script.calls.push_back(std::string("Execute ") + exec->path + " " + std::to_string(exec->module) + " " +
                         std::to_string(exec->window) + " " + std::to_string(exec->reserved));
  param->plugin = script.pluginHandle;
  param->window = script.pluginHandle ? script.pluginWindow : 0;
  return script.pluginHandle != 0;
}
FAKE int32_t BASSVIS_RenderChannel(BASSVIS_PARAM*, uint32_t channel) {
  script.calls.push_back("RenderChannel " + std::to_string(channel));
  return 1;
}
FAKE int32_t BASSVIS_StartRecord(BASSVIS_PARAM*, uint32_t) { return 1; }
FAKE int32_t BASSVIS_SetInfo(BASSVIS_PARAM*, const BASSVIS_INFO* info) {
  script.calls.push_back(std::string("SetInfo ") + info->title);
  return 1;
}
FAKE int32_t BASSVIS_Resize(const BASSVIS_RESIZE* r, int32_t x, int32_t y, int32_t w, int32_t h) {
  script.calls.push_back("Resize " + Hex(r->container) + " fit " + std::to_string(r->fit) + " at " + std::to_string(x) +
                         "," + std::to_string(y) + " " + std::to_string(w) + "x" + std::to_string(h));
  return 1;
}
FAKE int32_t BASSVIS_SetFullscreen(BASSVIS_PARAM*, int32_t) { return 1; }
FAKE int32_t BASSVIS_SetOption(int32_t, int32_t) { return 1; }
FAKE int32_t BASSVIS_SetPlayState(BASSVIS_PARAM*, int32_t state, int32_t a, int32_t b) {
  script.calls.push_back("SetPlayState " + std::to_string(state) + " " + std::to_string(a) + " " + std::to_string(b));
  return 1;
}
FAKE int32_t BASSVIS_SetVisPort(BASSVIS_PARAM*, uintptr_t window, uintptr_t container, int32_t x, int32_t y, int32_t w,
                                int32_t h) {
  script.calls.push_back("SetVisPort " + Hex(window) + " in " + Hex(container) + " at " + std::to_string(x) + "," +
                         std::to_string(y) + " " + std::to_string(w) + "x" + std::to_string(h));
  return 1;
}
FAKE int32_t BASSVIS_IsFree(BASSVIS_PARAM*) {
  script.calls.push_back("IsFree");
  return pollsLeft-- <= 0;
}
FAKE int32_t BASSVIS_Free(BASSVIS_PARAM*) { return 1; }
FAKE int32_t BASSVIS_Quit(BASSVIS_PARAM*) {
  script.calls.push_back("Quit");
  pollsLeft = script.busyPolls;
  return 1;
}
