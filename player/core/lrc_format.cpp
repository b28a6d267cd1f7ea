#include "lrc_format.h"

#include <algorithm>

#include "inifile.h"

using namespace Qt::StringLiterals;

namespace lirra {

namespace {

// Spaces and control characters at both ends go.
QString Trimmed(const QString& line) {
  qsizetype from = 0, to = line.size();
  while (from < to && line[from].unicode() <= 0x20) ++from;
  while (to > from && line[to - 1].unicode() <= 0x20) --to;
  return line.mid(from, to - from);
}

// A whole number of ASCII digits, or -1.
int Digits(QStringView s) {
  if (s.isEmpty()) return -1;
  int v = 0;
  for (QChar c : s) {
    if (c < u'0' || c > u'9') return -1;
    v = v * 10 + (c.unicode() - u'0');
  }
  return v;
}

struct Entry {
  bool timed;
  int time;  // after the offset; may be below 0
  QString text;
};

QString TwoDigits(int v) { return QString::number(v).rightJustified(2, u'0'); }

}  // namespace

int LyricTimeOf(QStringView tag) {
  // "mm:ss.x", or "mmm:ss.x" from 100 minutes on (an audiobook, a long mix).
  const qsizetype wide = tag.size() > 3 && tag[3] == u':' && Digits(tag.left(3)) >= 0 ? 1 : 0;
  if (tag.size() < 5 + wide) return -1;
  const int seconds = Digits(tag.mid(3 + wide, 2));
  if (seconds < 0) return -1;
  const int minutes = std::max(0, Digits(tag.mid(0, 2 + wide)));
  const qsizetype f = 6 + wide;
  const int tenths = tag.size() > f && tag[f].isDigit() && tag[f].unicode() < 128 ? tag[f].unicode() - u'0' : 0;
  return (minutes * 60 + seconds) * 10 + tenths;
}

LyricTable ParseLyrics(const QStringList& lines,
                       const std::function<bool(const QString&, const QString&)>& orderOfEqualTimes) {
  LyricTable table;
  int offset = 0;
  QStringList lyricLines;
  for (const QString& raw : lines) {
    const QString line = Trimmed(raw);
    if (line.isEmpty()) continue;
    if (!line.endsWith(u']')) {
      lyricLines.append(line);
      continue;
    }
    if (line.mid(1, 6).toUpper() == u"OFFSET"_s) {
      // A signed whole number of milliseconds; anything else counts as 0.
      offset = IniFile::parseInteger(line.mid(8, std::max<qsizetype>(0, line.size() - 9))).value_or(0) / 100;
      table.hadOffset = true;
    } else {
      table.header.append(line);
    }
  }

  std::vector<Entry> entries;
  entries.reserve(static_cast<size_t>(lyricLines.size()));
  for (const QString& line : lyricLines) {
    std::vector<int> times;
    qsizetype at = 0;
    QString text;
    while (true) {
      if (at >= line.size() || line[at] != u'[') {
        text = line.mid(at);
        break;
      }
      const qsizetype close = line.indexOf(u']', at + 1);
      const int time = close < 0 ? -1 : LyricTimeOf(QStringView(line).mid(at + 1, close - at - 1));
      if (time < 0) {  // not a time: the rest is text, bracket and all (it is written back so)
        text = line.mid(at);
        break;
      }
      times.push_back(time);
      at = close + 1;
    }
    if (times.empty()) entries.push_back({false, 0, text});
    for (int t : times) entries.push_back({true, t - offset, text});
  }

  // Timed entries ascending by time (equal times by text), then untimed ones in file order.
  const auto textOrder = orderOfEqualTimes ? orderOfEqualTimes
                                           : std::function<bool(const QString&, const QString&)>(
                                                 [](const QString& a, const QString& b) { return a < b; });
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    if (a.timed != b.timed) return a.timed;
    if (!a.timed) return false;
    if (a.time != b.time) return a.time < b.time;
    return textOrder(a.text, b.text);
  });
  for (const Entry& e : entries) {
    if (e.timed) table.times.push_back(e.time);
    table.texts.append(e.text);
  }
  return table;
}

QStringList FormatLyrics(const LyricTable& table) {
  QStringList lines = table.header;
  for (size_t i = 0; i < table.times.size() && i < static_cast<size_t>(table.texts.size()); ++i) {
    const int t = std::max(0, table.times[i]);  // an offset may have pushed a line before 0
    lines.append(u'[' + TwoDigits(t / 600) + u':' + TwoDigits(t / 10 % 60) + u'.' + QString::number(t % 10) +
                 u']' + table.texts[static_cast<qsizetype>(i)]);
  }
  for (qsizetype i = static_cast<qsizetype>(table.times.size()); i < table.texts.size(); ++i)
    lines.append(table.texts[i]);
  return lines;
}

QString ShownLyricText(const QString& text) {
  if (!text.contains(u'<')) return text;
  QString shown;
  shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'<') {
      const qsizetype close = text.indexOf(u'>', i + 1);
      if (close > i && LyricTimeOf(QStringView(text).mid(i + 1, close - i - 1)) >= 0) {
        i = close;
        continue;
      }
    }
    shown.append(text[i]);
  }
  return shown.simplified();
}

}  // namespace lirra
