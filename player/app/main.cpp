// Program entry of the Lirra player. It links no widget library: the window and Qt's
// widgets live in liblirra_window.so, loaded once the instance lock and the display check
// passed and a file named on the command line has begun to play, so that the sound does
// not wait for the widget libraries to load.
#include <dlfcn.h>
#include <malloc.h>

#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "display.h"
#include "early_start.h"
#include "engine_binding.h"
#include "instance_lock.h"
#include "library_preloader.h"
#include "window_main.h"

namespace lirra {
// The decoders' and the MIDI synthesizer's threads would each take a malloc arena of their
// own, and what they free stays scattered over them: 500 video, sound, MIDI, disc and camera
// loads in turn grew the process by 9 to 30 MB with glibc's default, 7.5 MB with two arenas
// and 2 MB with one (small blocks still come from each thread's own cache, without a lock).
// Set before any thread starts.
void KeepMallocArenasFew() { mallopt(M_ARENA_MAX, 1); }
}  // namespace lirra

namespace {

std::filesystem::path AppFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

// The sound engine, its add-ons, the tag reader and the video library load in the
// background while Qt opens the window.
std::vector<std::string> LibrariesToPreload(const std::filesystem::path& app) {
  if (app.empty()) return {};
  std::vector<std::string> paths = {(app / "libbass.so").string(), (app / "Plugins/libtags.so").string(),
                                    (app / "liborvana.so").string()};
  for (const char* addon : lirra::kEngineAddOnFiles) paths.push_back((app / addon).string());
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  lirra::KeepMallocArenasFew();
  // One player at a time: a second one ends at once, showing nothing.
  lirra::InstanceLock lock;
  if (!lock.acquire()) return 0;

  lirra::ApplyQtPlatformChoice();
  std::string why;
  lirra::DisplayHold display;
  if (!lirra::HasDisplay(&why, &display)) {
    std::fprintf(stderr, "lirra: %s\n", why.c_str());
    return 1;
  }

  // A file named on the command line starts playing before the window loads (page faults
  // and mappings of one process do not overlap well, so this goes first rather than
  // beside it); the window's first show takes it over.
  const std::filesystem::path appFolder = AppFolder();
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  lirra::EarlyStart early(QString::fromStdString((appFolder / "libbass.so").string()), arguments);
  early.run();
  const lirra::LibraryPreloader preloader(LibrariesToPreload(appFolder));

  // Never unloaded: Qt's own clean-up runs at exit.
  void* window = dlopen((appFolder / kWindowLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
  const auto windowMain = window ? reinterpret_cast<WindowMainFunction>(dlsym(window, kWindowMain)) : nullptr;
  if (!windowMain) {
    std::fprintf(stderr, "lirra: cannot load the window (%s)\n", window ? "no entry point" : dlerror());
    return 1;
  }
  return windowMain(argc, argv, &early, &display);
}
