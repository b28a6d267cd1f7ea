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

#include <QDir>

#include "player_fixture.h"
#include "track_opening.h"

namespace lirra {
namespace {

// An add-on claims ".mp4": a file of that type holding a picture plays through the video
// library (the fake answers 42 s), one holding only sound through the engine (10 s).
TEST_F(PlayerTest, AnMp4WithAPictureGoesToTheVideoLibrary) {
  ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_orvana.so"), appDir_ + u"liborvana.so"_s));
  Start({});
  PlayerState& s = player_.state();
  ASSERT_TRUE(s.VideoLibAvailable);
  s.PluginExtensions = u"*.mp4;"_s;
  s.MListVisible = true;
  const QByteArray ftyp = Box("ftyp", "isom\0\0\0\0"_ba);
  writeBytes(u"clip.mp4"_s, ftyp + Box("moov", Track("soun") + Track("vide")));
  writeBytes(u"song.mp4"_s, ftyp + Box("moov", Track("soun")));
  PlayerContext& ctx = player_.context();
  for (const auto& [name, video, seconds] : {std::tuple{u"clip.mp4"_s, true, 42}, std::tuple{u"song.mp4"_s, false, 10}}) {
    ctx.list.clear();
    ctx.list.append({name, appDir_ + name, std::nullopt, std::nullopt});
    PlayCurrent(ctx);
    EXPECT_EQ(s.VideoActive, video) << name.toStdString();
    EXPECT_EQ(s.TrackSeconds, seconds) << name.toStdString();
    EXPECT_GT(shell_.responsiveRuns, 0) << "looked at off the UI thread";
    player_.lbNextRightUp();
  }
}

}  // namespace
}  // namespace lirra
