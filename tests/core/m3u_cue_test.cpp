// The list-file and cue-sheet formats: reading rules over lines, the written format, and
// cue sheets cut into track references.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include "cue_sheet.h"
#include "m3u_format.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

struct Read {
  TrackList list;
  bool modified = false;
};

// Reads list lines where only the paths in `existing` exist; cue sheets expand to nothing.
Read ReadLines(const QStringList& lines, const QStringList& existing = {}) {
  Read r;
  const QStringList data =
      CleanM3uLines(lines, [&](qsizetype, const QString& p) { return existing.contains(p); }, &r.modified);
  AppendM3uEntries(data, r.list, [](const QString&) { return false; }, &r.modified);
  return r;
}

TEST(M3uExtinf, LengthIsBeforeTheFirstCommaAndTheTitleIsTheRest) {
  ExtinfFields f = ParseExtinf(u"#EXTINF:245,Artist - Song, Part 2"_s);
  EXPECT_EQ(f.Title, u"Artist - Song, Part 2"_s);
  EXPECT_EQ(f.LengthSeconds, u"245"_s);
  EXPECT_EQ(f.LengthText, u"4:05"_s);

  f = ParseExtinf(u"#EXTINF:-1,Radio"_s);  // unknown length
  EXPECT_EQ(f.Title, u"Radio"_s);
  EXPECT_EQ(f.LengthSeconds, u"0"_s);
  EXPECT_FALSE(f.LengthText);

  f = ParseExtinf(u"#EXTINF:abc,Odd"_s);
  EXPECT_EQ(f.LengthSeconds, u"0"_s);

  f = ParseExtinf(u"#EXTINF:,No length"_s);  // empty length: no length fields at all
  EXPECT_EQ(f.Title, u"No length"_s);
  EXPECT_FALSE(f.LengthSeconds);
  EXPECT_FALSE(f.LengthText);

  f = ParseExtinf(u"#extinf: Just a title "_s);  // no comma
  EXPECT_EQ(f.Title, u"Just a title"_s);
  EXPECT_EQ(f.LengthSeconds, u"0"_s);
  EXPECT_TRUE(IsExtinfLine(u"#extinf:1,x"_s));
  EXPECT_FALSE(IsExtinfLine(u"#EXTVLCOPT:x"_s));
}

TEST(M3uRead, TagLinesAreCleanedAndOnlyExtinfBeforeALocationSurvives) {
  const QStringList lines = {
      u"#EXTM3U"_s,
      u"#EXTINF:10,First"_s, u"#EXTINF:20,Second"_s, u"/m/b.mp3"_s,  // two in a row: first dropped
      u"#EXTVLCOPT:network-caching=1000"_s, u"/m/c.mp3"_s,           // foreign option line
      u"#EXTM3U"_s,                                                   // a second header
      u"#extinf:-1,Radio, live"_s, u"http://radio.example/stream"_s,  // lower case, URL kept unchecked
      u"  /m/d.mp3  "_s,                                              // trimmed
      u"#EXTINF:5,Trailing"_s};                                      // nothing after it
  const Read r = ReadLines(lines, {u"/m/b.mp3"_s, u"/m/c.mp3"_s, u"/m/d.mp3"_s});
  EXPECT_TRUE(r.modified);
  ASSERT_EQ(r.list.size(), 4);
  EXPECT_EQ(r.list.at(0).Title, u"Second"_s);
  EXPECT_EQ(r.list.at(0).LengthSeconds, u"20"_s);
  EXPECT_EQ(r.list.at(1).Title, u"c"_s);
  EXPECT_FALSE(r.list.at(1).LengthSeconds);
  EXPECT_EQ(r.list.at(2).Title, u"Radio, live"_s);
  EXPECT_EQ(r.list.at(2).LengthSeconds, u"0"_s);
  EXPECT_EQ(r.list.at(2).Location, u"http://radio.example/stream"_s);
  EXPECT_EQ(r.list.at(3).Location, u"/m/d.mp3"_s);
}

