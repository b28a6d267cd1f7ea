#include "textfile.h"

#include <QFile>
#include <QSaveFile>

#include "encoding.h"

namespace lirra {

QString DecodeText(const QByteArray& bytes) {
  const std::string utf8 = DecodeToUtf8(std::string_view(bytes.constData(), bytes.size()));
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QStringList SplitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text.at(i);
    if (c != u'\r' && c != u'\n') continue;
    lines.append(text.mid(start, i - start));
    if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.append(text.mid(start));
  return lines;
}

TextReadResult ReadTextLines(const QString& path) {
  TextReadResult result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
    return result;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    result.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return result;
  }
  result.lines = SplitLines(DecodeText(bytes));
  return result;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  // Never fall back to writing the target in place: that is exactly the half-written
  // file this function exists to prevent.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
  }
  if (file.write(bytes) != bytes.size() || !file.commit()) {
    if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    file.cancelWriting();
    return false;
  }
  return true;
}

bool WriteTextLines(const QString& path, const QStringList& lines, QString* error) {
  QByteArray bytes;
  for (const QString& line : lines) {
    bytes += line.toUtf8();
    bytes += "\r\n";
  }
  return WriteFileAtomically(path, bytes, error);
}

}  // namespace lirra
