// libbass_vis.so: the exported BASSVIS_* calls over the plug-in runners. One plug-in runs
// at a time (the player shows one in its visual area); handles count up from 1. The engine
// whose channels are rendered is the libbass.so beside this library, once the player has
// loaded it. No exception leaves an export.
#include <dlfcn.h>

#include <dirent.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "bassvis.h"
#include "plugin_runner.h"

#define BASSVIS_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using lirra::vis::ChannelDataFn;
using lirra::vis::PluginRunner;

struct Host {
  std::mutex mutex;
  std::map<uint32_t, std::unique_ptr<PluginRunner>> plugins;
  uint32_t nextHandle = 1;
  std::string found;  // FindPlugins' answer
};

Host& TheHost() {
  static Host host;
  return host;
}

// BASS_ChannelGetData of the engine beside this library, when the player loaded it.
ChannelDataFn EngineData() {
  Dl_info self{};
  if (!dladdr(reinterpret_cast<void*>(&EngineData), &self) || !self.dli_fname) return nullptr;
  std::string path = self.dli_fname;
  path = path.substr(0, path.rfind('/') + 1) + "libbass.so";
  void* engine = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!engine) return nullptr;
  auto fn = reinterpret_cast<ChannelDataFn>(dlsym(engine, "BASS_ChannelGetData"));
  dlclose(engine);  // still loaded by the player
  return fn;
}

PluginRunner* Find(const BASSVIS_PARAM* param) {
  if (!param) return nullptr;
  auto it = TheHost().plugins.find(param->plugin);
  return it == TheHost().plugins.end() ? nullptr : it->second.get();
}

template <typename F>
int32_t Guarded(F&& f) {
  try {
    std::lock_guard lock(TheHost().mutex);
    return f();
  } catch (...) {
    return 0;
  }
}

}  // namespace

BASSVIS_EXPORT int32_t BASSVIS_Init(int32_t kind, uintptr_t, uintptr_t) { return kind == BASSVIS_KIND_MODULE; }

BASSVIS_EXPORT const char* BASSVIS_FindPlugins(int32_t, const char* folder) {
  Host& host = TheHost();
  std::lock_guard lock(host.mutex);
  host.found.clear();
  if (DIR* dir = folder ? opendir(folder) : nullptr) {
    while (const dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name.rfind("vis_", 0) == 0 && name.size() > 7 && name.compare(name.size() - 3, 3, ".so") == 0)
        host.found += (host.found.empty() ? "" : "|") + name;
    }
    closedir(dir);
  }
  return host.found.c_str();
}

BASSVIS_EXPORT int32_t BASSVIS_ExecutePlugin(BASSVIS_EXEC* exec, BASSVIS_PARAM* param) {
  if (!param) return 0;
  param->plugin = 0;
  param->window = 0;
  if (!exec || !exec->path) return 0;
  return Guarded([&] {
    std::string error;
    auto runner = PluginRunner::Start(exec->path, EngineData(), &error);
    if (!runner) return 0;  // a start that fails is silent: the player falls back
    Host& host = TheHost();
    const uint32_t handle = host.nextHandle++;
    param->window = runner->window();
    host.plugins[handle] = std::move(runner);
    param->plugin = handle;
    return 1;
  });
}

BASSVIS_EXPORT int32_t BASSVIS_RenderChannel(BASSVIS_PARAM* param, uint32_t channel) {
  return Guarded([&] {
    PluginRunner* r = Find(param);
    if (r) r->setChannel(channel);
    return r != nullptr;
  });
}

BASSVIS_EXPORT int32_t BASSVIS_StartRecord(BASSVIS_PARAM* param, uint32_t recordChannel) {
  return BASSVIS_RenderChannel(param, recordChannel);
}

BASSVIS_EXPORT int32_t BASSVIS_SetInfo(BASSVIS_PARAM* param, const BASSVIS_INFO* info) {
  return Guarded([&] {
    PluginRunner* r = Find(param);
    if (r && info && info->title) r->setTitle(info->title);
    return r != nullptr;
  });
}

BASSVIS_EXPORT int32_t BASSVIS_Resize(const BASSVIS_RESIZE* resize, int32_t, int32_t, int32_t width, int32_t height) {
  if (!resize) return 0;
  return Guarded([&] {
    for (auto& [handle, runner] : TheHost().plugins) runner->resize(width, height);
    return 1;
  });
}

BASSVIS_EXPORT int32_t BASSVIS_SetFullscreen(BASSVIS_PARAM*, int32_t) { return 0; }  // shown in the player only
BASSVIS_EXPORT int32_t BASSVIS_SetOption(int32_t, int32_t) { return 1; }
BASSVIS_EXPORT int32_t BASSVIS_SetPlayState(BASSVIS_PARAM* param, int32_t, int32_t, int32_t) {
  return Guarded([&] { return Find(param) != nullptr; });
}

BASSVIS_EXPORT int32_t BASSVIS_SetVisPort(BASSVIS_PARAM* param, uintptr_t, uintptr_t container, int32_t left,
                                          int32_t top, int32_t width, int32_t height) {
  return Guarded([&] {
    PluginRunner* r = Find(param);
    if (!r || !container) return 0;
    r->placeIn(static_cast<uint32_t>(container), left, top, width, height);
    return 1;
  });
}

BASSVIS_EXPORT int32_t BASSVIS_Quit(BASSVIS_PARAM* param) {
  return Guarded([&] {
    PluginRunner* r = Find(param);
    if (r) r->requestQuit();
    return r != nullptr;
  });
}

// Free once the plug-in's thread has ended; its runner is then released.
BASSVIS_EXPORT int32_t BASSVIS_IsFree(BASSVIS_PARAM* param) {
  return Guarded([&] {
    PluginRunner* r = Find(param);
    if (!r) return 1;
    if (!r->finished()) return 0;
    TheHost().plugins.erase(param->plugin);
    return 1;
  });
}

BASSVIS_EXPORT int32_t BASSVIS_Free(BASSVIS_PARAM* param) {
  return Guarded([&] {
    if (param) TheHost().plugins.erase(param->plugin);  // the runner ends its plug-in
    return 1;
  });
}
