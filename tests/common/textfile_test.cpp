#include "textfile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>

#include "temp_dir.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;

using TextFileTest = lirra::testing::TempDirTest;

TEST(SplitLines, AcceptsCrLfLfAndLoneCr) {
  EXPECT_EQ(SplitLines(u"a\r\nb\r\n"_s), (QStringList{u"a"_s, u"b"_s}));
  EXPECT_EQ(SplitLines(u"a\nb"_s), (QStringList{u"a"_s, u"b"_s}));
  EXPECT_EQ(SplitLines(u"a\rb\r\n\nc"_s), (QStringList{u"a"_s, u"b"_s, u""_s, u"c"_s}));
  EXPECT_EQ(SplitLines(QString()), QStringList());
  EXPECT_EQ(SplitLines(u"\r\n"_s), QStringList{QString()});
}

TEST_F(TextFileTest, ReadsUtf8AndGbkChineseAlike) {
  writeBytes("utf8.lrc", "[00:01.00]中文歌词\r\n[00:02.00]second\r\n");
  writeBytes("gbk.lrc", "[00:01.00]\xD6\xD0\xCE\xC4\xB8\xE8\xB4\xCA\r\n[00:02.00]second\r\n");
  const QStringList expected{u"[00:01.00]中文歌词"_s, u"[00:02.00]second"_s};
  for (const char* name : {"utf8.lrc", "gbk.lrc"}) {
    const TextReadResult r = ReadTextLines(path(name));
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.lines, expected) << name;
  }
}

TEST_F(TextFileTest, ReadSkipsByteOrderMarkAndTakesLfOnlyFiles) {
  writeBytes("bom.m3u", "\xEF\xBB\xBF#EXTM3U\n/music/a.mp3\n");
  const TextReadResult r = ReadTextLines(path("bom.m3u"));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.lines, (QStringList{u"#EXTM3U"_s, u"/music/a.mp3"_s}));
}

TEST_F(TextFileTest, ReadingAMissingFileIsAnError) {
  const TextReadResult r = ReadTextLines(path("absent.txt"));
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.error.contains(u"absent.txt"_s));
}

TEST_F(TextFileTest, WritesUtf8WithCrLfAndNoByteOrderMark) {
  QString error;
  ASSERT_TRUE(WriteTextLines(path("out.m3u"), {u"#EXTM3U"_s, u"/音乐/歌.mp3"_s}, &error));
  EXPECT_EQ(readBytes("out.m3u"), QByteArray("#EXTM3U\r\n/音乐/歌.mp3\r\n"));
  EXPECT_EQ(entries(), QStringList{u"out.m3u"_s});  // no temporary file left behind
}

TEST_F(TextFileTest, WriteReplacesAnExistingFileWhole) {
  writeBytes("list.m3u", QByteArray(5000, 'x'));
  ASSERT_TRUE(WriteTextLines(path("list.m3u"), {u"short"_s}));
  EXPECT_EQ(readBytes("list.m3u"), QByteArray("short\r\n"));
}

TEST_F(TextFileTest, FailedWriteReportsAndLeavesNoFile) {
  QString error;
  EXPECT_FALSE(WriteTextLines(path("no/such/folder/list.m3u"), {u"x"_s}, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(entries().isEmpty());
}

// A disk that fills up during the write: the file size limit makes the write fail
// part-way, as ENOSPC would. The old file must survive and no temporary file remain.
TEST_F(TextFileTest, WriteThatRunsOutOfSpaceKeepsTheOldFile) {
  writeBytes("settings.ini", "[main]\r\nvis=2\r\n");
  const QString target = path("settings.ini");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    QString error;
    const bool ok = WriteTextLines(target, QStringList(2000, u"key=value"_s), &error);
    _exit(!ok && !error.isEmpty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have reported its failure";
  EXPECT_EQ(readBytes("settings.ini"), QByteArray("[main]\r\nvis=2\r\n"));
  EXPECT_EQ(entries(), QStringList{u"settings.ini"_s});
}

// A process that dies in the middle of a write leaves the previous file intact. The
// kernel kills the writer (SIGXFSZ) as its write crosses the file size limit, so the
// death comes part-way through the data every time.
TEST_F(TextFileTest, WriterKilledMidWriteLeavesTheOldFile) {
  writeBytes("big.m3u", "#EXTM3U\r\n/old/entry.mp3\r\n");
  const QString target = path("big.m3u");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    WriteFileAtomically(target, QByteArray(1024 * 1024, 'x'));
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the writer was not killed part-way";
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  EXPECT_EQ(readBytes("big.m3u"), QByteArray("#EXTM3U\r\n/old/entry.mp3\r\n"));
}

}  // namespace
}  // namespace lirra
