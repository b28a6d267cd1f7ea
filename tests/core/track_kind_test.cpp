#include "track_kind.h"

#include <gtest/gtest.h>

#include "open_filter.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

int Kind(const QString& location, ClassifyContext c = {true, false, false, {}}) {
  return ClassifyTrack(location, c).kind;
}

TEST(ClassifyTrack, EngineTypesByExtensionSubstring) {
  for (const QString& path : {u"/m/a.mp3"_s, u"/m/a.WAV"_s, u"/m/a.ogg"_s, u"/m/a.aiff"_s,
                              u"/m/a.aif"_s, u"/m/a.mp"_s, u"/m/a.xm"_s, u"/m/a.MOD"_s,
                              u"/m/a.it"_s, u"/m/a.umx"_s, u"/m/a.mo3"_s})
    EXPECT_EQ(Kind(path), kKindEngine) << path.toStdString();
  EXPECT_EQ(Kind(u"/m/a.flac"_s), kKindOther) << "not without its add-on";
  EXPECT_EQ(Kind(u"/m/a.flac"_s, {true, false, false, u"*.flac;*.oga;"_s}), kKindEngine);
  EXPECT_EQ(Kind(u"/m/noextension"_s), kKindOther);
  EXPECT_EQ(Kind(u"/m/a.mp3"_s, {false, false, false, {}}), kKindOther) << "no engine, no kind";
}

TEST(ClassifyTrack, WmaOnlyWithItsAddOn) {
  EXPECT_EQ(Kind(u"/m/a.wma"_s), kKindOther);
  EXPECT_EQ(Kind(u"/m/a.WMA"_s, {true, true, false, {}}), kKindEngine);
}

TEST(ClassifyTrack, AddressesCueSheetsAndCueTracks) {
  EXPECT_EQ(Kind(u"http://radio.example:8000/live"_s), kKindUrlStream);
  EXPECT_EQ(Kind(u"https://radio.example/live"_s), kKindUrlStream);
  EXPECT_EQ(Kind(u"http://radio.example:8000"_s), kKindUrlStream) << "a bare host has no extension";
  EXPECT_EQ(Kind(u"mms://media.example/live"_s), kKindNetworkPath);
  const Classification mp3 = ClassifyTrack(u"http://x.example/song.mp3?id=4"_s, {true, false, false, {}});
  EXPECT_EQ(mp3.kind, kKindEngine);
  EXPECT_TRUE(mp3.isNetwork);
  EXPECT_FALSE(ClassifyTrack(u"/home/me/a.mp3"_s, {true, false, false, {}}).isNetwork)
      << "local paths with slashes are never addresses";
  EXPECT_EQ(Kind(u"/m/album.cue"_s), kKindCueSheet);
  EXPECT_EQ(Kind(u"/m/album.CUE"_s), kKindCueSheet);
  EXPECT_EQ(Kind(u"/m/album.flac,60,200"_s), kKindCueTrack);
}

TEST(ClassifyTrack, MidiGoesToTheVideoLibraryOnlyWhenThereIsOne) {
  for (const QString& path : {u"/m/a.mid"_s, u"/m/a.MIDI"_s, u"/m/a.rmi"_s, u"/m/a.kar"_s}) {
    EXPECT_EQ(Kind(path, {true, false, true, {}}), kKindMidiCapture) << path.toStdString();
    EXPECT_EQ(Kind(path), kKindOther) << path.toStdString();
  }
  EXPECT_EQ(Kind(u"/m/film.avi"_s, {true, false, true, {}}), kKindOther);
}

TEST(OpenFilter, EnglishWithoutVideoLibrary) {
  const OpenFilter f = BuildOpenFilter(false, false, true, {}, {});
  EXPECT_EQ(f.mediaMask, u"*.mp3;*.wav;*.mpa;*.mp1;*.mp2;*.ogg;*.aif;*.mod;*.mo3;*.cue;"_s);
  EXPECT_EQ(f.filter,
            u"Media Files(All Types)|*.mp3;*.wav;*.mpa;*.mp1;*.mp2;*.ogg;*.aif;*.aiff;*.mod;*.mo3;*.cue;*.m3u;"
            "|Audio Files(MP3;WAV;MPA;MP1;MP2;OGG;AIFF;MOD;MO3;CUE)|*.mp3;*.wav;*.mpa;*.mp1;*.mp2;*.ogg;*.aif;*.aiff;*.mod;*.mo3;*.cue"
            "|Playlist Files(M3U)|*.m3u|All Files(*)|*.*"_s);
  EXPECT_FALSE(f.filter.contains(u"Video"_s));
}

TEST(OpenFilter, ChineseWithVideoLibraryAddOnsAndExtras) {
  const OpenFilter f = BuildOpenFilter(true, true, true, u"*.flac;"_s, {true, false, true, true});
  EXPECT_TRUE(f.filter.startsWith(u"媒体文件(所有类型)|"_s));
  EXPECT_TRUE(f.filter.contains(u"|视频文件(AVI;MPG;DAT;WMV;ASF;WM;M1V;QT;VOB)|"_s));
  EXPECT_TRUE(f.filter.contains(u"|MIDI文件(MID;RMI;KAR)|*.mid;*.rmi;*.kar;*.midi;"_s));
  EXPECT_TRUE(f.filter.contains(u"|Plugin 扩展(*.flac;)|*.flac;"_s));
  EXPECT_TRUE(f.filter.contains(u"|其他扩展(*.ra;*.ram;*.rm;*.rmvb;*.rv;*.ts;*.mov;*.3gp;*.3gpp;)|"_s));
  EXPECT_TRUE(f.filter.endsWith(u"|播放列表(M3U)|*.m3u|所有文件(*)|*.*"_s));
  EXPECT_TRUE(f.mediaMask.endsWith(u"*.ra;*.ram;*.rm;*.rmvb;*.rv;*.ts;*.mov;*.3gp;*.flac;"_s));
}

TEST(OpenFilter, QtFiltersKeepLabelsAndOrder) {
  const QStringList qt = QtNameFilters(u"Audio(MP3)|*.mp3;*.wav|Playlist Files(M3U)|*.m3u|All Files(*)|*.*"_s);
  EXPECT_EQ(qt, (QStringList{u"Audio(MP3) (*.mp3 *.wav)"_s, u"Playlist Files(M3U) (*.m3u)"_s,
                             u"All Files(*) (*)"_s}));
}

}  // namespace
}  // namespace lirra
