// A private app folder for a window test: the built program's libraries and plug-ins
// linked in, no lists, no settings, no skins and no visualisation plug-ins unless a test
// adds them, so each test starts from an empty library and leaves the build's own app
// folder untouched.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace lirra::testing {

class ScratchApp {
 public:
  ScratchApp() {
    const QDir built(QStringLiteral(LIRRA_APP_DIR));
    for (const QString& name : built.entryList({QStringLiteral("*.so")}, QDir::Files))
      QFile::link(built.filePath(name), dir_.filePath(name));
    const QDir plugins(built.filePath(QStringLiteral("Plugins")));
    QDir(dir_.path()).mkpath(QStringLiteral("Plugins/Skin"));
    QDir(dir_.path()).mkpath(QStringLiteral("Plugins/Lyrics"));
    // The lyrics fetcher only where a test asks for it: it would go out to the network.
    const QStringList own = {QStringLiteral("Skin"), QStringLiteral("Lyrics"), QStringLiteral("GetLRC")};
    for (const QString& name : plugins.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
      if (!own.contains(name) && !name.startsWith(QLatin1String("vis_")))
        QFile::link(plugins.filePath(name), dir_.filePath(QStringLiteral("Plugins/") + name));
  }
  // A visualisation plug-in the build makes, by name ("scope" for vis_scope.so).
  void addVisPlugin(const QString& name) const {
    const QString file = QStringLiteral("Plugins/vis_") + name + QStringLiteral(".so");
    QFile::link(QStringLiteral(LIRRA_APP_DIR "/") + file, dir_.filePath(file));
  }
  // One of the skins the build paints, by name ("Ocean").
  void addSkin(const QString& name) const {
    QFile::link(QStringLiteral(LIRRA_APP_DIR "/Plugins/Skin/") + name + QStringLiteral(".bmp"),
                skinFolder() + name + QStringLiteral(".bmp"));
  }
  QString skinFolder() const { return dir_.filePath(QStringLiteral("Plugins/Skin/")); }
  // The folder, with a trailing "/".
  QString path() const { return dir_.path() + u'/'; }
  // A file in the folder made by ffmpeg from one of its test sources ("color=…", "sine=…"),
  // with `output` options before the file name; empty when ffmpeg failed.
  QString makeMedia(const QString& name, const QString& source, const QStringList& output = {}) const {
    const QString file = dir_.filePath(name);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"),
                                                       QStringLiteral("-y"), QStringLiteral("-f"),
                                                       QStringLiteral("lavfi"), QStringLiteral("-i"), source} +
                                               output + QStringList{file});
    const bool made = ffmpeg.waitForFinished(30000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
                      ffmpeg.exitCode() == 0;
    return made ? file : QString();
  }
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
