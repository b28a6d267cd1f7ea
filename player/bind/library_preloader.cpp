#include "library_preloader.h"

#include <dlfcn.h>

namespace lirra {

LibraryPreloader::LibraryPreloader(std::vector<std::string> paths, std::function<void()> first)
    : paths_(std::move(paths)), first_(std::move(first)), thread_([this] {
        if (first_) first_();
        for (const std::string& path : paths_)
          if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) handles_.push_back(handle);
      }) {}

LibraryPreloader::~LibraryPreloader() {
  thread_.join();
  for (void* handle : handles_) dlclose(handle);
}

}  // namespace lirra
