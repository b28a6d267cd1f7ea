#include "textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringEncoder>

#include "encoding.h"

namespace lirra {

QString DecodeText(const QByteArray& bytes) {
  std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (view.starts_with(kBom)) view.remove_prefix(kBom.size());
  // Valid UTF-8 (the usual case) is converted straight from the bytes read.
  if (IsValidUtf8(view)) return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
  const std::string utf8 = GbkToUtf8(view);
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
  // Encoded straight into one buffer: a long list costs no buffer per line and touches
  // little more memory than the file's own size (the reserve is only address space).
  QStringEncoder utf8(QStringEncoder::Utf8);
  qsizetype room = 0;
  for (const QString& line : lines) room += utf8.requiredSpace(line.size()) + 2;
  QByteArray bytes(room, Qt::Uninitialized);
  char* out = bytes.data();
  for (const QString& line : lines) {
    out = utf8.appendToBuffer(out, line);
    *out++ = '\r';
    *out++ = '\n';
  }
  bytes.truncate(out - bytes.data());
  return WriteFileAtomically(path, bytes, error);
}

}  // namespace lirra
