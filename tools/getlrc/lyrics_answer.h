// What an LRCLIB-compatible service's answer holds: the lyrics of one record, or of the
// best record of a search (synchronised lyrics first, plain ones otherwise).
#pragma once

#include <QByteArray>
#include <QString>

namespace lirra {

struct LyricsAnswer {
  QString lyrics;   // empty: the service has none
  QString failure;  // not empty: the answer is not what the service sends
};

// `body` as the service answered with status 200.
LyricsAnswer ReadLyricsAnswer(const QByteArray& body);

}  // namespace lirra
