// icongen <folder>: paints the program's icon into <folder>/hicolor/<n>x<n>/apps/lirra.png
// for the sizes a desktop asks of an icon theme.
#include <QDir>
#include <QImage>

#include <cstdio>

#include "app_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: icongen <folder>\n");
    return 2;
  }
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor/%1x%1/apps").arg(size);
    if (!QDir().mkpath(folder) || !lirra::PaintAppIcon(size).save(folder + QStringLiteral("/lirra.png"))) {
      std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
