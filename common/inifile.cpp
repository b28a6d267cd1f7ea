#include "inifile.h"

#include <QFileInfo>

#include <limits>

#include "textfile.h"

namespace lirra {

namespace {

bool IsSectionLine(const QString& trimmed) { return trimmed.startsWith(u'['); }

bool IsCommentLine(const QString& trimmed) {
  return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

// "[ name ] trailing" -> "name"; the text after the first ']' is ignored.
QString SectionName(const QString& trimmed) {
  const qsizetype close = trimmed.indexOf(u']');
  const QString inner = close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1);
  return inner.trimmed();
}

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Unquote(const QString& value) {
  if (value.size() >= 2) {
    const QChar first = value.front();
    if ((first == u'"' || first == u'\'') && value.back() == first)
      return value.mid(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {
  if (!QFileInfo::exists(path_)) return;
  TextReadResult read = ReadTextLines(path_);
  if (!read.ok()) return;
  lines_ = std::move(read.lines);
  existed_ = true;
}

IniFile::IniFile(QString path, QStringList lines)
    : path_(std::move(path)), lines_(std::move(lines)) {}

std::optional<IniFile::Section> IniFile::findSection(const QString& section) const {
  const QString wanted = section.trimmed();
  for (qsizetype i = 0; i < lines_.size(); ++i) {
    const QString t = lines_[i].trimmed();
    if (!IsSectionLine(t) || !SameName(SectionName(t), wanted)) continue;
    Section s;
    s.header = i;
    s.lastEntry = i;
    for (qsizetype j = i + 1; j < lines_.size(); ++j) {
      const QString u = lines_[j].trimmed();
      if (IsSectionLine(u)) break;
      if (!u.isEmpty() && !IsCommentLine(u)) s.lastEntry = j;
    }
    return s;
  }
  return std::nullopt;
}

qsizetype IniFile::sectionEnd(const Section& s) const {
  qsizetype j = s.header + 1;
  while (j < lines_.size() && !IsSectionLine(lines_[j].trimmed())) ++j;
  return j;
}

qsizetype IniFile::findKey(const Section& s, const QString& key, qsizetype end) const {
  const QString wanted = key.trimmed();
  for (qsizetype j = s.header + 1; j < end; ++j) {
    const QString& line = lines_[j];
    const QString t = line.trimmed();
    if (t.isEmpty() || IsCommentLine(t)) continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) continue;
    if (SameName(line.left(eq).trimmed(), wanted)) return j;
  }
  return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
  const auto s = findSection(section);
  if (!s) return std::nullopt;
  const qsizetype line = findKey(*s, key, sectionEnd(*s));
  if (line < 0) return std::nullopt;
  const QString& text = lines_[line];
  return Unquote(text.mid(text.indexOf(u'=') + 1).trimmed());
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& def) const {
  return value(section, key).value_or(def);
}

std::optional<int> IniFile::parseInteger(const QString& text) {
  bool ok = false;
  const qlonglong v = text.trimmed().toLongLong(&ok, 10);
  if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
    return std::nullopt;
  return static_cast<int>(v);
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
  const auto text = value(section, key);
  if (!text) return def;
  return parseInteger(*text).value_or(def);
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
  return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
  const QString k = key.trimmed();
  const QString entry = k + u'=' + value;
  auto s = findSection(section);
  if (!s) {
    lines_.append(u'[' + section.trimmed() + u']');
    lines_.append(entry);
    modified_ = true;
    return;
  }
  const qsizetype line = findKey(*s, k, sectionEnd(*s));
  if (line >= 0) {
    // Keep the key as it is spelled in the file; only the value changes.
    const QString& old = lines_[line];
    const QString replaced = old.left(old.indexOf(u'=')).trimmed() + u'=' + value;
    if (replaced != old) {
      lines_[line] = replaced;
      modified_ = true;
    }
    return;
  }
  lines_.insert(s->lastEntry + 1, entry);
  modified_ = true;
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
  writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
  writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::save(QString* error) {
  if (!WriteTextLines(path_, lines_, error)) return false;
  existed_ = true;
  modified_ = false;
  return true;
}

}  // namespace lirra
