#include "test_disc.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

namespace orvana_host {

namespace {

using namespace Qt::StringLiterals;

bool Run(const QString& folder, const QString& program, const QStringList& args, const char* videoFormat = nullptr) {
  QProcess p;
  p.setWorkingDirectory(folder);
  if (videoFormat) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"VIDEO_FORMAT"_s, QLatin1String(videoFormat));
    p.setProcessEnvironment(env);
  }
  p.start(program, args);
  return p.waitForFinished(60000) && p.exitCode() == 0;
}

// A PAL DVD programme stream with a key frame every 0.4 s (the chapter marks fall on them).
bool Mpeg(const QString& folder, const QString& picture, const QString& sound, const char* aspect, const char* name) {
  return Run(folder, u"ffmpeg"_s,
             {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s, picture, u"-f"_s, u"lavfi"_s, u"-i"_s,
              sound, u"-shortest"_s, u"-target"_s, u"pal-dvd"_s, u"-aspect"_s, QLatin1String(aspect), u"-g"_s, u"10"_s,
              QLatin1String(name)});
}

}  // namespace

bool AuthorTestDisc(const QString& folder) {
  const QString silence = u"anullsrc=r=48000:cl=stereo"_s;
  if (!Mpeg(folder, u"color=c=magenta:s=720x576:r=25:d=1"_s, silence, "4:3", "menu.mpg") ||
      !Mpeg(folder, u"color=c=yellow:s=720x576:r=25:d=1"_s, silence, "4:3", "root.mpg") ||
      !Mpeg(folder, u"color=c=blue:s=720x576:r=25:d=8,drawbox=w=720:h=576:color=cyan:t=fill:enable='between(t,2,3.9)'"_s,
            u"sine=frequency=440:duration=8:sample_rate=48000"_s, "4:3", "t1.mpg") ||
      !Mpeg(folder, u"color=c=green:s=720x576:r=25:d=12,drawbox=x=0:y=0:w=60:h=576:color=red:t=fill"_s,
            u"sine=frequency=880:duration=12:sample_rate=48000"_s, "16:9", "t2.mpg"))
    return false;
  QFile xml(QDir(folder).filePath(u"dvd.xml"_s));
  if (!xml.open(QIODevice::WriteOnly)) return false;
  xml.write(R"(<dvdauthor dest="DVD">
  <vmgm><menus><pgc entry="title"><vob file="menu.mpg" pause="inf"/></pgc></menus></vmgm>
  <titleset>
    <menus><pgc entry="root"><vob file="root.mpg" pause="inf"/></pgc></menus>
    <titles><pgc><vob file="t1.mpg" chapters="0,2,4"/></pgc></titles>
  </titleset>
  <titleset>
    <titles><video aspect="16:9"/><pgc><vob file="t2.mpg" chapters="0,3"/></pgc></titles>
  </titleset>
</dvdauthor>
)");
  xml.close();
  return Run(folder, u"dvdauthor"_s, {u"-x"_s, u"dvd.xml"_s}, "PAL");
}

}  // namespace orvana_host
