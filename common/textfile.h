// Text files as the player reads and writes them.
//
// Reading: UTF-8 when the bytes are valid UTF-8, otherwise GBK (lists, lyrics and cue
// sheets made on Windows load unchanged); a UTF-8 byte-order mark is skipped; CR LF, LF
// and a lone CR all end a line.
// Writing: UTF-8, every line (the last one too) ended by CR LF, no byte-order mark, and
// atomically: the text goes to a temporary file in the same folder which then replaces
// the target, so a crash or a full disk leaves the previous file as it was.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lirra {

QString DecodeText(const QByteArray& bytes);

// Splits text into lines at CR LF, LF or CR. A final line break does not start another
// line: "a\r\nb\r\n" gives {"a", "b"}, and an empty text gives no lines.
QStringList SplitLines(const QString& text);

struct TextReadResult {
  QStringList lines;
  QString error;  // empty on success
  bool ok() const { return error.isEmpty(); }
};

TextReadResult ReadTextLines(const QString& path);

// Replaces `path` with `bytes` as a whole. On failure returns false, fills `error` and
// leaves any existing file untouched.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Writes `lines` in UTF-8, each followed by CR LF, through WriteFileAtomically.
bool WriteTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);

}  // namespace lirra
