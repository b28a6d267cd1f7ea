#include "test_disc.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <cstdint>
#include <iterator>

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

// Odd parity, as line-21 bytes carry it.
char Odd(unsigned b) { return static_cast<char>(__builtin_popcount(b) % 2 ? b : b | 0x80); }

// Line-21 captions put into each picture's user data (in the ATSC wrapping, which the
// decoder reads like a DVD's own): at the start of every second the pop-on caption
// "HELLO DVD" is loaded on the bottom row and shown, so it is back soon after any jump.
QByteArray WithCaptions(const QByteArray& stream) {
  const uint16_t second[] = {0x142E, 0x142E, 0x1420, 0x1420, 0x1460, 0x1460, 'H' << 8 | 'E', 'L' << 8 | 'L',
                             'O' << 8 | ' ', 'D' << 8 | 'V', 'D' << 8, 0x142F, 0x142F};
  QByteArray out;
  int picture = -1;
  bool pending = false;
  for (qsizetype i = 0; i < stream.size(); ++i) {
    if (i + 3 < stream.size() && stream[i] == 0 && stream[i + 1] == 0 && stream[i + 2] == 1) {
      const auto code = static_cast<uint8_t>(stream[i + 3]);
      if (pending && code >= 0x01 && code <= 0xAF) {  // the picture's first slice
        const int at = picture % 25;
        const uint16_t pair = at < static_cast<int>(std::size(second)) ? second[at] : 0;
        out += QByteArray("\x00\x00\x01\xB2GA94\x03\x41\xFF\xFC", 12);
        out += Odd(pair >> 8);
        out += Odd(pair & 0xFF);
        out += '\xFF';
        pending = false;
      }
      if (code == 0x00) ++picture, pending = true;
    }
    out += stream[i];
  }
  return out;
}

// A PAL DVD programme stream with captions: its pictures coded without reordering (the
// captions stay in showing order), captioned, then multiplexed with the sound (the bare
// picture stream has no times of its own: they are made from the frame rate).
bool CaptionedMpeg(const QString& folder, const QString& picture, const QString& sound, const char* name) {
  const QString plain = QDir(folder).filePath(u"plain.m2v"_s), captioned = QDir(folder).filePath(u"captioned.m2v"_s);
  if (!Run(folder, u"ffmpeg"_s,
           {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s, picture, u"-target"_s, u"pal-dvd"_s,
            u"-aspect"_s, u"4:3"_s, u"-g"_s, u"10"_s, u"-bf"_s, u"0"_s, u"-an"_s, u"-f"_s, u"mpeg2video"_s, plain}))
    return false;
  QFile in(plain), out(captioned);
  if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) return false;
  out.write(WithCaptions(in.readAll()));
  out.close();
  return Run(folder, u"ffmpeg"_s,
             {u"-loglevel"_s, u"error"_s, u"-y"_s, u"-fflags"_s, u"+genpts"_s, u"-r"_s, u"25"_s, u"-i"_s, captioned,
              u"-f"_s, u"lavfi"_s, u"-i"_s, sound,
              u"-shortest"_s, u"-target"_s, u"pal-dvd"_s, u"-c:v"_s, u"copy"_s, QLatin1String(name)});
}

}  // namespace

bool AuthorTestDisc(const QString& folder) {
  const QString silence = u"anullsrc=r=48000:cl=stereo"_s;
  if (!Mpeg(folder, u"color=c=magenta:s=720x576:r=25:d=1"_s, silence, "4:3", "menu.mpg") ||
      !Mpeg(folder, u"color=c=yellow:s=720x576:r=25:d=1"_s, silence, "4:3", "root.mpg") ||
      !CaptionedMpeg(folder,
                     u"color=c=blue:s=720x576:r=25:d=8,drawbox=w=720:h=576:color=cyan:t=fill:enable='between(t,2,3.9)'"_s,
                     u"sine=frequency=440:duration=8:sample_rate=48000"_s, "t1.mpg") ||
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
