// The look inside MP4/QuickTime files that sends those with a picture to the video library.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "media_probe.h"
#include "temp_dir.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

QByteArray Box(const char* type, const QByteArray& payload) {
  QByteArray out;
  const quint32 size = static_cast<quint32>(payload.size() + 8);
  for (int shift : {24, 16, 8, 0}) out.append(static_cast<char>((size >> shift) & 0xff));
  return out + QByteArray(type, 4) + payload;
}
QByteArray Track(const char* handler) {
  return Box("trak", Box("mdia", Box("hdlr", QByteArray(8, '\0') + QByteArray(handler, 4) + QByteArray(12, '\0'))));
}

class MediaProbe : public testing::TempDirTest {};

TEST_F(MediaProbe, OnlyAVideoTrackCountsAndDamageIsNoVideo) {
  const QByteArray ftyp = Box("ftyp", "isom\0\0\0\0"_ba);
  const QByteArray mdat = Box("mdat", QByteArray(1000, 'x'));
  const struct {
    const char* name;
    QByteArray bytes;
    bool video;
  } cases[] = {
      {"sound.mp4", ftyp + mdat + Box("moov", Track("soun")), false},
      {"clip.mp4", ftyp + Box("moov", Track("soun") + Track("vide")) + mdat, true},
      {"late.mov", ftyp + mdat + Box("moov", Box("mvhd", QByteArray(100, '\0')) + Track("vide")), true},
      {"cut.mp4", (ftyp + Box("moov", Track("vide"))).left(40), false},
      {"huge.mp4", ftyp + "\xff\xff\xff\xffmoov"_ba + Track("vide"), false},
      {"zero.mp4", ftyp + "\0\0\0\0moov"_ba + Track("vide"), true},  // size 0: to the end
      {"tiny.mp4", "\0\0\0\x04"_ba, false},
      {"text.mp4", "not a media file at all"_ba, false},
  };
  for (const auto& c : cases) {
    writeBytes(QString::fromLatin1(c.name), c.bytes);
    EXPECT_EQ(IsoMediaHasVideo(path(QString::fromLatin1(c.name))), c.video) << c.name;
  }
  EXPECT_FALSE(IsoMediaHasVideo(path(u"missing.mp4"_s)));
}

TEST_F(MediaProbe, FilesMadeByFfmpeg) {
  const QString video = path(u"v.mp4"_s), audio = path(u"a.m4v"_s);
  for (const QStringList& args :
       {QStringList{u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=duration=1:size=64x48"_s, u"-f"_s, u"lavfi"_s,
                    u"-i"_s, u"sine=duration=1"_s, u"-shortest"_s, video},
        QStringList{u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=1"_s, u"-c:a"_s, u"aac"_s, u"-f"_s, u"mp4"_s, audio}}) {
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, QStringList{u"-v"_s, u"error"_s, u"-y"_s} + args);
    ASSERT_TRUE(ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0) << ffmpeg.readAllStandardError().toStdString();
  }
  EXPECT_TRUE(IsoMediaHasVideo(video));
  EXPECT_FALSE(IsoMediaHasVideo(audio)) << "an .m4v holding only sound stays with the engine";
  EXPECT_TRUE(MayHoldVideo(u"/m/Clip.MOV"_s));
  EXPECT_FALSE(MayHoldVideo(u"/m/song.m4a"_s));
}

}  // namespace
}  // namespace lirra
