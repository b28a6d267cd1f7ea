// Program entry of the Lirra player.
#include <QApplication>

#include <cstdio>
#include <string>

#include <filesystem>

#include "display.h"
#include "early_start.h"
#include "instance_lock.h"
#include "library_preloader.h"
#include "main_window.h"

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
  std::vector<std::string> paths = {(app / "libbass.so").string(), (app / "libbasswma.so").string(),
                                    (app / "Plugins/libtags.so").string(), (app / "liborvana.so").string()};
  for (const char* addon : {"cd", "_ape", "_aac", "_mpc", "_tta", "_ac3", "_flac", "_opus", "_wv"})
    paths.push_back((app / "Plugins" / (std::string("libbass") + addon + ".so")).string());
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  // One player at a time: a second one ends at once, showing nothing.
  lirra::InstanceLock lock;
  if (!lock.acquire()) return 0;

  std::string why;
  lirra::DisplayHold display;
  if (!lirra::HasDisplay(&why, &display)) {
    std::fprintf(stderr, "lirra: %s\n", why.c_str());
    return 1;
  }

  // A file named on the command line starts playing while Qt opens the window; the
  // window's first show takes it over.
  const std::filesystem::path appFolder = AppFolder();
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  lirra::EarlyStart early(QString::fromStdString((appFolder / "libbass.so").string()), arguments);
  const lirra::LibraryPreloader preloader(LibrariesToPreload(appFolder), [&early] { early.run(); });

  QApplication app(argc, argv);
  display.release();
  QApplication::setApplicationName(QStringLiteral("Lirra"));
  lirra::WriteDesktopEntry(QCoreApplication::applicationFilePath().toStdString());

  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  lirra::MainWindow window({QCoreApplication::applicationDirPath(), args, QLocale::system(), &early});
  if (!window.created()) return 0;
  window.show();
  return QApplication::exec();
}
