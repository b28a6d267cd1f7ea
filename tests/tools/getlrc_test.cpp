// Plugins/GetLRC against a loopback LRCLIB-like server: what it writes for each kind of
// answer, that it writes nothing otherwise, and the player picking up what it fetched.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <mutex>
#include <thread>

#include "fake_tags.h"
#include "http_server.h"
#include "player_fixture.h"
#include "textfile.h"

namespace lirra {
namespace {

using testing::HttpServer;
using Reply = HttpServer::Reply;

// A private copy of the fetcher (it writes beside its own folder) in a scratch app folder.
class Fetcher : public testing::TempDirTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(path(u"Plugins"_s)));
    ASSERT_TRUE(QFile::copy(QStringLiteral(LIRRA_APP_DIR "/Plugins/GetLRC"), path(u"Plugins/GetLRC"_s)));
  }
  // `service` empty: the service the settings name.
  int Run(const QString& service, const QString& artist, const QString& title,
          QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
    QProcess fetcher;
    if (service.isEmpty()) env.remove(u"LIRRA_LYRICS_URL"_s);
    else env.insert(u"LIRRA_LYRICS_URL"_s, service);
    fetcher.setProcessEnvironment(env);
    fetcher.start(path(u"Plugins/GetLRC"_s), {artist, title});
    EXPECT_TRUE(fetcher.waitForFinished(40000));
    return fetcher.exitStatus() == QProcess::NormalExit ? fetcher.exitCode() : -1;
  }
  QStringList LyricFiles() { return QDir(path(u"Plugins/Lyrics"_s)).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(Fetcher, WritesTheLyricsTheServiceHasAndNothingOtherwise) {
  struct Case {
    const char* what;
    Reply get, search;
    int exit;
    QStringList lines;  // of the file written; none when empty
  };
  const Reply none{404, R"({"message":"Failed to find specified track"})"};
  const Case cases[] = {
      {"synced", {200, R"({"syncedLyrics":"[00:01.00]a\n[00:02.00]b","plainLyrics":"a\nb"})"}, {}, 0,
       {u"[00:01.00]a"_s, u"[00:02.00]b"_s}},
      {"plain only", {200, R"({"syncedLyrics":null,"plainLyrics":"a\nb"})"}, {}, 0, {u"a"_s, u"b"_s}},
      {"found by the search", none, {200, R"([{"plainLyrics":"p"},{"syncedLyrics":"[00:01.00]s"}])"}, 0,
       {u"[00:01.00]s"_s}},
      {"nowhere", none, {200, "[]"}, 1, {}},
      {"instrumental", {200, R"({"instrumental":true,"syncedLyrics":null,"plainLyrics":null})"}, {200, "[]"}, 1, {}},
      {"a server error", {500, "oops"}, {}, 1, {}},
      {"not JSON", {200, "{\"syncedLyrics\":"}, {}, 1, {}},
      {"an answer over 2 MB", {200, R"({"plainLyrics":")" + std::string(3 << 20, 'a') + R"("})"}, {200, "[]"}, 1, {}},
  };
  for (const Case& c : cases) {
    std::mutex seen;
    std::string agent, query;
    HttpServer server([&](const std::string& target, const std::string& headers) {
      std::lock_guard<std::mutex> lock(seen);
      agent = headers.substr(headers.find("User-Agent:"), 40);
      query = target;
      return target.starts_with("/api/get?") ? c.get : c.search;
    });
    QDir(path(u"Plugins/Lyrics"_s)).removeRecursively();
    EXPECT_EQ(Run(QString::fromStdString(server.url("")), u"Sigur Rós"_s, u"Hoppípolla"_s), c.exit) << c.what;
    EXPECT_TRUE(agent.starts_with("User-Agent: Lirra/")) << agent;
    if (c.lines.isEmpty()) {
      EXPECT_TRUE(LyricFiles().isEmpty()) << c.what;
      continue;
    }
    EXPECT_EQ(LyricFiles(), QStringList{u"Sigur Rós - Hoppípolla.lrc"_s}) << c.what;
    EXPECT_EQ(ReadTextLines(path(u"Plugins/Lyrics/Sigur Rós - Hoppípolla.lrc"_s)).lines, c.lines) << c.what;
    EXPECT_TRUE(readBytes(u"Plugins/Lyrics/Sigur Rós - Hoppípolla.lrc"_s).endsWith("\r\n")) << "CR LF";
    EXPECT_NE(query.find("artist_name=Sigur%20R%C3%B3s"), std::string::npos) << query;
  }
}

TEST_F(Fetcher, NamesFromTagsStayInTheLyricsFolder) {
  HttpServer server([](const std::string&, const std::string&) { return Reply{200, R"({"plainLyrics":"x"})"}; });
  EXPECT_EQ(Run(QString::fromStdString(server.url("")), u"../.."_s, u"../../escape"_s), 0);
  EXPECT_EQ(LyricFiles(), QStringList{u".._.. - .._.._escape.lrc"_s});
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"Plugins"_s});
}

