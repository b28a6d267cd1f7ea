// Loads shared libraries on a background thread while the program starts its window, so
// that binding them by name later finds them in memory. Binding itself (and everything it
// decides) still happens in its usual place; this only warms the loader up.
#pragma once

#include <string>
#include <thread>
#include <vector>

namespace lirra {

class LibraryPreloader {
 public:
  explicit LibraryPreloader(std::vector<std::string> paths);
  // Waits for the loads and drops the preloader's references: a library nobody bound
  // meanwhile is unloaded again.
  ~LibraryPreloader();
  LibraryPreloader(const LibraryPreloader&) = delete;
  LibraryPreloader& operator=(const LibraryPreloader&) = delete;

 private:
  std::vector<std::string> paths_;
  std::vector<void*> handles_;
  std::thread thread_;
};

}  // namespace lirra
