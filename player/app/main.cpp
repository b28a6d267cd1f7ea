// Program entry of the Lirra player.
#include <QApplication>

#include <cstdio>
#include <string>

#include "display.h"
#include "main_window.h"

int main(int argc, char** argv) {
  std::string why;
  if (!lirra::HasDisplay(&why)) {
    std::fprintf(stderr, "lirra: %s\n", why.c_str());
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lirra"));

  lirra::MainWindow window(QCoreApplication::applicationDirPath(), QLocale::system());
  window.show();
  return QApplication::exec();
}
