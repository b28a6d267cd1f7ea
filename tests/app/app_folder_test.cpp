// The app folder the build makes: the program, room for plug-ins, and the demo content.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>

#include <cmath>

#include "paths.h"
#include "textfile.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

const QString kAppDir = QStringLiteral(LIRRA_APP_DIR) + u'/';
const QString kTune = kAppDir + u"Music/Lirra - First Light.wav"_s;

TEST(AppFolder, HoldsTheProgramAndThePluginFolders) {
  const QFileInfo exe(kAppDir + u"lirra"_s);
  EXPECT_TRUE(exe.isFile() && exe.isExecutable());
  for (const QString& sub : {u"Plugins/Skin"_s, u"Plugins/Lyrics"_s, u"Plugins/AVS"_s})
    EXPECT_TRUE(QFileInfo(kAppDir + sub).isDir()) << sub.toStdString();
}

// The program loads Qt's widgets only with its window library, after a file named on the
// command line has begun to play.
TEST(AppFolder, TheProgramLeavesTheWidgetLibrariesToItsWindowLibrary) {
  const auto needed = [](const QString& file) {
    QProcess readelf;
    readelf.start(u"readelf"_s, {u"-d"_s, file});
    EXPECT_TRUE(readelf.waitForFinished(10000) && readelf.exitCode() == 0) << file.toStdString();
    return readelf.readAllStandardOutput();
  };
  const QByteArray program = needed(kAppDir + u"lirra"_s);
  EXPECT_TRUE(program.contains("libQt6Core.so"));
  EXPECT_FALSE(program.contains("libQt6Widgets.so"));
  EXPECT_FALSE(program.contains("libQt6Gui.so"));
  EXPECT_TRUE(needed(kAppDir + u"liblirra_window.so"_s).contains("libQt6Widgets.so"));
}

TEST(DemoContent, TuneIsAShortAudibleStereoWavUnderOneMegabyte) {
  QFile f(kTune);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray wav = f.readAll();
  EXPECT_LT(wav.size(), 1024 * 1024);
  ASSERT_GT(wav.size(), 44);
  const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
  const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
  EXPECT_EQ(wav.left(4), "RIFF");
  EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
  EXPECT_EQ(u16(20), 1);       // PCM
  EXPECT_EQ(u16(22), 2);       // stereo
  EXPECT_EQ(u32(24), 44100u);  // sample rate
  EXPECT_EQ(u16(34), 16);      // bits
  EXPECT_EQ(wav.mid(36, 4), "data");
  const quint32 dataBytes = u32(40);
  ASSERT_EQ(dataBytes + 44, static_cast<quint32>(wav.size()));
  const double seconds = dataBytes / 4.0 / 44100.0;
  EXPECT_GT(seconds, 4.0);
  EXPECT_LT(seconds, 6.0);

  // Audible: a healthy level in both channels, no clipping.
  double sum[2] = {0, 0};
  int peak = 0;
  const int frames = static_cast<int>(dataBytes / 4);
  for (int i = 0; i < frames; ++i)
    for (int ch = 0; ch < 2; ++ch) {
      const int s = static_cast<qint16>(u16(44 + 4 * i + 2 * ch));
      sum[ch] += double(s) * s;
      peak = std::max(peak, std::abs(s));
    }
  for (double channelSum : sum) EXPECT_GT(std::sqrt(channelSum / frames), 1000.0);
  EXPECT_LT(peak, 32767);
}

TEST(DemoContent, LyricsBesideTheTuneHaveTimedLines) {
  const QString lrc = kTune.left(kTune.size() - FileExtension(kTune).size()) + u".lrc"_s;
  const TextReadResult r = ReadTextLines(lrc);
  ASSERT_TRUE(r.ok()) << r.error.toStdString();
  int timed = 0;
  for (const QString& line : r.lines)
    if (line.size() > 10 && line[0] == u'[' && line[3] == u':' && !line.endsWith(u']')) ++timed;
  EXPECT_GE(timed, 3);
  EXPECT_TRUE(r.lines.contains(u"[00:01.20]晨光照在窗上"_s));
}

TEST(DemoContent, PlaylistNamesTheTune) {
  const TextReadResult r = ReadTextLines(kAppDir + u"Demo.m3u"_s);
  ASSERT_TRUE(r.ok()) << r.error.toStdString();
  ASSERT_EQ(r.lines.size(), 3);
  EXPECT_EQ(r.lines[0], u"#EXTM3U"_s);
  EXPECT_EQ(r.lines[1], u"#EXTINF:5,Lirra - First Light"_s);
  EXPECT_TRUE(QFileInfo(r.lines[2]).isRelative()) << "a copied app folder plays its own tune";
  EXPECT_TRUE(QFileInfo(kAppDir + r.lines[2]) == QFileInfo(kTune)) << r.lines[2].toStdString();
}

}  // namespace
}  // namespace lirra