TEST(M3uRead, MissingFilesGoWithTheirExtinfAndDuplicatesDifferingInCaseCollapse) {
  const QStringList lines = {u"#EXTM3U"_s,
                             u"#EXTINF:10,Gone"_s, u"/m/gone.mp3"_s,
                             u"#EXTINF:11,Windows"_s, u"D:\\Music\\song.mp3"_s,
                             u"/m/Song.mp3"_s,
                             u"#EXTINF:12,Again"_s, u"/M/SONG.MP3"_s,
                             u"/m/a.flac,0,190"_s};  // cue-track references are never checked
  const Read r = ReadLines(lines, {u"/m/Song.mp3"_s, u"/M/SONG.MP3"_s});
  EXPECT_TRUE(r.modified);
  ASSERT_EQ(r.list.size(), 2);
  EXPECT_EQ(r.list.at(0).Location, u"/m/Song.mp3"_s);
  EXPECT_EQ(r.list.at(1).Location, u"/m/a.flac,0,190"_s);
}

TEST(M3uRead, AFileWithoutHeaderLosesItsFirstLineAndEmptyTitlesAreRepaired) {
  Read r = ReadLines({u"/m/a.mp3"_s, u"/m/b.mp3"_s}, {u"/m/a.mp3"_s, u"/m/b.mp3"_s});
  ASSERT_EQ(r.list.size(), 2) << "the first line is data when it is no header";
  r = ReadLines({u"\uFEFF#EXTM3U"_s, u"/m/a.mp3"_s}, {u"/m/a.mp3"_s});
  EXPECT_TRUE(r.modified) << "text before the header is a data line that is dropped";
  r = ReadLines({u"#EXTM3U"_s, u"#EXTINF:7,"_s, u"/m/a.mp3"_s}, {u"/m/a.mp3"_s});
  EXPECT_TRUE(r.modified);
  EXPECT_EQ(r.list.at(0).Title, u"a"_s);
  EXPECT_TRUE(ReadLines({u"#EXTM3U"_s}).list.empty());
}

TEST(M3uRead, CueSheetsAreExpandedAndLoseTheirExtinf) {
  bool modified = false;
  const QStringList data = CleanM3uLines({u"#EXTM3U"_s, u"#EXTINF:600,Album"_s, u"/m/album.cue"_s},
                                         [](qsizetype, const QString&) { return true; }, &modified);
  EXPECT_EQ(data, QStringList{u"/m/album.cue"_s});
  TrackList list;
  QStringList offered;
  AppendM3uEntries(data, list, [&](const QString& cue) {
    offered << cue;
    list.append({u"t1"_s, u"/m/album.wav,0,10"_s, u"0"_s, std::nullopt});
    return true;
  }, &modified);
  EXPECT_EQ(offered, QStringList{u"/m/album.cue"_s});
  EXPECT_EQ(list.size(), 1);
}

TEST(M3uWrite, EntriesWithALengthKeepTheirTitle) {
  TrackList list;
  list.append({u"Song, with comma"_s, u"/m/a.mp3"_s, u"245"_s, u"4:05"_s});
  list.append({u"radio"_s, u"http://r.example/live"_s, u"0"_s, std::nullopt});
  list.append({u"b"_s, u"/m/b.mp3"_s, std::nullopt, std::nullopt});
  EXPECT_EQ(M3uLines(list), (QStringList{u"#EXTM3U"_s, u"#EXTINF:245,Song, with comma"_s, u"/m/a.mp3"_s,
                                         u"#EXTINF:0,radio"_s, u"http://r.example/live"_s, u"/m/b.mp3"_s}));
  // What is written reads back the same.
  const Read r = ReadLines(M3uLines(list), {u"/m/a.mp3"_s, u"/m/b.mp3"_s});
  EXPECT_FALSE(r.modified);
  ASSERT_EQ(r.list.size(), 3);
  EXPECT_EQ(r.list.at(0).Title, u"Song, with comma"_s);
  EXPECT_EQ(r.list.at(0).LengthText, u"4:05"_s);
}

