#include "lyrics_answer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace lirra {

namespace {

QString LyricsOf(const QJsonObject& record, const char* key) {
  const QJsonValue v = record.value(QLatin1StringView(key));
  return v.isString() ? v.toString().trimmed() : QString();
}

// The lyrics of one record: synchronised first.
QString BestLyricsOf(const QJsonObject& record) {
  const QString synced = LyricsOf(record, "syncedLyrics");
  return synced.isEmpty() ? LyricsOf(record, "plainLyrics") : synced;
}

}  // namespace

LyricsAnswer ReadLyricsAnswer(const QByteArray& body) {
  QJsonParseError parse{};
  const QJsonDocument json = QJsonDocument::fromJson(body, &parse);
  if (parse.error != QJsonParseError::NoError)
    return {{}, QStringLiteral("the answer is not JSON (%1)").arg(parse.errorString())};
  if (json.isObject()) return {BestLyricsOf(json.object()), {}};
  if (!json.isArray()) return {{}, QStringLiteral("the answer is neither a record nor a list of records")};
  // A search: the first record with synchronised lyrics, else the first with any.
  QString plain;
  for (const QJsonValue& item : json.array()) {
    if (!item.isObject()) continue;
    const QString synced = LyricsOf(item.toObject(), "syncedLyrics");
    if (!synced.isEmpty()) return {synced, {}};
    if (plain.isEmpty()) plain = LyricsOf(item.toObject(), "plainLyrics");
  }
  return {plain, {}};
}

}  // namespace lirra
