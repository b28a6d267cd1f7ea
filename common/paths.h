// Path, URL and display helpers shared by the player's parts.
#pragma once

#include <QString>
#include <QtGlobal>

namespace lirra {

// An address rather than a local path: a scheme (a letter, then letters, digits, "+",
// "-" or ".") followed by "://". Local paths are never URLs.
bool IsUrl(const QString& text);

// An http:// or https:// address (case-insensitive): the kind the engine streams.
bool IsHttpUrl(const QString& text);

// A regular file exists at `path` (folders and missing paths are not).
bool FileExists(const QString& path);

// The name after the last "/" (the whole text when there is none).
QString FileNameOf(const QString& path);

// The extension with its dot: text from the last "." that follows the last "/".
// Empty when the file name has no ".".
QString FileExtension(const QString& path);
QString UpperFileExtension(const QString& path);

// Title of an entry: a URL unchanged; otherwise the file name without its folder and
// without its last extension.
QString DisplayName(const QString& path);

// "m:ss": minutes unbounded, seconds always two digits (5 -> "0:05", 4500 -> "75:00").
// Negative lengths read as 0.
QString FormatLength(qint64 seconds);

// The file name of a track's lyrics in the lyrics folder, "ARTIST - TITLE.lrc", built the
// same way by the player and the fetcher: "/", "\" and control characters become "_", so
// the name never leaves the folder, and it is cut to what a file system takes.
QString LyricFileName(const QString& artist, const QString& title);
// The same for a name made from a title alone, "TITLE.lrc".
QString LyricFileName(const QString& title);

}  // namespace lirra
