#include "library_preloader.h"

#include <dlfcn.h>

namespace lirra {

LibraryPreloader::LibraryPreloader(std::vector<std::string> paths)
    : paths_(std::move(paths)), thread_([this] {
        for (const std::string& path : paths_)
          if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) handles_.push_back(handle);
      }) {}

LibraryPreloader::~LibraryPreloader() {
  thread_.join();
  for (void* handle : handles_) dlclose(handle);
}

}  // namespace lirra
