// The track list's commands and the playlist library over real list files in a scratch
// app folder, with the fake engine playing.
#include <gtest/gtest.h>

#include <QDir>

#include "list_commands.h"
#include "open_filter.h"
#include "playlist_file.h"
#include "playlist_library.h"
#include "player_fixture.h"
#include "textfile.h"
#include "track_opening.h"

namespace lirra {
namespace {

class Playlists : public PlayerTest {
 protected:
  // A list file in the app folder naming new files with the given titles (in this order).
  QString MakeNamedList(const QString& name, const QStringList& titles) {
    QByteArray text = "#EXTM3U\r\n";
    for (const QString& t : titles) {
      text += "#EXTINF:10," + t.toUtf8() + "\r\n";
      text += MakeFile(t + u".mp3"_s).toUtf8() + "\r\n";
    }
    writeBytes(name + u".m3u"_s, text);
    return appDir_ + name + u".m3u"_s;
  }
  PlayerContext& Ctx() { return player_.context(); }
  PlayerState& S() { return player_.state(); }
  QStringList Titles() {
    QStringList out;
    for (int i = 0; i < Ctx().list.size(); ++i) out << Ctx().list.at(i).Title;
    return out;
  }
  QStringList ListFiles() { return QDir(appDir_).entryList({u"*.m3u"_s}, QDir::Files, QDir::Name); }
  void StartPlaying(int row) {
    Ctx().list.select(row);
    PlayCurrent(Ctx());
    ASSERT_TRUE(S().Timer1On);
  }
};

TEST_F(Playlists, StartUpPicksAListLoadsItSortedAndPlaysTheDrawnEntry) {
  MakeNamedList(u"mix"_s, {u"b"_s, u"a"_s, u"c"_s});
  Start({});
  EXPECT_EQ(S().CurrentListFile, appDir_ + u"mix.m3u"_s);
  EXPECT_EQ(Titles(), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
  EXPECT_TRUE(S().MListVisible);
  ASSERT_EQ(Ctx().library.size(), 1);
  EXPECT_EQ(Ctx().library.at(0).Name, u"mix"_s);
  EXPECT_EQ(S().CurrentListIndex, 0);
  EXPECT_TRUE(S().Timer1On) << "the entry the loader drew plays";
  EXPECT_EQ(S().PlayingIndex, S().NextIndex);
  // The file keeps its order until the list is written.
  EXPECT_TRUE(readBytes(u"mix.m3u"_s).startsWith("#EXTM3U\r\n#EXTINF:10,b\r\n"));
}

TEST_F(Playlists, AnUnusableListInTheAppFolderIsReportedAndDeletedBeforeActivation) {
  writeBytes(u"empty.m3u"_s, "#EXTM3U\r\n");
  writeBytes(u"gone.m3u"_s, "#EXTM3U\r\n/nowhere/missing.mp3\r\n");
  Start({});
  EXPECT_EQ(shell_.messages.size(), 2u);
  EXPECT_EQ(shell_.messages[0].text, u"The file is invalid,will be deleted."_s);
  EXPECT_TRUE(ListFiles().isEmpty());
  EXPECT_TRUE(S().CurrentListFile.isEmpty());
  EXPECT_FALSE(shell_.trackListVisible) << "no list: the empty-list state";
  EXPECT_EQ(shell_.captions[ControlId::lbTitle], u"Open Music Files From The Bottom"_s);
}

TEST_F(Playlists, AListFromElsewhereIsNeverDeleted) {
  QTemporaryDir elsewhere;
  const QString outside = elsewhere.filePath(u"theirs.m3u"_s);
  ASSERT_TRUE(WriteTextLines(outside, {u"#EXTM3U"_s}));
  Start({outside});
  ASSERT_EQ(shell_.messages.size(), 1u);
  EXPECT_EQ(shell_.messages[0].text, u"The file is Invalid."_s);
  EXPECT_EQ(shell_.messages[0].caption, outside);
  EXPECT_TRUE(QFileInfo::exists(outside));

  // A list opened from elsewhere that is emptied by the user keeps its file too.
  const QString song = MakeFile(u"one.mp3"_s);
  ASSERT_TRUE(WriteTextLines(outside, {u"#EXTM3U"_s, song}));
  S().CurrentListFile = outside;
  LoadCurrentList(Ctx());
  ASSERT_EQ(Ctx().list.size(), 1);
  shell_.focus = ListFocus::TrackList;
  pmDelClick(Ctx());
  EXPECT_TRUE(Ctx().list.empty());
  EXPECT_TRUE(QFileInfo::exists(outside));
}

TEST_F(Playlists, ListsMadeOnWindowsInGbkLoadAndAreWrittenBackInUtf8) {
  // "#EXTINF:10,中文" in GBK, our file, then a Windows path that does not exist here.
  const QString ascii = MakeFile(u"gbk.mp3"_s);
  const QByteArray gbk = "#EXTM3U\r\n#EXTINF:10,\xD6\xD0\xCE\xC4\r\n" + ascii.toUtf8() + "\r\nC:\\Music\\x.mp3\r\n";
  writeBytes(u"win.m3u"_s, gbk);
  Start({});
  ASSERT_EQ(Ctx().list.size(), 1);
  EXPECT_EQ(Ctx().list.at(0).Title, u"中文"_s);
  EXPECT_TRUE(S().ListModified) << "the Windows path was dropped";
  S().StartMode = 0;
  SaveCurrentList(Ctx());
  EXPECT_EQ(readBytes(u"win.m3u"_s), "#EXTM3U\r\n#EXTINF:10,中文\r\n" + ascii.toUtf8() + "\r\n");
}

TEST_F(Playlists, AddingSkipsKnownPathsButKeepsRepeatsWithinOneBatch) {
  Start({});
  const QString a = MakeFile(u"a.mp3"_s), b = MakeFile(u"b.mp3"_s);
  AddFiles(Ctx(), {b, a, appDir_ + u"other.m3u"_s});
  EXPECT_EQ(Titles(), (QStringList{u"a"_s, u"b"_s}));
  EXPECT_EQ(S().CurrentListFile, appDir_ + u"newlist1.m3u"_s) << "the first add names a new list";
  EXPECT_EQ(readBytes(u"newlist1.m3u"_s), ("#EXTM3U\r\n" + a + "\r\n" + b + "\r\n").toUtf8());
  ASSERT_EQ(Ctx().library.size(), 1);
  EXPECT_EQ(Ctx().library.at(0).Name, u"newlist1"_s);

  AddFiles(Ctx(), {a, b});
  EXPECT_EQ(Ctx().list.size(), 2) << "already listed";
  const QString c = MakeFile(u"c.mp3"_s);
  AddFiles(Ctx(), {c, c});
  EXPECT_EQ(Ctx().list.size(), 4) << "repeats within one batch are both appended";
}

TEST_F(Playlists, DeletingThePlayingEntryPlaysTheOneInItsPlace) {
  MakeNamedList(u"mix"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s});
  Start({});
  StartPlaying(1);  // b
  shell_.focus = ListFocus::TrackList;
  Ctx().list.select(1);
  pmDelClick(Ctx());
  EXPECT_EQ(Titles(), (QStringList{u"a"_s, u"c"_s, u"d"_s}));
  EXPECT_TRUE(S().Timer1On);
  EXPECT_EQ(S().PlayingIndex, 1);
  EXPECT_EQ(QString::fromUtf8(Engine().lastPath), appDir_ + u"c.mp3"_s);
  EXPECT_FALSE(readBytes(u"mix.m3u"_s).contains("b.mp3")) << "written at once";

  // The last entry playing and deleted: the new last one plays.
  StartPlaying(2);
  Ctx().list.select(2);
  pmDelClick(Ctx());
  EXPECT_EQ(S().PlayingIndex, 1);
  EXPECT_EQ(QString::fromUtf8(Engine().lastPath), appDir_ + u"c.mp3"_s);

  // Deleting above the playing entry keeps it playing.
  const int opens = Engine().streamOpens;
  Ctx().list.select(0);
  pmDelClick(Ctx());
  EXPECT_EQ(Titles(), QStringList{u"c"_s});
  EXPECT_EQ(S().PlayingIndex, 0);
  EXPECT_EQ(Engine().streamOpens, opens) << "nothing reopened";
}

TEST_F(Playlists, EmptyingTheListDeletesItsFileAndHandsOverToTheLibrary) {
  MakeNamedList(u"one"_s, {u"a"_s});
  MakeNamedList(u"two"_s, {u"b"_s, u"c"_s});
  S().CurrentListFile.clear();
  Start({});
  // Make "one" current and play it, then clear it with a right click.
  SelectLibraryRow(Ctx(), Ctx().library.findName(u"one"_s));
  ASSERT_EQ(Titles(), QStringList{u"a"_s});
  StartPlaying(0);
  MListMouseUp(Ctx());
  EXPECT_TRUE(Ctx().list.empty());
  EXPECT_FALSE(S().Timer1On);
  EXPECT_EQ(ListFiles(), QStringList{u"two.m3u"_s});
  EXPECT_TRUE(S().CurrentListFile.isEmpty());
  EXPECT_EQ(shell_.focus, ListFocus::Library);
  EXPECT_TRUE(S().LibraryPanelShown);
  EXPECT_EQ(Ctx().library.size(), 2) << "the row stays, without a file";

  // Adding refills that row's list under its own name.
  AddFiles(Ctx(), {MakeFile(u"z.mp3"_s)});
  EXPECT_EQ(S().CurrentListFile, appDir_ + u"one.m3u"_s);
  EXPECT_TRUE(QFileInfo::exists(appDir_ + u"one.m3u"_s));
}

TEST_F(Playlists, TheLastListEmptiedLeavesTheEmptyListState) {
  MakeNamedList(u"only"_s, {u"a"_s});
  Start({});
  shell_.focus = ListFocus::TrackList;
  pmDelClick(Ctx());
  EXPECT_TRUE(ListFiles().isEmpty());
  EXPECT_FALSE(S().MListVisible);
  EXPECT_EQ(S().CurrentListIndex, -1);
}

TEST_F(Playlists, LibraryNewRenameDeleteAndSwitchWhilePlaying) {
  MakeNamedList(u"alpha"_s, {u"a1"_s, u"a2"_s});
  MakeNamedList(u"beta"_s, {u"b1"_s});
  Start({});
  SelectLibraryRow(Ctx(), Ctx().library.findName(u"alpha"_s));
  StartPlaying(0);

  // The button first opens the panel, then makes one new row however often it is pressed.
  sbNewlistClick(Ctx());
  EXPECT_TRUE(shell_.libraryPanelVisible);
  EXPECT_EQ(shell_.hints[ControlId::sbNewlist], u"New Playlist"_s);
  sbNewlistClick(Ctx());
  sbNewlistClick(Ctx());
  EXPECT_EQ(Ctx().library.size(), 3);
  EXPECT_FALSE(S().Timer1On) << "a new list stops what played";
  EXPECT_TRUE(Ctx().list.empty());
  EXPECT_EQ(ListFiles().size(), 2) << "no file until something is added";

  // Switching to a list while playing plays the loader's choice.
  SelectLibraryRow(Ctx(), Ctx().library.findName(u"beta"_s));
  StartPlaying(0);
  SelectLibraryRow(Ctx(), Ctx().library.findName(u"alpha"_s));
  EXPECT_TRUE(S().Timer1On);
  EXPECT_TRUE(QString::fromUtf8(Engine().lastPath).contains(u"/a"_s));

  // Renaming renames the file and keeps the list current; names reaching outside the
  // folder, empty names and names in use are refused.
  const int alpha = Ctx().library.findName(u"alpha"_s);
  S().MListVisible = true;
  shell_.libraryScrolledTo = -1;
  EXPECT_FALSE(ListView1Edited(Ctx(), alpha, u"../escape"_s));
  EXPECT_EQ(shell_.libraryScrolledTo, Ctx().library.selected) << "the library's selection is brought into view";
  EXPECT_FALSE(ListView1Edited(Ctx(), alpha, u".."_s));
  EXPECT_FALSE(ListView1Edited(Ctx(), alpha, u"  "_s));
  EXPECT_FALSE(ListView1Edited(Ctx(), alpha, u"beta"_s));
  EXPECT_TRUE(ListView1Edited(Ctx(), alpha, u"  gamma "_s));
  EXPECT_EQ(S().CurrentListFile, appDir_ + u"gamma.m3u"_s);
  EXPECT_TRUE(ListFiles().contains(u"gamma.m3u"_s));
  EXPECT_FALSE(ListFiles().contains(u"alpha.m3u"_s));

  // Deleting the current list loads its neighbour and keeps playing.
  Ctx().library.selected = Ctx().library.findName(u"gamma"_s);
  shell_.focus = ListFocus::Library;
  pmDelClick(Ctx());
  EXPECT_FALSE(ListFiles().contains(u"gamma.m3u"_s));
  EXPECT_EQ(Ctx().library.size(), 2);
}

TEST_F(Playlists, ImportingCopiesIntoTheFolderUnderAFreeName) {
  MakeNamedList(u"mix"_s, {u"a"_s});
  Start({});
  QTemporaryDir elsewhere;
  const QString song = MakeFile(u"z.mp3"_s);
  const QString outside = elsewhere.filePath(u"mix.m3u"_s);
  ASSERT_TRUE(WriteTextLines(outside, {u"#EXTM3U"_s, song}));
  shell_.filesToOpen = QStringList{outside};
  sbAddClick(Ctx());
  EXPECT_EQ(S().CurrentListFile, appDir_ + u"mix2.m3u"_s);
  EXPECT_EQ(Titles(), QStringList{u"z"_s});
  EXPECT_TRUE(QFileInfo::exists(appDir_ + u"mix.m3u"_s)) << "the list of that name stays";
  EXPECT_EQ(Ctx().library.at(Ctx().library.selected).Name, u"mix2"_s);
  EXPECT_EQ(S().OpenDir, elsewhere.path());
  EXPECT_TRUE(S().SettingsDirty);

  // Importing it once more takes the next free name; choosing the current list does nothing.
  sbAddClick(Ctx());
  EXPECT_EQ(S().CurrentListFile, appDir_ + u"mix3.m3u"_s);
  shell_.filesToOpen = QStringList{S().CurrentListFile};
  const int rows = Ctx().library.size();
  sbAddClick(Ctx());
  EXPECT_EQ(Ctx().library.size(), rows);
}

TEST_F(Playlists, EditingATitleResortsAndThePlayingEntryIsFollowed) {
  MakeNamedList(u"mix"_s, {u"a"_s, u"b"_s, u"c"_s});
  Start({});
  StartPlaying(0);  // a
  MListEditing(Ctx());
  EXPECT_FALSE(shell_.editShortcuts);
  EXPECT_TRUE(S().InPlaceEditing);
  EXPECT_FALSE(MListEdited(Ctx(), 0, u"   "_s)) << "an empty title is refused";
  EXPECT_TRUE(shell_.editShortcuts) << "the shortcuts come back after an edit";
  EXPECT_EQ(Titles(), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
  MListEditing(Ctx());
  EXPECT_TRUE(MListEdited(Ctx(), 0, u"zz"_s));
  EXPECT_EQ(Titles(), (QStringList{u"b"_s, u"c"_s, u"zz"_s}));
  EXPECT_EQ(S().PlayingIndex, 2);
  EXPECT_EQ(shell_.windowTitle, u"zz"_s);
  EXPECT_TRUE(S().ListModified);
  EXPECT_FALSE(S().InPlaceEditing);
  // Select all is refused while editing.
  MListEditing(Ctx());
  Ctx().list.clearSelection();
  pmSelAllClick(Ctx());
  EXPECT_TRUE(Ctx().list.selection().empty());
}

TEST_F(Playlists, TheFolderDialogAddsOnlyTheFolderItselfAndEndsASingleFileRun) {
  const QString song = MakeFile(u"alone.mp3"_s);
  Start({song});
  ASSERT_EQ(S().StartMode, 2);
  QDir(appDir_).mkpath(u"music/sub"_s);
  writeBytes(u"music/one.mp3"_s, "x");
  writeBytes(u"music/Two.WAV"_s, "x");
  writeBytes(u"music/notes.txt"_s, "x");
  writeBytes(u"music/sub/deep.mp3"_s, "x");
  const QStringList found = MediaFilesIn(appDir_ + u"music"_s, S().MediaMask);
  EXPECT_EQ(found, (QStringList{u"one.mp3"_s, u"Two.WAV"_s}));
  AddFromFolderDialog(Ctx(), appDir_ + u"music"_s, found);
  EXPECT_EQ(S().StartMode, 0);
  EXPECT_TRUE(S().SettingsDirty);
  EXPECT_EQ(Ctx().list.size(), 3);
  EXPECT_FALSE(S().CurrentListFile.isEmpty()) << "the run became a normal one with a list file";
  EXPECT_TRUE(QFileInfo::exists(S().CurrentListFile));
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(Playlists, AGbkCueSheetBecomesTracksOnceHoweverOftenItIsAdded) {
  Start({});
  Engine().lengthBytes = 176400ull * 600;  // the audio file lasts 10 minutes
  MakeFile(u"album.wav"_s);
  // PERFORMER "中文" and TITLE "第一" in GBK.
  writeBytes(u"album.cue"_s,
             "PERFORMER \"\xD6\xD0\xCE\xC4\"\r\nFILE \"album.wav\" WAVE\r\n"
             "  TRACK 01 AUDIO\r\n    TITLE \"\xB5\xDA\xD2\xBB\"\r\n    INDEX 01 00:00:00\r\n"
             "  TRACK 02 AUDIO\r\n    INDEX 01 03:10:40\r\n");
  AddFiles(Ctx(), {appDir_ + u"album.cue"_s});
  ASSERT_EQ(Ctx().list.size(), 2);
  EXPECT_EQ(Ctx().list.size(), 2);
  EXPECT_GE(Ctx().list.findByLocation(appDir_ + u"album.wav,0,190"_s), 0);
  EXPECT_TRUE(Titles().contains(u"中文 - 第一"_s));
  EXPECT_TRUE(Titles().contains(u"中文 - album 2"_s));
  EXPECT_TRUE(S().MListVisible) << "a batch of only a cue sheet shows the list";
  EXPECT_TRUE(QFileInfo::exists(S().CurrentListFile)) << "and writes it";
  EXPECT_GE(Ctx().list.findByLocation(appDir_ + u"album.wav,190,600"_s), 0);
  EXPECT_EQ(Ctx().list.at(0).LengthSeconds, u"0"_s);
  AddFiles(Ctx(), {appDir_ + u"album.wav"_s, appDir_ + u"album.cue"_s});
  EXPECT_EQ(Ctx().list.size(), 2) << "no duplicates, and the sheet's audio file not once more whole";
  // A sheet whose audio is missing is an ordinary entry.
  writeBytes(u"lost.cue"_s, "FILE \"nothere.wav\" WAVE\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\n");
  AddFiles(Ctx(), {appDir_ + u"lost.cue"_s});
  EXPECT_GE(Ctx().list.findByLocation(appDir_ + u"lost.cue"_s), 0);
}

TEST_F(Playlists, AnUnusableListMetAfterActivationIsRemovedFromTheLibrary) {
  MakeNamedList(u"good"_s, {u"a"_s});
  Start({});
  player_.FormActivate();
  writeBytes(u"bad.m3u"_s, "#EXTM3U\r\n");
  ScanListFolder(Ctx());  // keeps the current list; the library now shows both lists
  ASSERT_EQ(Ctx().library.size(), 2);
  shell_.focus = ListFocus::Library;
  SelectLibraryRow(Ctx(), Ctx().library.findName(u"bad"_s));
  EXPECT_EQ(shell_.messages.back().text, u"The file is invalid,will be deleted."_s);
  EXPECT_EQ(ListFiles(), QStringList{u"good.m3u"_s});
  ASSERT_EQ(Ctx().library.size(), 1);
  EXPECT_EQ(S().CurrentListFile, appDir_ + u"good.m3u"_s) << "the neighbouring list is loaded";
  EXPECT_EQ(Titles(), QStringList{u"a"_s});
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

// A list given on the command line belongs to the user: playing it (which learns lengths,
// drops missing files and removes entries that fail to open) never rewrites it; an edit
// does, and keeps what playing set aside and the entries it named relative.
TEST_F(Playlists, AListFromElsewhereIsWrittenOnlyWhenTheUserEditsIt) {
  MakeNamedList(u"Demo"_s, {u"tune"_s});
  QTemporaryDir elsewhere;
  QDir(elsewhere.path()).mkdir(u"Music"_s);
  const auto touch = [&](const QString& name) {
    QFile f(elsewhere.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    return elsewhere.filePath(name);
  };
  const QString unplugged = touch(u"unplugged.mp3"_s);
  touch(u"Music/rel.mp3"_s);
  const QString outside = elsewhere.filePath(u"theirs.m3u"_s);
  const QByteArray theirs = "#EXTM3U\r\n#EXTVLCOPT:no-video\r\n#EXTINF:99,zed\r\n" + touch(u"zed.mp3"_s).toUtf8() +
                            "\r\n#EXTINF:5,gone\r\nmissing.mp3\r\nMusic/rel.mp3\r\n" + unplugged.toUtf8() + "\r\n";
  {
    QFile f(outside);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(theirs);
  }
  Start({outside});
  ASSERT_EQ(Ctx().list.size(), 3);
  QFile::remove(unplugged);
  StartPlaying(Ctx().list.findByLocation(unplugged));
  EXPECT_EQ(Ctx().list.size(), 2) << "the entry that failed leaves the list in memory";
  Tick(10);
  EXPECT_TRUE(player_.FormCloseQuery());
  QFile read(outside);
  ASSERT_TRUE(read.open(QIODevice::ReadOnly));
  EXPECT_EQ(read.readAll(), theirs) << "nothing playing learned or dropped is written";
  read.close();

  // An add is an edit: the list is written (whole), and the library's own row keeps its
  // name and file.
  AddFiles(Ctx(), {MakeFile(u"new.mp3"_s)});
  ASSERT_TRUE(read.open(QIODevice::ReadOnly));
  const QStringList written = QString::fromUtf8(read.readAll()).split(u"\r\n"_s);
  for (const QString& line : {u"Music/rel.mp3"_s, u"#EXTINF:5,gone"_s, u"missing.mp3"_s, unplugged, appDir_ + u"new.mp3"_s})
    EXPECT_TRUE(written.contains(line)) << line.toStdString() << " in " << written.join(u'|').toStdString();
  const int demo = Ctx().library.findName(u"Demo"_s);
  ASSERT_GE(demo, 0);
  EXPECT_EQ(Ctx().library.at(demo).File, appDir_ + u"Demo.m3u"_s);
  EXPECT_EQ(Ctx().library.findFile(outside), -1);
}

// A portable folder moves whole: what the list named beside itself it names so again.
TEST_F(Playlists, EntriesNamedRelativeStayRelativeWhenTheListIsWritten) {
  QDir(appDir_).mkdir(u"Music"_s);
  MakeFile(u"Music/first.wav"_s);
  writeBytes(u"Demo.m3u"_s, "#EXTM3U\r\nMusic/first.wav\r\n" + MakeFile(u"abs.mp3"_s).toUtf8() + "\r\n");
  Start({});
  AddFiles(Ctx(), {MakeFile(u"Music/added.mp3"_s)});
  const QList<QByteArray> lines = readBytes(u"Demo.m3u"_s).split('\n');
  EXPECT_TRUE(lines.contains("Music/first.wav\r"));
  EXPECT_TRUE(lines.contains((appDir_ + u"abs.mp3\r"_s).toUtf8())) << "absolute entries stay absolute";
  EXPECT_TRUE(lines.contains((appDir_ + u"Music/added.mp3\r"_s).toUtf8()));
}

TEST_F(Playlists, AnUnusableListDeletesItsOwnFileNotTheSelectedRow) {
  MakeNamedList(u"good"_s, {u"a"_s});
  Start({});
  player_.FormActivate();
  writeBytes(u"bad.m3u"_s, "#EXTM3U\r\n");
  Ctx().library.insert({u"bad"_s, appDir_ + u"bad.m3u"_s}, Ctx().collator());
  Ctx().library.selected = Ctx().library.findName(u"good"_s);
  shell_.focus = ListFocus::Library;
  S().CurrentListFile = appDir_ + u"bad.m3u"_s;  // as the schedule's switch would load it
  LoadCurrentList(Ctx());
  EXPECT_EQ(ListFiles(), QStringList{u"good.m3u"_s});
  EXPECT_EQ(Ctx().library.findName(u"bad"_s), -1);
  EXPECT_EQ(S().CurrentListFile, appDir_ + u"good.m3u"_s);
}

TEST_F(Playlists, ListsFromWindowsFindTheirFilesBesideTheList) {
  QTemporaryDir elsewhere;
  QDir(elsewhere.path()).mkdir(u"Music"_s);
  for (const QString& name : {u"Music/one.mp3"_s, u"two.mp3"_s}) {
    QFile f(elsewhere.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QString list = elsewhere.filePath(u"win.m3u"_s);
  ASSERT_TRUE(WriteTextLines(list, {u"#EXTM3U"_s, u"Music\\one.mp3"_s, u"two.mp3"_s, u"C:\\gone\\three.mp3"_s}));
  Start({list});
  QStringList locations;
  for (int i = 0; i < Ctx().list.size(); ++i) locations << Ctx().list.at(i).Location;
  locations.sort();
  EXPECT_EQ(locations, (QStringList{elsewhere.filePath(u"Music/one.mp3"_s), elsewhere.filePath(u"two.mp3"_s)}));
}

TEST_F(Playlists, ACueSheetWhosePathHoldsACommaExpands) {
  Start({});
  MakeFile(u"live.wav"_s);
  writeBytes(u"live, 2001.cue"_s, "FILE \"live.wav\" WAVE\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\n");
  AddFiles(Ctx(), {appDir_ + u"live, 2001.cue"_s});
  EXPECT_GE(Ctx().list.findByLocation(appDir_ + u"live.wav,0,10"_s), 0);
}

TEST_F(Playlists, AListThatCannotBeWrittenIsReportedAndStaysModified) {
  Start({});
  QDir(appDir_).mkdir(u"blocked.m3u"_s);  // a folder where the file should go
  S().CurrentListFile = appDir_ + u"blocked.m3u"_s;
  AddFiles(Ctx(), {MakeFile(u"x.mp3"_s)});
  ASSERT_FALSE(shell_.messages.empty());
  EXPECT_TRUE(shell_.messages.back().text.startsWith(u"The playlist could not be saved:"_s));
  EXPECT_TRUE(S().ListModified);
  EXPECT_EQ(Ctx().list.size(), 1);
}

TEST_F(Playlists, TheFolderDialogSkipsDotFiles) {
  MakeFile(u"song.mp3"_s);
  MakeFile(u"._song.mp3"_s);
  EXPECT_EQ(MediaFilesIn(appDir_, u"*.mp3;"_s), QStringList{u"song.mp3"_s});
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST_F(Playlists, TheNextStartOpensTheListTheUserWasOn) {
  MakeNamedList(u"first"_s, {u"a"_s});
  MakeNamedList(u"second"_s, {u"b"_s});
  writeBytes(u"lirra.ini"_s, "[main]\r\npos_x=100\r\npos_y=100\r\nm3u=first.m3u\r\n");
  Start({});
  ASSERT_EQ(S().CurrentListFile, appDir_ + u"first.m3u"_s);
  EXPECT_FALSE(S().SettingsDirty) << "the list the settings name is no change";
  SelectLibraryRow(Ctx(), Ctx().library.findName(u"second"_s));
  ASSERT_TRUE(player_.FormCloseQuery());
  EXPECT_TRUE(readBytes(u"lirra.ini"_s).contains("m3u=second.m3u"));
}

}  // namespace
}  // namespace lirra
