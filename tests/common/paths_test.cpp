#include "compare.h"
#include "paths.h"
#include "user_folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

TEST(IsUrl, SchemesWithSlashesAreAddressesLocalPathsNever) {
  for (const QString& url : {u"http://radio.example/stream"_s, u"https://a.b/c.mp3"_s,
                             u"mms://host/x"_s, u"rtsp://h:554/x"_s, u"svn+ssh://h/p"_s})
    EXPECT_TRUE(IsUrl(url)) << url.toStdString();
  for (const QString& path : {u"/home/me/a.mp3"_s, u"relative/a.mp3"_s, u"C:\\Music\\a.mp3"_s,
                              u"://nohost"_s, u"1http://x"_s, u"http:/x"_s, u"/tmp/http://x"_s,
                              QString()})
    EXPECT_FALSE(IsUrl(path)) << path.toStdString();
  EXPECT_TRUE(IsHttpUrl(u"HTTPS://a.b/c"_s));
  EXPECT_FALSE(IsHttpUrl(u"mms://media.example/live"_s));
}

TEST(FileExtension, TextFromTheLastDotAfterTheLastSlash) {
  EXPECT_EQ(FileExtension(u"/music/song.mp3"_s), u".mp3"_s);
  EXPECT_EQ(FileExtension(u"/music/a.tar.gz"_s), u".gz"_s);
  EXPECT_EQ(FileExtension(u"/music.d/noext"_s), QString());
  EXPECT_EQ(FileExtension(u"/music/.hidden"_s), u".hidden"_s);
  EXPECT_EQ(FileExtension(u"/music/ends."_s), u"."_s);
  EXPECT_EQ(UpperFileExtension(u"/music/Sheet.Cue"_s), u".CUE"_s);
  EXPECT_EQ(UpperFileExtension(u"/m/歌.mp3"_s), u".MP3"_s);
}

TEST(DisplayName, FileNameWithoutFolderAndLastExtensionUrlsUnchanged) {
  EXPECT_EQ(DisplayName(u"/music/Artist - Song.mp3"_s), u"Artist - Song"_s);
  EXPECT_EQ(DisplayName(u"/music/a.b.ogg"_s), u"a.b"_s);
  EXPECT_EQ(DisplayName(u"/music/noext"_s), u"noext"_s);
  EXPECT_EQ(DisplayName(u"/音乐/晨光.wav"_s), u"晨光"_s);
  EXPECT_EQ(DisplayName(u"song.mp3"_s), u"song"_s);
  EXPECT_EQ(DisplayName(u"http://radio.example/live.mp3"_s), u"http://radio.example/live.mp3"_s);
}

TEST(FormatLength, MinutesUnboundedSecondsTwoDigits) {
  EXPECT_EQ(FormatLength(0), u"0:00"_s);
  EXPECT_EQ(FormatLength(5), u"0:05"_s);
  EXPECT_EQ(FormatLength(59), u"0:59"_s);
  EXPECT_EQ(FormatLength(60), u"1:00"_s);
  EXPECT_EQ(FormatLength(4500), u"75:00"_s);
  EXPECT_EQ(FormatLength(36000), u"600:00"_s);
  EXPECT_EQ(FormatLength(-3), u"0:00"_s);
}

TEST(SameText, UnicodeAwareCaseInsensitive) {
  EXPECT_TRUE(SameText(u"/Music/A.MP3"_s, u"/music/a.mp3"_s));
  EXPECT_TRUE(SameText(u"ÉCOLE Ä"_s, u"école ä"_s));
  EXPECT_TRUE(SameText(u"ΣΟΦΙΑ"_s, u"σοφια"_s));
  EXPECT_TRUE(SameText(u"中文"_s, u"中文"_s));
  EXPECT_FALSE(SameText(u"a.mp3"_s, u"a.mp4"_s));
}

TEST(LocaleCollator, OrdersByLocaleAndKeepsCaseApart) {
  const LocaleCollator english(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_LT(english.compare(u"apple"_s, u"Banana"_s), 0);  // not code-point order
  EXPECT_NE(english.compare(u"a"_s, u"A"_s), 0);           // case-sensitive
  EXPECT_LT(english.compare(u"a"_s, u"B"_s), 0);
  EXPECT_LT(english.compare(u"é"_s, u"f"_s), 0);

  QStringList titles{u"b"_s, u"A"_s, u"a"_s, u"B"_s};
  std::sort(titles.begin(), titles.end(), english);
  EXPECT_EQ(titles, (QStringList{u"a"_s, u"A"_s, u"b"_s, u"B"_s}));

  // Chinese titles sort by pinyin under a Chinese locale: 阿 (a) before 中 (zhong).
  const LocaleCollator chinese(QLocale(QLocale::Chinese, QLocale::China));
  EXPECT_LT(chinese.compare(u"阿"_s, u"中"_s), 0);
}

// A folder the user may write to is a portable copy; one without write permission (root
// included) is an installed copy whose writes go to the XDG folders.
TEST(UserFolders, PortableBesideAWritableProgramElseInTheXdgFolders) {
  QTemporaryDir scratch;
  const std::string base = scratch.path().toStdString();
  const std::string writable = base + "/portable", readOnly = base + "/installed";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(writable)) && QDir().mkpath(QString::fromStdString(readOnly)));
  ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(readOnly), QFile::ReadOwner | QFile::ExeOwner));
  struct Case {
    const char* what;
    std::string appDir;
    const char* configHome;  // null: unset
    const char* dataHome;
    UserFolders expected;
  };
  const Case cases[] = {
      {"writable: beside the program", writable, "/x/config", "/x/data", {true, writable + "/", writable + "/"}},
      {"a trailing slash as given", writable + "/", nullptr, nullptr, {true, writable + "/", writable + "/"}},
      {"read-only: the XDG folders", readOnly, "/x/config", "/x/data/", {false, "/x/config/lirra/", "/x/data/lirra/"}},
      {"unset: under HOME", readOnly, nullptr, nullptr, {false, "/home/u/.config/lirra/", "/home/u/.local/share/lirra/"}},
      {"relative values are ignored", readOnly, "rel", "", {false, "/home/u/.config/lirra/", "/home/u/.local/share/lirra/"}},
      {"a missing folder is no portable copy", base + "/gone", "/x/c", "/x/d", {false, "/x/c/lirra/", "/x/d/lirra/"}},
  };
  const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME"), data = qgetenv("XDG_DATA_HOME");
  qputenv("HOME", "/home/u");
  for (const Case& c : cases) {
    c.configHome ? qputenv("XDG_CONFIG_HOME", c.configHome) : qunsetenv("XDG_CONFIG_HOME");
    c.dataHome ? qputenv("XDG_DATA_HOME", c.dataHome) : qunsetenv("XDG_DATA_HOME");
    const UserFolders got = UserFoldersFor(c.appDir);
    EXPECT_EQ(got.portable, c.expected.portable) << c.what;
    EXPECT_EQ(got.config, c.expected.config) << c.what;
    EXPECT_EQ(got.data, c.expected.data) << c.what;
  }
  qputenv("HOME", home);
  config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
  data.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", data);
}

}  // namespace
}  // namespace lirra
