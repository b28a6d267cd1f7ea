// GetLRC ARTIST TITLE: downloads a track's lyrics from an LRCLIB-compatible web service and
// writes them to Plugins/Lyrics/"ARTIST - TITLE.lrc" of the player's data folder (the app
// folder of a portable copy, the user's data folder of an installed one), where the player
// looks for them. Synchronised lyrics are preferred, plain ones taken otherwise.
//
// The service: LIRRA_LYRICS_URL, else the "url" key of the [lyrics] section of lirra.ini,
// else the public LRCLIB service. Exit status 0 when a file was written; 1 when the service
// had no lyrics, did not answer in time, answered with an error or with something that is
// not the expected JSON (no file is written then); 2 for a wrong command line.
#include <curl/curl.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>
#include <optional>
#include <string>

#include "inifile.h"
#include "lyrics_answer.h"
#include "paths.h"
#include "textfile.h"
#include "user_folders.h"

#ifndef LIRRA_VERSION
#define LIRRA_VERSION "0"
#endif

namespace lirra {
namespace {

constexpr long kConnectSeconds = 5;
constexpr long kTotalSeconds = 15;
const char* const kDefaultService = "https://lrclib.net";

struct Answer {
  long status = 0;  // 0: no answer
  QByteArray body;
  std::string error;
};

// Lyrics are a few kilobytes: an answer beyond this is not lyrics, and is given up.
constexpr qsizetype kLongestAnswer = 2 << 20;

size_t Collect(char* data, size_t size, size_t count, void* body) {
  auto* answer = static_cast<QByteArray*>(body);
  const auto bytes = static_cast<qsizetype>(size * count);
  if (answer->size() + bytes > kLongestAnswer) return 0;  // ends the transfer with an error
  answer->append(data, bytes);
  return size * count;
}

Answer Get(const QByteArray& url) {
  Answer answer;
  CURL* curl = curl_easy_init();
  if (!curl) {
    answer.error = "the HTTP library could not start";
    return answer;
  }
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, url.constData());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Lirra/" LIRRA_VERSION " (GetLRC lyrics fetcher)");
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTotalSeconds);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  const CURLcode result = curl_easy_perform(curl);
  if (result == CURLE_OK)
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
  else
    answer.error = *error ? error : curl_easy_strerror(result);
  curl_easy_cleanup(curl);
  return answer;
}

// What a request found: lyrics, nothing (a clean "not here"), or a failure (message).
LyricsAnswer Ask(const QString& service, const char* endpoint, const QString& artist, const QString& title) {
  const QByteArray url = service.toUtf8() + endpoint + "?artist_name=" + QUrl::toPercentEncoding(artist) +
                         "&track_name=" + QUrl::toPercentEncoding(title);
  const Answer answer = Get(url);
  if (answer.status == 0) return {{}, QString::fromStdString("no answer from " + url.toStdString() + ": " + answer.error)};
  if (answer.status == 404) return {};
  if (answer.status != 200)
    return {{}, QStringLiteral("the service answered %1 to %2").arg(answer.status).arg(QString::fromUtf8(url))};
  return ReadLyricsAnswer(answer.body);
}

// The player's settings and data folders, as the player itself finds them.
struct PlayerFolders {
  QString config, data;
};
PlayerFolders FindPlayerFolders() {
  // The program lives in <app>/Plugins/.
  const QString appDir = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
  const UserFolders found = UserFoldersFor(appDir.toStdString());
  return {QString::fromStdString(found.config), QString::fromStdString(found.data)};
}

QString ServiceAddress(const PlayerFolders& folders) {
  QString service = qEnvironmentVariable("LIRRA_LYRICS_URL");
  if (service.isEmpty()) service = IniFile(folders.config + QStringLiteral("lirra.ini")).readString(QStringLiteral("lyrics"), QStringLiteral("url"), QString());
  if (service.isEmpty()) service = QString::fromLatin1(kDefaultService);
  while (service.endsWith(u'/')) service.chop(1);
  return service;
}

int Run(const QStringList& args) {
  if (args.size() != 3 || args[1].trimmed().isEmpty() || args[2].trimmed().isEmpty()) {
    std::fprintf(stderr, "usage: GetLRC ARTIST TITLE\n");
    return 2;
  }
  const QString artist = args[1], title = args[2];
  const PlayerFolders folders = FindPlayerFolders();
  const QString service = ServiceAddress(folders);
  LyricsAnswer found = Ask(service, "/api/get", artist, title);
  if (found.failure.isEmpty() && found.lyrics.isEmpty()) found = Ask(service, "/api/search", artist, title);
  if (!found.failure.isEmpty()) {
    std::fprintf(stderr, "GetLRC: %s\n", qPrintable(found.failure));
    return 1;
  }
  if (found.lyrics.isEmpty()) {
    std::fprintf(stderr, "GetLRC: no lyrics for \"%s - %s\"\n", qPrintable(artist), qPrintable(title));
    return 1;
  }
  const QString folder = folders.data + QStringLiteral("Plugins/Lyrics/");
  QString error;
  if (!QDir().mkpath(folder) ||
      !WriteTextLines(folder + LyricFileName(artist, title), SplitLines(found.lyrics), &error)) {
    std::fprintf(stderr, "GetLRC: the lyrics could not be written to %s: %s\n", qPrintable(folder),
                 qPrintable(error));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace lirra

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const int status = lirra::Run(app.arguments());
  curl_global_cleanup();
  return status;
}
