#include "paths.h"

#include <QFileInfo>

namespace lirra {

namespace {
bool IsAsciiLetter(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsSchemeChar(QChar c) {
  return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}
}  // namespace

bool IsUrl(const QString& text) {
  const qsizetype sep = text.indexOf(QStringLiteral("://"));
  if (sep <= 0 || !IsAsciiLetter(text.front())) return false;
  for (qsizetype i = 1; i < sep; ++i)
    if (!IsSchemeChar(text.at(i))) return false;
  return true;
}

bool IsHttpUrl(const QString& text) {
  return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
         text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

bool FileExists(const QString& path) { return QFileInfo(path).isFile(); }

QString FileNameOf(const QString& path) {
  return path.mid(path.lastIndexOf(u'/') + 1);
}

QString FileExtension(const QString& path) {
  const qsizetype slash = path.lastIndexOf(u'/');
  const qsizetype dot = path.lastIndexOf(u'.');
  if (dot < 0 || dot < slash) return {};
  return path.mid(dot);
}

QString UpperFileExtension(const QString& path) { return FileExtension(path).toUpper(); }

QString DisplayName(const QString& path) {
  if (IsUrl(path)) return path;
  const QString name = FileNameOf(path);
  return name.left(name.size() - FileExtension(name).size());
}

QString FormatLength(qint64 seconds) {
  if (seconds < 0) seconds = 0;
  QString text = QString::number(seconds / 60);
  const int s = static_cast<int>(seconds % 60);
  text += u':';
  text += QChar(u'0' + s / 10);
  text += QChar(u'0' + s % 10);
  return text;
}

namespace {

// A text made safe as one file name's part: no folder separators, no control characters.
QString SafeNamePart(QString s) {
  for (QChar& c : s)
    if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F) c = u'_';
  return s;
}

// `base` + ".lrc", cut so that the name holds at most 255 bytes, never in the middle of a
// character.
QString LyricName(QString base) {
  constexpr qsizetype kMaxBytes = 255 - 4;
  while (base.toUtf8().size() > kMaxBytes) {
    base.chop(1);
    if (!base.isEmpty() && base.back().isHighSurrogate()) base.chop(1);
  }
  return base + QStringLiteral(".lrc");
}

}  // namespace

QString LyricFileName(const QString& artist, const QString& title) {
  return LyricName(SafeNamePart(artist) + QStringLiteral(" - ") + SafeNamePart(title));
}

QString LyricFileName(const QString& title) { return LyricName(SafeNamePart(title)); }

}  // namespace lirra
