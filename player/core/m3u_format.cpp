#include "m3u_format.h"

#include <unordered_set>

#include "paths.h"

namespace lirra {

namespace {

bool StartsWithHash(const QString& line) { return line.startsWith(u'#'); }

}  // namespace

QString TrimListLine(const QString& line) {
  qsizetype begin = 0, end = line.size();
  while (begin < end && line.at(begin).unicode() <= 0x20) ++begin;
  while (end > begin && line.at(end - 1).unicode() <= 0x20) --end;
  return (begin == 0 && end == line.size()) ? line : line.mid(begin, end - begin);
}

namespace {

// Locations compare case-insensitively: hashing and equality over case-folded text, on
// views into the lines (no upper-cased copies).
struct FoldedHash {
  size_t operator()(QStringView s) const {
    size_t h = 1469598103934665603ull;
    for (qsizetype i = 0; i < s.size(); ++i) {
      char32_t c = s[i].unicode();
      if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
        c = QChar::surrogateToUcs4(s[i].unicode(), s[i + 1].unicode());
        ++i;
      }
      h = (h ^ QChar::toCaseFolded(c)) * 1099511628211ull;
    }
    return h;
  }
};
struct FoldedEqual {
  bool operator()(QStringView a, QStringView b) const { return a.compare(b, Qt::CaseInsensitive) == 0; }
};

}  // namespace

QString TitleText(QStringView text) {
  const auto blank = [](QChar c) { return c.unicode() <= 0x20 || c.isSpace(); };
  qsizetype begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  QString title = text.mid(begin, end - begin).toString();
  for (QChar& c : title)
    if (c == u'\r' || c == u'\n') c = u' ';
  return title;
}

QString TitleForLocation(const QString& location) { return TitleText(DisplayName(location)); }

bool IsExtinfLine(const QString& line) {
  return line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive);
}

bool IsListFile(const QString& path) { return UpperFileExtension(path) == QLatin1String(".M3U"); }

bool IsCueSheetLocation(const QString& location) {
  return UpperFileExtension(location).contains(QLatin1String(".CUE"));
}

ExtinfFields ParseExtinf(const QString& line) {
  ExtinfFields f;
  const QStringView rest = QStringView(line).mid(8);
  const qsizetype comma = rest.indexOf(u',');
  if (comma < 0) {
    f.Title = TitleText(rest);
    f.LengthSeconds = QStringLiteral("0");
    return f;
  }
  f.Title = TitleText(rest.mid(comma + 1));
  if (comma == 0) return f;
  const QStringView d = rest.left(comma).trimmed();
  bool ok = false;
  const int seconds = d.toInt(&ok);
  if (ok && seconds > 0) {
    f.LengthSeconds = d.toString();
    f.LengthText = FormatLength(seconds);
  } else {
    f.LengthSeconds = QStringLiteral("0");
  }
  return f;
}

bool NeedsExistenceCheck(const QString& line) {
  return !line.isEmpty() && !StartsWithHash(line) && !line.contains(u',') && !IsUrl(line);
}

bool IsRelativeListLocation(const QString& trimmedLine) {
  return NeedsExistenceCheck(trimmedLine) && !trimmedLine.startsWith(u'/') && !trimmedLine.startsWith(u'\\');
}

QString ResolveListLocation(const QString& line, const QString& listFolder) {
  QString path = TrimListLine(line);
  if (!NeedsExistenceCheck(path)) return path;
  path.replace(u'\\', u'/');
  return path.startsWith(u'/') ? path : listFolder + path;
}

QStringList CleanM3uLines(const QStringList& fileLines,
                          const std::function<bool(qsizetype, const QString&)>& fileExists,
                          bool* modified, std::vector<qsizetype>* missing) {
  // The first line is the header when it starts with "#EXTM3U"; otherwise it is data.
  qsizetype first = 0;
  if (!fileLines.isEmpty() && fileLines.front().left(7).toUpper() == QLatin1String("#EXTM3U"))
    first = 1;

  QStringList kept;
  kept.reserve(fileLines.size());
  for (qsizetype i = first; i < fileLines.size(); ++i) {
    const QString line = TrimListLine(fileLines.at(i));
    const bool keep = !line.isEmpty() && (!NeedsExistenceCheck(line) || fileExists(i, line));
    if (keep) {
      kept.push_back(line);
      continue;
    }
    *modified = true;
    if (missing && !line.isEmpty()) missing->push_back(i);
    // A dropped location takes its "#EXTINF:" line with it.
    if (!line.isEmpty() && !kept.isEmpty() && StartsWithHash(kept.back())) kept.pop_back();
  }

  // Every "#" line must be an "#EXTINF:" line followed by a location that is no cue sheet.
  QStringList data;
  data.reserve(kept.size());
  for (qsizetype i = 0; i < kept.size(); ++i) {
    const QString& line = kept.at(i);
    if (StartsWithHash(line)) {
      const QString next = i + 1 < kept.size() ? kept.at(i + 1) : QStringLiteral("#");
      if (StartsWithHash(next) || !IsExtinfLine(line) || IsCueSheetLocation(next)) {
        *modified = true;
        continue;
      }
    }
    data.push_back(line);
  }
  return data;
}

void AppendM3uEntries(const QStringList& dataLines, TrackList& list,
                      const std::function<bool(const QString&)>& expandCue, bool* modified) {
  std::unordered_set<QStringView, FoldedHash, FoldedEqual> accepted;
  accepted.reserve(static_cast<size_t>(dataLines.size()));
  std::optional<ExtinfFields> pending;
  for (const QString& line : dataLines) {
    if (StartsWithHash(line)) {
      pending = ParseExtinf(line);
      continue;
    }
    std::optional<ExtinfFields> info = std::move(pending);
    pending.reset();
    if (IsCueSheetLocation(line) && expandCue(line)) continue;
    if (!accepted.insert(QStringView(line)).second) {
      *modified = true;
      continue;
    }
    TrackEntry entry;
    entry.Location = line;
    if (info) {
      entry.Title = std::move(info->Title);
      entry.LengthSeconds = std::move(info->LengthSeconds);
      entry.LengthText = std::move(info->LengthText);
      if (entry.Title.isEmpty()) {
        entry.Title = TitleForLocation(line);
        *modified = true;
      }
    } else {
      entry.Title = TitleForLocation(line);
    }
    list.append(std::move(entry));
  }
}

void AppendEntryLines(const TrackEntry& e, const QString& listFolder, QStringList& lines) {
  if (e.LengthSeconds) lines.push_back(QStringLiteral("#EXTINF:") + *e.LengthSeconds + u',' + e.Title);
  const bool relative = e.RelativeToList && !listFolder.isEmpty() && e.Location.startsWith(listFolder);
  lines.push_back(relative ? e.Location.mid(listFolder.size()) : e.Location);
}

QStringList M3uLines(const TrackList& list, const QString& listFolder) {
  QStringList lines;
  lines.reserve(list.size() * 2 + 1);
  lines.push_back(QStringLiteral("#EXTM3U"));
  for (int i = 0; i < list.size(); ++i) AppendEntryLines(list.at(i), listFolder, lines);
  return lines;
}

}  // namespace lirra