class CueParse : public ::testing::Test {
 protected:
  std::vector<CueBlock> Parse(const QStringList& lines) {
    return ParseCueSheet(lines, u"/discs/"_s, [this](const QString& path) {
      probed << path;
      return lengths.value(path, 0);
    });
  }
  QMap<QString, int> lengths;
  QStringList probed;
};

TEST_F(CueParse, TracksEndWhereTheNextStartsAndFramesAreDropped) {
  // The audio file is looked for beside the sheet; only existing files are probed.
  lengths[u"/discs/album.wav"_s] = 600;
  const std::vector<CueBlock> none = Parse({u"FILE \"album.wav\" WAVE"_s, u"TRACK 01 AUDIO"_s});
  EXPECT_TRUE(none.empty()) << "no such file on disk";
  EXPECT_TRUE(probed.isEmpty());
}

TEST(CueSheetFile, BlocksTitlesAndOrderFromARealSheet) {
  QTemporaryDir dir;
  const QString album = dir.filePath(u"album.wav"_s), second = dir.filePath(u"two.wav"_s);
  for (const QString& p : {album, second}) {
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
  }
  const QStringList lines = {
      u"REM GENRE Test"_s,
      u"PERFORMER \"The Band\""_s,
      u"FILE \"album.wav\" WAVE"_s,
      u"TRACK 02 AUDIO"_s, u"TITLE \"Second\""_s, u"INDEX 00 03:08:00"_s, u"INDEX 01 03:10:74"_s,
      u"TRACK 01 AUDIO"_s, u"TITLE \"First\""_s, u"PERFORMER \"Guest\""_s, u"INDEX 01 00:00:00"_s,
      u"TRACK 04 AUDIO"_s,  // no INDEX 01: starts at 0
      u"track 03 audio"_s, u"index 01 07:02:00"_s,
      u"FILE \""_s + second + u"\" WAVE"_s,  // after an INDEX: a new block; its path is used as it is
      u"TRACK 01 AUDIO"_s, u"INDEX 01 00:00:00"_s,
      u"TRACK 02 AUDIO"_s, u"INDEX 01 01:00:00"_s};
  const QMap<QString, int> lengths{{album, 600}, {second, 100}};
  const std::vector<CueBlock> blocks = ParseCueSheet(lines, dir.path() + u'/',
                                                     [&](const QString& p) { return lengths.value(p); });
  ASSERT_EQ(blocks.size(), 2u);
  const std::vector<CueTrack>& a = blocks[0].tracks;
  ASSERT_EQ(a.size(), 4u);
  EXPECT_EQ(a[0].title, u"Guest - First"_s);
  EXPECT_EQ(a[1].title, u"The Band - Second"_s);
  EXPECT_EQ(a[2].title, u"The Band - album 4"_s) << "untitled: file name and place in the sheet's block";
  EXPECT_EQ(a[3].title, u"The Band - album 3"_s);
  EXPECT_EQ(CueTrackReference(blocks[0].audioPath, a[0].start, a[0].end), album + u",0,190"_s);
  EXPECT_EQ(a[1].start, 190) << "frames are dropped, not rounded";
  EXPECT_EQ(a[1].end, 422);
  EXPECT_EQ(a[2].start, 422);
  EXPECT_EQ(a[2].end, 0) << "the next track has no INDEX 01 and starts at 0";
  EXPECT_EQ(a[3].end, 600);
  const std::vector<CueTrack>& b = blocks[1].tracks;
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[1].end, 100) << "each block ends at its own file's length";
  EXPECT_EQ(b[0].title, u"The Band - two 1"_s);
}

