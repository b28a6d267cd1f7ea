// The player's window: Qt's application object and the main window, in
// liblirra_window.so. The program loads it once it knows it will show a window, so that a
// file named on the command line can start playing while Qt's libraries load.
#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include "app_icon.h"
#include "display.h"
#include "early_start.h"
#include "instance_lock.h"
#include "main_window.h"
#include "user_folders.h"

extern "C" __attribute__((visibility("default"))) int lirra_window_main(int argc, char** argv,
                                                                         lirra::EarlyStart* early,
                                                                         lirra::DisplayHold* display) {
  QApplication app(argc, argv);
  display->release();
  QApplication::setApplicationName(QStringLiteral("Lirra"));
  QApplication::setDesktopFileName(QStringLiteral("lirra"));
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(QPixmap::fromImage(lirra::PaintAppIcon(size)));
  QApplication::setWindowIcon(icon);
  // A portable copy offers itself for audio files; an installed one has its own entry
  // (a user entry of the same name would hide it).
  if (lirra::UserFoldersFor(QCoreApplication::applicationDirPath().toStdString()).portable)
    lirra::WriteDesktopEntry(QCoreApplication::applicationFilePath().toStdString());

  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  lirra::MainWindow window({QCoreApplication::applicationDirPath(), args, QLocale::system(), early});
  if (!window.created()) return 0;
  window.show();
  return QApplication::exec();
}
