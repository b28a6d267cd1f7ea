// Program entry of the Lirra player.
#include <QApplication>

#include <cstdio>
#include <string>

#include "display.h"
#include "instance_lock.h"
#include "main_window.h"

int main(int argc, char** argv) {
  // One player at a time: a second one ends at once, showing nothing.
  lirra::InstanceLock lock;
  if (!lock.acquire()) return 0;

  std::string why;
  if (!lirra::HasDisplay(&why)) {
    std::fprintf(stderr, "lirra: %s\n", why.c_str());
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lirra"));
  lirra::WriteDesktopEntry(QCoreApplication::applicationFilePath().toStdString());

  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  lirra::MainWindow window({QCoreApplication::applicationDirPath(), args, QLocale::system()});
  if (!window.created()) return 0;
  window.show();
  return QApplication::exec();
}