TEST(CueSheetFile, UnquotedOrMissingFilesYieldNothing) {
  const auto never = [](const QString&) { return 0; };
  EXPECT_TRUE(ParseCueSheet({u"FILE album.wav WAVE"_s, u"TRACK 01 AUDIO"_s, u"INDEX 01 00:00:00"_s},
                            u"/nowhere/"_s, never).empty());
  EXPECT_TRUE(ParseCueSheet({u"TRACK 01 AUDIO"_s, u"INDEX 01 00:00:00"_s}, u"/nowhere/"_s, never).empty());
  EXPECT_TRUE(ParseCueSheet({}, u"/nowhere/"_s, never).empty());
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

TEST(ListLocations, RelativeAndWindowsEntriesNameFilesBesideTheList) {
  const struct {
    const char* line;
    const char* resolved;
  } cases[] = {
      {"song.mp3", "/lists/song.mp3"},
      {"  Music\\Song.mp3\t", "/lists/Music/Song.mp3"},
      {"sub/song.ogg", "/lists/sub/song.ogg"},
      {"/abs/song.mp3", "/abs/song.mp3"},
      {"http://host/live", "http://host/live"},
      {"#EXTINF:10,a\\b", "#EXTINF:10,a\\b"},
      {"album.wav,0,190", "album.wav,0,190"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveListLocation(QString::fromUtf8(c.line), u"/lists/"_s), QString::fromUtf8(c.resolved)) << c.line;
}

TEST(CueSheetFile, FileNamesAreFoundBesideTheSheetAsWindowsWroteThem) {
  QTemporaryDir dir;
  const QString folder = dir.path() + u'/';
  ASSERT_TRUE(QDir(folder).mkdir(u"disc1"_s));
  for (const QString& name : {u"album.wav"_s, u"disc1/track.wav"_s}) {
    QFile f(folder + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const struct {
    QString name, found;
  } cases[] = {
      {u"album.wav"_s, folder + u"album.wav"_s},
      {u"ALBUM.WAV"_s, folder + u"album.wav"_s},
      {u"C:\\Rips\\Album.Wav"_s, folder + u"album.wav"_s},
      {u"disc1\\track.wav"_s, folder + u"disc1/track.wav"_s},
      {folder + u"disc1/track.wav"_s, folder + u"disc1/track.wav"_s},
  };
  for (const auto& c : cases) EXPECT_EQ(CueAudioPath(c.name, folder), c.found) << c.name.toStdString();
  // Resolved against the sheet's folder, never the process's current one.
  ASSERT_TRUE(QDir::setCurrent(QDir::tempPath()));
  const std::vector<CueBlock> blocks = ParseCueSheet(
      {u"FILE \"disc1\\track.wav\" WAVE"_s, u"TRACK 01 AUDIO"_s, u"INDEX 01 00:00:00"_s}, folder,
      [](const QString&) { return 60; });
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].audioPath, folder + u"disc1/track.wav"_s);
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST(Titles, HoldNothingAListFileWouldLoseOnTheWayBack) {
  const struct {
    QString text, title;
  } cases[] = {
      {u"  plain  "_s, u"plain"_s},
      {u"tail\u0001\u0000"_s, u"tail"_s},
      {u"\u00a0nbsp\u3000"_s, u"nbsp"_s},
      {u"two\r\nlines"_s, u"two  lines"_s},
      {u"inner\u0001kept"_s, u"inner\u0001kept"_s},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TitleText(c.text), c.title);
    TrackList list;
    list.append({TitleText(c.text), u"http://host/x"_s, u"5"_s, u"0:05"_s});
    TrackList back;
    bool modified = false;
    AppendM3uEntries(CleanM3uLines(M3uLines(list), [](qsizetype, const QString&) { return true; }, &modified),
                     back, [](const QString&) { return false; }, &modified);
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back.at(0).Title, c.title) << "written and read back";
  }
  EXPECT_EQ(TitleForLocation(u"/m/song\u0001.mp3"_s), u"song"_s);
  EXPECT_EQ(TitleForLocation(u"http://h/live \u0001"_s), u"http://h/live"_s) << "an address is its own title";
}

}  // namespace
}  // namespace lirra
