// A private app folder for a window test: the built program's libraries and plug-ins
// linked in, no lists and no settings, so each test starts from an empty library and
// leaves the build's own app folder untouched.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace lirra::testing {

class ScratchApp {
 public:
  ScratchApp() {
    const QDir built(QStringLiteral(LIRRA_APP_DIR));
    for (const QString& name : built.entryList({QStringLiteral("*.so")}, QDir::Files))
      QFile::link(built.filePath(name), dir_.filePath(name));
    QFile::link(built.filePath(QStringLiteral("Plugins")), dir_.filePath(QStringLiteral("Plugins")));
  }
  // The folder, with a trailing "/".
  QString path() const { return dir_.path() + u'/'; }
  // The demo list and its music folder, as a copied app folder has them (the list names
  // its tune relative to itself).
  void addDemoList() const {
    QFile::copy(QStringLiteral(LIRRA_APP_DIR "/Demo.m3u"), dir_.filePath(QStringLiteral("Demo.m3u")));
    QFile::link(QStringLiteral(LIRRA_APP_DIR "/Music"), dir_.filePath(QStringLiteral("Music")));
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace lirra::testing