// An installed copy's fetcher (its folder without write permission) finds the service in
// the user's settings and writes to the user's data folder, as the player looks there.
TEST_F(Fetcher, AnInstalledCopyUsesTheUsersSettingsAndDataFolders) {
  HttpServer server([](const std::string&, const std::string&) { return Reply{200, R"({"plainLyrics":"x"})"}; });
  ASSERT_TRUE(QDir().mkpath(path(u"config/lirra"_s)));
  writeBytes(u"config/lirra/lirra.ini"_s, QByteArray("[lyrics]\r\nurl=") + server.url("").c_str() + "\r\n");
  ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner));  // the app folder
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(u"XDG_CONFIG_HOME"_s, path(u"config"_s));
  env.insert(u"XDG_DATA_HOME"_s, path(u"data"_s));
  EXPECT_EQ(Run({}, u"a"_s, u"b"_s, env), 0);
  QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(readBytes(u"data/lirra/Plugins/Lyrics/a - b.lrc"_s), "x\r\n");
  EXPECT_TRUE(LyricFiles().isEmpty());
}

TEST_F(Fetcher, AServiceThatNeverAnswersIsGivenUpAfterFifteenSeconds) {
  HttpServer server(HttpServer::Mode::Silent, "");
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(Run(QString::fromStdString(server.url("")), u"a"_s, u"b"_s), 1);
  EXPECT_GE(clock.elapsed(), 14000);
  EXPECT_LT(clock.elapsed(), 20000);
  EXPECT_TRUE(LyricFiles().isEmpty());
}

// The player starts the real fetcher for a track without lyrics and shows what it wrote.
TEST_F(PlayerTest, ThePlayerPicksUpWhatTheFetcherWrote) {
  HttpServer server([](const std::string&, const std::string&) {
    return Reply{200, R"({"syncedLyrics":"[00:00.50]fetched line"})"};
  });
  qputenv("LIRRA_LYRICS_URL", QByteArray::fromStdString(server.url("")));
  QDir().mkpath(appDir_ + u"Plugins"_s);
  ASSERT_TRUE(QFile::copy(QStringLiteral(LIRRA_APP_DIR "/Plugins/GetLRC"), appDir_ + u"Plugins/GetLRC"_s));
  ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_tags.so"), appDir_ + u"Plugins/libtags.so"_s));
  AddEntries(1);
  Start({});
  const LyricsState& lyrics = player_.context().lyrics;
  for (int i = 0; i < 200 && lyrics.table.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    player_.Timer1Timer();
  }
  qunsetenv("LIRRA_LYRICS_URL");
  EXPECT_EQ(lyrics.table.texts, QStringList{u"fetched line"_s});
  EXPECT_EQ(lyrics.file, appDir_ + u"Plugins/Lyrics/fake tags - fake tags.lrc"_s);
}

}  // namespace
}  // namespace lirra
