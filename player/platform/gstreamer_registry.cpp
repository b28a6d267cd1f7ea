#include "gstreamer_registry.h"

#include <dlfcn.h>

#include <mutex>

namespace lirra {

namespace {

struct GStreamer {
  int (*initCheck)(int*, char***, void**) = nullptr;
  void* (*registryGet)() = nullptr;
  void* (*lookupFeature)(void*, const char*) = nullptr;
  void (*objectUnref)(void*) = nullptr;
  bool ready = false;
};

const GStreamer& Library() {
  static GStreamer gst;
  static std::once_flag once;
  std::call_once(once, [] {
    void* handle = dlopen("libgstreamer-1.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle) return;
    gst.initCheck = reinterpret_cast<decltype(gst.initCheck)>(dlsym(handle, "gst_init_check"));
    gst.registryGet = reinterpret_cast<decltype(gst.registryGet)>(dlsym(handle, "gst_registry_get"));
    gst.lookupFeature =
        reinterpret_cast<decltype(gst.lookupFeature)>(dlsym(handle, "gst_registry_lookup_feature"));
    gst.objectUnref = reinterpret_cast<decltype(gst.objectUnref)>(dlsym(handle, "gst_object_unref"));
    gst.ready = gst.initCheck && gst.registryGet && gst.lookupFeature && gst.objectUnref &&
                gst.initCheck(nullptr, nullptr, nullptr);
    // GStreamer stays loaded: it cannot be initialised twice in one process.
  });
  return gst;
}

}  // namespace

bool HasGStreamerElement(std::initializer_list<const char*> factoryNames) {
  const GStreamer& gst = Library();
  if (!gst.ready) return false;
  void* registry = gst.registryGet();
  for (const char* name : factoryNames) {
    if (void* feature = gst.lookupFeature(registry, name)) {
      gst.objectUnref(feature);
      return true;
    }
  }
  return false;
}

}  // namespace lirra
