// Program entry of the Lirra player.
#include <QApplication>

#include <cstdio>
#include <string>

#include <filesystem>

#include "display.h"
#include "instance_lock.h"
#include "library_preloader.h"
#include "main_window.h"

namespace {

// The sound engine and its add-ons load in the background while Qt opens the window.
std::vector<std::string> LibrariesToPreload() {
  std::error_code ec;
  const std::filesystem::path app = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
  if (ec) return {};
  std::vector<std::string> paths = {(app / "libbass.so").string(), (app / "libbasswma.so").string(),
                                    (app / "Plugins/libtags.so").string()};
  for (const char* addon : {"cd", "_ape", "_aac", "_mpc", "_tta", "_ac3", "_flac", "_opus", "_wv"})
    paths.push_back((app / "Plugins" / (std::string("libbass") + addon + ".so")).string());
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  // One player at a time: a second one ends at once, showing nothing.
  lirra::InstanceLock lock;
  if (!lock.acquire()) return 0;

  const lirra::LibraryPreloader preloader(LibrariesToPreload());

  std::string why;
  lirra::DisplayHold display;
  if (!lirra::HasDisplay(&why, &display)) {
    std::fprintf(stderr, "lirra: %s\n", why.c_str());
    return 1;
  }

  QApplication app(argc, argv);
  display.release();
  QApplication::setApplicationName(QStringLiteral("Lirra"));
  lirra::WriteDesktopEntry(QCoreApplication::applicationFilePath().toStdString());

  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  lirra::MainWindow window({QCoreApplication::applicationDirPath(), args, QLocale::system()});
  if (!window.created()) return 0;
  window.show();
  return QApplication::exec();
}
