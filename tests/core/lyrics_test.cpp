// Lyrics: the LRC format read and written, where a track's lyrics are looked for (and
// fetched), the line in the title at its time, and timing by taps on the title.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "fake_tags.h"
#include "lrc_format.h"
#include "paths.h"
#include "player_fixture.h"
#include "textfile.h"

namespace lirra {
namespace {

TEST(LrcFormat, ReadsTimedLinesInTimeOrderThenUntimedLinesAndKeepsTheHeader) {
  struct Case {
    const char* what;
    QStringList lines;
    std::vector<int> times;
    QStringList texts;
    QStringList header;
    bool hadOffset = false;
  };
  const Case cases[] = {
      {"two time tags on one line", {u"[00:12.34][01:05.00]Hello"_s}, {123, 650}, {u"Hello"_s, u"Hello"_s}, {}},
      {"the offset comes off every time and is not kept",
       {u"[offset:500]"_s, u"[00:10.0]a"_s, u"[00:20.9]b"_s}, {95, 204}, {u"a"_s, u"b"_s}, {}, true},
      {"a later offset wins; not a number counts as 0", {u"[offset:300]"_s, u"[OFFSET:x]"_s, u"[00:01.0]a"_s},
       {10}, {u"a"_s}, {}, true},
      {"tag lines go to the header", {u"[ti:Song]"_s, u"[ar:Me]"_s, u"[00:01.00]x"_s}, {10}, {u"x"_s},
       {u"[ti:Song]"_s, u"[ar:Me]"_s}},
      {"a line ending in ] is a tag line", {u"[00:05.00]text]"_s}, {}, {}, {u"[00:05.00]text]"_s}},
      {"plain text: untimed lines in file order", {u"one"_s, u""_s, u"two"_s}, {}, {u"one"_s, u"two"_s}, {}},
      {"sorted by time, then the untimed", {u"[00:20.0]b"_s, u"free"_s, u"[00:10.0]a"_s}, {100, 200},
       {u"a"_s, u"b"_s, u"free"_s}, {}},
      {"equal times by text, case aside", {u"[00:10]b"_s, u"[00:10]A"_s}, {100, 100}, {u"A"_s, u"b"_s}, {}},
      {"a colon before the fraction; spaces trimmed", {u"  [00:01:50]x \t"_s}, {15}, {u"x"_s}, {}},
      {"a word in brackets is text, bracket and all", {u"[chorus] la"_s}, {}, {u"[chorus] la"_s}, {}},
      {"a one-digit minute is no time", {u"[1:05.00]x"_s}, {}, {u"[1:05.00]x"_s}, {}},
      {"100 minutes and more, as written", {u"[100:00.5]late"_s, u"[123:45.60]later"_s}, {60005, 74256},
       {u"late"_s, u"later"_s}, {}},
      {"a time, then a word in brackets", {u"[00:03.0][Me] hi"_s}, {30}, {u"[Me] hi"_s}, {}},
  };
  for (const Case& c : cases) {
    const LyricTable t = ParseLyrics(c.lines, [](const QString& a, const QString& b) {
      return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(t.times, c.times) << c.what;
    EXPECT_EQ(t.texts, c.texts) << c.what;
    EXPECT_EQ(t.header, c.header) << c.what;
    EXPECT_EQ(t.hadOffset, c.hadOffset) << c.what;
  }
}

TEST(LrcFormat, WritesTheHeaderThenOneTagPerLineWithWholeMinutesThenTheUntimed) {
  const LyricTable t = ParseLyrics({u"[ti:Song]"_s, u"[offset:-1000]"_s, u"[00:01.0][61:05.0]Both"_s, u"loose"_s});
  EXPECT_EQ(FormatLyrics(t),
            (QStringList{u"[ti:Song]"_s, u"[00:02.0]Both"_s, u"[61:06.0]Both"_s, u"loose"_s}));
  EXPECT_EQ(FormatLyrics(ParseLyrics({u"[100:02.5]long"_s})), QStringList{u"[100:02.5]long"_s}) << "read back as written";
  EXPECT_EQ(FormatLyrics(ParseLyrics({u"[chorus] la"_s, u"[00:01.0][Me] hi"_s})),
            (QStringList{u"[00:01.0][Me] hi"_s, u"[chorus] la"_s}))
      << "brackets that are no time are kept";
  EXPECT_EQ(FormatLyrics(ParseLyrics({u"[offset:2000]"_s, u"[00:01.0]early"_s})), QStringList{u"[00:00.0]early"_s})
      << "a line the offset moved before the start is written at 0";
}

TEST(LrcFormat, WordTimingMarksAreNotShown) {
  EXPECT_EQ(ShownLyricText(u"<00:01.00> one <00:01.50> two"_s), u"one two"_s);
  EXPECT_EQ(ShownLyricText(u"a <b> c"_s), u"a <b> c"_s);
}

TEST(LrcFormat, ANameFromTagsNeverLeavesTheLyricsFolder) {
  const struct {
    QString artist, title, name;
  } cases[] = {
      {u"AC/DC"_s, u"T.N.T."_s, u"AC_DC - T.N.T..lrc"_s},
      {u".."_s, u"../../etc/passwd"_s, u".. - .._.._etc_passwd.lrc"_s},
      {u"A\\B"_s, u"line\nbreak\u0001"_s, u"A_B - line_break_.lrc"_s},
  };
  for (const auto& c : cases) EXPECT_EQ(LyricFileName(c.artist, c.title), c.name);
  const QString longName = LyricFileName(QString(200, u'歌'), u"t"_s);
  EXPECT_LE(longName.toUtf8().size(), 255);
  EXPECT_TRUE(longName.endsWith(u"歌.lrc"_s));
}

class LyricsTest : public PlayerTest {
 protected:
  // A list of one entry, its audio file in the app folder with `lyrics` beside it, played.
  void PlayWith(const QByteArray& lyrics, const QString& title = u"song"_s) {
    const QString audio = MakeFile(u"song.mp3"_s);
    if (!lyrics.isNull()) writeBytes(u"song.lrc"_s, lyrics);
    dlopen((appDir_ + u"libbass.so"_s).toUtf8().constData(), RTLD_NOW);  // the engine's script, set early
    Engine().lengthBytes = 176400ull * 300;                               // five minutes
    writeBytes(u"songs.m3u"_s, ("#EXTM3U\r\n#EXTINF:300," + title + "\r\n" + audio + "\r\n").toUtf8());
    Start({appDir_ + u"songs.m3u"_s});
    player_.FormActivate();
    ASSERT_FALSE(player_.state().ListShown);
  }
  // A tag reader in the app folder, loaded here first so that its answers can be set
  // before the player binds it (the player's load finds the same library).
  FakeTagsScript& WithTags(const char* artist, const char* title) {
    QDir().mkpath(appDir_ + u"Plugins"_s);
    const QString path = appDir_ + u"Plugins/libtags.so"_s;
    EXPECT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_tags.so"), path));
    dlopen(path.toUtf8().constData(), RTLD_NOW);
    FakeTagsScript& tags = FakeScript<FakeTagsScript>(u"Plugins/libtags.so"_s, "FakeTags_Script");
    tags.artist = artist;
    tags.title = title;
    return tags;
  }
  // Plays on to `tenths` of a second: a whole second of ticks, the last at that time.
  void PlayTo(int tenths) {
    Engine().positionBytes = static_cast<uint64_t>(tenths) * 17640;
    for (int i = 0; i < 10; ++i) player_.Timer1Timer();
  }
  QString Title() { return shell_.captions[ControlId::lbTitle]; }
  void RightClickTitle() { player_.VisPanelMouseUp(ControlId::lbTitle, PointerButton::Right, {40, -6}); }
  void LeftClickTitle() { player_.VisPanelMouseUp(ControlId::lbTitle, PointerButton::Left, {40, -6}); }
  LyricsState& Lyrics() { return player_.context().lyrics; }
  QStringList FileLines(const QString& name) { return ReadTextLines(appDir_ + name).lines; }
};

TEST_F(LyricsTest, LyricsAreLookedForInOrderFirstHitWins) {
  WithTags("Me", "Tagged");
  QDir().mkpath(appDir_ + u"Plugins/Lyrics"_s);
  const QString byLocation = u"song.lrc"_s, byTitle = u"song title.lrc"_s, byTagsHere = u"Me - Tagged.lrc"_s,
                inFolder = u"Plugins/Lyrics/Me - Tagged.lrc"_s, byTagTitle = u"Tagged.lrc"_s;
  const struct {
    QStringList present;
    QString found;  // empty: none
  } cases[] = {
      {{byLocation, byTitle, byTagsHere, inFolder, byTagTitle}, byLocation},
      {{byTitle, byTagsHere, inFolder, byTagTitle}, byTitle},
      {{byTagsHere, inFolder, byTagTitle}, byTagsHere},
      {{inFolder, byTagTitle}, inFolder},
      {{byTagTitle}, byTagTitle},
      {{}, {}},
  };
  PlayWith({}, u"song title"_s);
  for (const auto& c : cases) {
    for (const QString& name : {byLocation, byTitle, byTagsHere, inFolder, byTagTitle}) QFile::remove(appDir_ + name);
    for (const QString& name : c.present) writeBytes(name, ("[00:01.0]" + name + "\r\n").toUtf8());
    player_.lbNextRightUp();
    player_.pmPlayClick();
    EXPECT_EQ(Lyrics().table.texts, c.found.isEmpty() ? QStringList() : QStringList{c.found}) << c.present.join(u',').toStdString();
  }
}

// Titles (a list's, a tag's) made into file names keep to the track's folder: "AC/DC" is
// looked for as "AC_DC.lrc", never in a sub-folder "AC".
TEST_F(LyricsTest, TitlesMadeIntoFileNamesStayInTheTracksFolder) {
  WithTags("", "AC/DC");
  QDir().mkpath(appDir_ + u"AC"_s);
  QDir().mkpath(appDir_ + u"sub"_s);
  PlayWith({}, u"sub/inner"_s);
  const struct {
    QString present;
    bool found;
  } cases[] = {{u"sub/inner.lrc"_s, false}, {u"sub_inner.lrc"_s, true}, {u"AC/DC.lrc"_s, false}, {u"AC_DC.lrc"_s, true}};
  for (const auto& c : cases) {
    writeBytes(c.present, "[00:01.0]here\r\n");
    player_.lbNextRightUp();
    player_.pmPlayClick();
    EXPECT_EQ(Lyrics().table.texts, c.found ? QStringList{u"here"_s} : QStringList()) << c.present.toStdString();
    QFile::remove(appDir_ + c.present);
  }
}

TEST_F(LyricsTest, TheFetcherRunsOnceAndItsFileIsPickedUpOnALaterTick) {
  WithTags("AC/DC", "Song");
  QStringList started;
  player_.context().startProgram = [&](const QString& program, const QStringList& args) {
    started << program << args;
  };
  writeBytes(u"Plugins/GetLRC"_s, "#!/bin/sh\n");
  PlayWith({});
  EXPECT_EQ(started, (QStringList{appDir_ + u"Plugins/GetLRC"_s, u"AC/DC"_s, u"Song"_s}));
  EXPECT_TRUE(QDir(appDir_ + u"Plugins/Lyrics"_s).exists());
  PlayTo(10);
  EXPECT_EQ(started.size(), 3) << "the ticks look again but never start the fetcher again";
  writeBytes(u"Plugins/Lyrics/AC_DC - Song.lrc"_s, "[00:05.0]fetched\r\n");
  PlayTo(20);
  EXPECT_EQ(Lyrics().table.texts, QStringList{u"fetched"_s});
  EXPECT_EQ(Lyrics().currentLine, 0);
}

// Without the fetcher nothing is started and nothing is said: the track plays without lyrics.
TEST_F(LyricsTest, WithoutTheFetcherTheTrackPlaysWithoutLyrics) {
  WithTags("Artist", "Song");
  int started = 0;
  player_.context().startProgram = [&](const QString&, const QStringList&) { ++started; };
  PlayWith({});
  PlayTo(20);
  EXPECT_EQ(started, 0);
  EXPECT_TRUE(shell_.messages.empty());
  EXPECT_TRUE(Lyrics().table.empty());
  EXPECT_TRUE(player_.state().Timer1On);
}

// A seek back with the progress bar finds the line of the new place, waits, and shows the
// next line at its time again.
TEST_F(LyricsTest, ASeekBackShowsTheLineOfTheNewPlace) {
  PlayWith("[00:05.0]early\r\n[00:50.0]late\r\n");
  player_.state().ActiveAtPointer = true;
  PlayTo(520);
  ASSERT_EQ(Lyrics().currentLine, 1);
  player_.lbProgressMouseUp(6, 1, 300, 4, true);  // 6 of 300 pixels: 0:06 of five minutes
  PlayTo(62);
  EXPECT_EQ(Lyrics().currentLine, 0);
  EXPECT_EQ(Title(), u"···"_s) << "a resync waits for the next line";
  PlayTo(500);
  EXPECT_TRUE(Title().startsWith(u"late"_s)) << Title().toStdString();
}

TEST_F(LyricsTest, ACueTrackLooksUnderItsTitleNotUnderTheAudioFilesName) {
  writeBytes(u"album.flac"_s, "audio");
  writeBytes(u"album.lrc"_s, "[00:01.0]the whole album\r\n");
  writeBytes(u"Track 2.lrc"_s, "[00:01.0]track two\r\n");
  player_.context().list.append({u"Track 2"_s, appDir_ + u"album.flac,100,200"_s, std::nullopt, std::nullopt});
  Start({});
  EXPECT_EQ(Lyrics().table.texts, QStringList{u"track two"_s});
}

TEST_F(LyricsTest, ALineShowsAtItsTimeAndOnesDueInTheFirstThreeSecondsAfterThem) {
  // GBK bytes of "你好" and "再见": lyrics made on Windows read unchanged.
  PlayWith("[ar:x]\r\n[00:02.0]\xC4\xE3\xBA\xC3\r\n[00:05.0]<00:05.0>mid<00:05.5>dle\r\n[00:08.0]\xD4\xD9\xBC\xFB\r\n");
  PlayTo(20);
  EXPECT_EQ(Title(), u"song"_s) << "the track's title has its first seconds";
  PlayTo(30);
  EXPECT_EQ(Title(), u"···"_s);
  PlayTo(40);
  EXPECT_EQ(Title(), u"你好··"_s) << "the first line, due at 2 s, shows once the title's time is over";
  PlayTo(50);
  EXPECT_EQ(Title(), u"middle··"_s);
  PlayTo(70);
  EXPECT_EQ(Title(), u"middle··"_s) << "a line stays until the next one";
  PlayTo(80);
  EXPECT_EQ(Title(), u"再见·"_s) << "the last line ends in one dot";
  LeftClickTitle();
  EXPECT_EQ(Title(), u"song"_s) << "switched off: the title again";
  EXPECT_FALSE(player_.state().ShowLyrics);
}

// Lines of one time keep their file order when they differ only in letter case; a left
// click on the title counts only when released over it.
TEST_F(LyricsTest, EqualTimesIgnoreLetterCaseAndAClickReleasedOffTheTitleDoesNothing) {
  // Letter case aside "a" comes before "B"; by character codes "B" would come first.
  PlayWith("[00:05.0]B\r\n[00:05.0]a\r\n[00:09.0]end\r\n");
  EXPECT_EQ(Lyrics().table.texts, (QStringList{u"a"_s, u"B"_s, u"end"_s}));
  const bool shown = player_.state().ShowLyrics;
  player_.VisPanelMouseUp(ControlId::lbTitle, PointerButton::Left, {40, 30});
  EXPECT_EQ(player_.state().ShowLyrics, shown) << "released below the title";
  LeftClickTitle();
  EXPECT_NE(player_.state().ShowLyrics, shown);
}

TEST_F(LyricsTest, TheTitleUnderThePointerIsLimeWithLyricsOnOrangeWithThemOff) {
  PlayWith("[00:05.0]a\r\n");
  const auto hoverColour = [&] {
    player_.VisPanelMouseMove(ControlId::lbTitle, true);
    return shell_.textColours[ControlId::lbTitle];
  };
  EXPECT_EQ(hoverColour(), MakeRgb(0, 255, 0));
  LeftClickTitle();
  EXPECT_EQ(hoverColour(), MakeRgb(255, 192, 0));
  player_.VisPanelMouseMove(ControlId::VisPanel, true);
  EXPECT_EQ(shell_.textColours[ControlId::lbTitle], std::nullopt) << "away from the title: its own colour";
  player_.VisPanelMouseMove(ControlId::lbTitle, false);
  EXPECT_EQ(shell_.textColours[ControlId::lbTitle], std::nullopt) << "the application was not active";
}

TEST_F(LyricsTest, TapsTimeAPlainTextAndTheSaveAsksFirst) {
  PlayWith("first\r\nsecond\r\nthird\r\n");
  PlayTo(30);
  RightClickTitle();
  PlayTo(30);
  EXPECT_TRUE(Lyrics().table.times.empty()) << "before 4 s a tap is ignored";
  for (int at : {45, 70}) {
    PlayTo(at);
    RightClickTitle();
    PlayTo(at);
  }
  EXPECT_EQ(Lyrics().table.times, (std::vector<int>{43, 68})) << "each tap times the next line, 2 tenths early";
  EXPECT_EQ(shell_.textColours[ControlId::lbTitle], MakeRgb(0, 255, 0)) << "tap mode shows in lime";
  shell_.answerYes = false;
  const int32_t stopsBefore = Engine().stops;
  int32_t stopsWhileAsked = -1;
  shell_.onQuestion = [&] { stopsWhileAsked = Engine().stops; };
  player_.lbNextRightUp();  // stop
  ASSERT_EQ(shell_.questions.size(), 1u);
  EXPECT_GT(stopsWhileAsked, stopsBefore) << "the sound stops before the question";
  shell_.onQuestion = nullptr;
  EXPECT_EQ(shell_.questions[0].text, u"The lyrics have been modified, save it now?"_s);
  EXPECT_EQ(FileLines(u"song.lrc"_s), (QStringList{u"first"_s, u"second"_s, u"third"_s})) << "declined";

  player_.pmPlayClick();
  PlayTo(45);
  RightClickTitle();
  PlayTo(45);
  shell_.answerYes = true;
  player_.lbNextRightUp();
  EXPECT_EQ(FileLines(u"song.lrc"_s), (QStringList{u"[00:04.3]first"_s, u"second"_s, u"third"_s}));
  EXPECT_EQ(readBytes(u"song.lrc"_s), QByteArray("[00:04.3]first\r\nsecond\r\nthird\r\n")) << "UTF-8, CR LF";
}

// Closing the window asks about tapped times like a stop; a save that fails says so, and the
// window still closes.
TEST_F(LyricsTest, TappedTimesAreAskedAboutAtCloseAndAFailedSaveIsReported) {
  PlayWith("first\r\nsecond\r\n");
  PlayTo(45);
  RightClickTitle();
  PlayTo(45);
  ASSERT_FALSE(Lyrics().change.isEmpty());
  ASSERT_TRUE(QFile::remove(appDir_ + u"song.lrc"_s) && QDir().mkdir(appDir_ + u"song.lrc"_s));  // cannot be replaced
  shell_.answerYes = true;
  EXPECT_TRUE(player_.FormCloseQuery());
  player_.FormClose();
  ASSERT_EQ(shell_.questions.size(), 1u);
  EXPECT_EQ(shell_.questions[0].text, u"The lyrics have been modified, save it now?"_s);
  ASSERT_FALSE(shell_.messages.empty()) << "the failed save said nothing";
  EXPECT_TRUE(shell_.messages.back().text.startsWith(u"The lyrics could not be saved:\n"_s)) << shell_.messages.back().text.toStdString();
}

// Plain lines keep taking taps after the display is turned off and on again, and a timed
// lyric sought past its last line takes them too.
TEST_F(LyricsTest, TapsGoOnAfterTheDisplayIsTurnedOffAndOnOrASeekPastTheLastLine) {
  PlayWith("first\r\nsecond\r\nthird\r\n");
  player_.state().ActiveAtPointer = true;
  PlayTo(45);
  RightClickTitle();
  PlayTo(45);
  LeftClickTitle();  // off
  PlayTo(50);
  LeftClickTitle();  // on again
  PlayTo(70);
  RightClickTitle();
  PlayTo(70);
  EXPECT_EQ(Lyrics().table.times, (std::vector<int>{43, 68})) << "the second line timed after the toggle";

  shell_.answerYes = false;
  player_.lbNextRightUp();
  writeBytes(u"song.lrc"_s, "[00:05.0]a\r\n[00:15.0]b\r\n");
  player_.pmPlayClick();
  PlayTo(200);
  FindLyricLineAgain(Lyrics());  // as a seek does
  PlayTo(210);
  RightClickTitle();
  PlayTo(210);
  EXPECT_EQ(Lyrics().table.times, (std::vector<int>{50, 208})) << "the last line re-stamped";
}

TEST_F(LyricsTest, ATapReStampsTheCurrentLineOrTheNextAndTheFirstLineMovesAll) {
  PlayWith("[00:05.0]a\r\n[00:15.0]b\r\n[00:25.0]c\r\n");
  PlayTo(50);
  ASSERT_EQ(Lyrics().currentLine, 0);
  struct Tap {
    int at;
    std::vector<int> times;
    const char* what;
  };
  const Tap taps[] = {
      {80, {78, 180, 280}, "re-tapping the first line 3 s late moves every line"},
      {140, {78, 138, 280}, "past half the first line's 10 s: the tap stamps the second"},
  };
  for (const Tap& t : taps) {
    PlayTo(t.at);
    RightClickTitle();
    PlayTo(t.at);
    EXPECT_EQ(Lyrics().table.times, t.times) << t.what;
  }
  EXPECT_EQ(Lyrics().change, u"1"_s);
}

TEST_F(LyricsTest, ARightClickWithTheDisplayOffOnlySwitchesItOn) {
  PlayWith("[00:05.0]a\r\n[00:15.0]b\r\n");
  LeftClickTitle();
  ASSERT_FALSE(player_.state().ShowLyrics);
  PlayTo(60);
  RightClickTitle();
  PlayTo(60);
  EXPECT_TRUE(player_.state().ShowLyrics);
  EXPECT_EQ(Lyrics().table.times, (std::vector<int>{50, 150}));
  player_.lbNextRightUp();
  EXPECT_TRUE(shell_.questions.empty()) << "nothing changed, nothing to ask";
}

TEST_F(LyricsTest, AFileWithAnOffsetIsRewrittenAtTheStopWithoutAskingOnlyInThePlayersFolder) {
  QTemporaryDir elsewhere;  // the user's music folder
  const QByteArray text = "[ti:Song]\r\n[offset:500]\r\n[00:10.0]a\r\n";
  QFile outside(elsewhere.filePath(u"away.lrc"_s));
  ASSERT_TRUE(outside.open(QIODevice::WriteOnly) && outside.write(text) == text.size());
  outside.close();
  writeBytes(u"away.mp3"_s, "audio");
  QFile::rename(appDir_ + u"away.mp3"_s, elsewhere.filePath(u"away.mp3"_s));
  PlayWith(text);
  player_.lbNextRightUp();
  EXPECT_TRUE(shell_.questions.empty());
  EXPECT_EQ(FileLines(u"song.lrc"_s), (QStringList{u"[ti:Song]"_s, u"[00:09.5]a"_s}));

  player_.context().list.append({u"away"_s, elsewhere.filePath(u"away.mp3"_s), std::nullopt, std::nullopt});
  player_.context().list.select(1);
  player_.pmPlayClick();
  ASSERT_EQ(Lyrics().table.times, std::vector<int>{95});
  player_.lbNextRightUp();
  outside.open(QIODevice::ReadOnly);
  EXPECT_EQ(outside.readAll(), text) << "a file of the user's is not rewritten by playing it";
}

TEST_F(LyricsTest, ATapWhileTheListShowsStampsOnceNotOnEveryTick) {
  PlayWith("one\r\ntwo\r\nthree\r\n");
  PlayTo(50);
  RightClickTitle();
  player_.lbMoveDblClick();  // the list
  PlayTo(60);
  EXPECT_EQ(Lyrics().table.times, (std::vector<int>{60})) << "one tap, one line timed";
}

}  // namespace
}  // namespace lirra
