// The LRC lyric file as the player reads and writes it.
//
// Reading: lines trimmed, empty ones dropped; a line ending in "]" is a tag line (the
// offset tag, or a header line kept for writing back); every other line is a lyric line
// with zero or more leading time tags. Entries come out timed first, ascending by time
// (equal times by their text), then the untimed lines in file order.
// Writing: the header lines, one line per timed entry with one tag, the untimed lines.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace lirra {

struct LyricTable {
  std::vector<int> times;  // tenths of a second, one per timed entry
  QStringList texts;       // the timed entries' texts, then the untimed lines
  QStringList header;      // tag lines other than the offset, verbatim
  bool hadOffset = false;  // an offset tag was folded into the times
  bool empty() const { return texts.isEmpty(); }
};

// Tenths of a second of a time tag's content ("mm:ss.x…" by fixed positions), or -1 when
// the content is not a time.
int LyricTimeOf(QStringView tag);

// `orderOfEqualTimes` orders the texts of entries with the same time (a locale's
// case-insensitive order in the player); by default plain text order.
LyricTable ParseLyrics(const QStringList& lines,
                       const std::function<bool(const QString&, const QString&)>& orderOfEqualTimes = {});

QStringList FormatLyrics(const LyricTable& table);

// A lyric text as shown: word-timing marks ("<mm:ss.xx>") of enhanced LRC removed.
QString ShownLyricText(const QString& text);

}  // namespace lirra
