// The extended M3U list file as the player writes it and the passes that read one back.
// Pure functions over lines: no files, no window.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

#include "track_list.h"

namespace lirra {

// A list line without leading and trailing spaces and control characters.
QString TrimListLine(const QString& line);

// What a title may hold: no spaces or control characters at either end (code points up to
// U+0020 and Unicode white space) and no line breaks inside (they become spaces), so that
// a title written into a list file reads back as the same title.
QString TitleText(QStringView text);
// The title an entry gets from its location alone: TitleText(DisplayName(location)).
QString TitleForLocation(const QString& location);

// "#EXTINF:" at the start of the line, in any letter case.
bool IsExtinfLine(const QString& line);

struct ExtinfFields {
  QString Title;
  std::optional<QString> LengthSeconds;
  std::optional<QString> LengthText;
};

// The fields of an "#EXTINF:length,title" line: the length is the text up to the first
// comma, the title everything after it.
ExtinfFields ParseExtinf(const QString& line);

// Whether a trimmed line is a location that must name an existing file to be kept: not a
// tag, a cue-track reference or a URL.
bool NeedsExistenceCheck(const QString& trimmedLine);

// A location line of a list file in `listFolder` (ending in "/") as a path: lists made on
// Windows separate folders with "\", and relative entries name files beside the list.
// Tags, URLs and cue-track references come back unchanged (trimmed).
QString ResolveListLocation(const QString& line, const QString& listFolder);

// Reading passes 2 to 4 over a file's lines: the header line is set aside, lines that
// name nothing usable are dropped (`fileExists(i, line)` says whether line i, trimmed,
// names an existing file; it is asked only where NeedsExistenceCheck), and every "#"
// line left is an "#EXTINF:" line directly followed by its location. Returns the data
// lines; `modified` is set when anything was dropped, and `missing` (when given) receives
// the indexes of the location lines dropped for naming no existing file.
QStringList CleanM3uLines(const QStringList& fileLines,
                          const std::function<bool(qsizetype, const QString&)>& fileExists,
                          bool* modified, std::vector<qsizetype>* missing = nullptr);

// The entry pass: appends an entry for every location of the cleaned lines to `list`,
// skipping locations already seen in this pass (case-insensitively). A cue sheet is
// offered to `expandCue`, which appends its tracks and answers whether it made any.
// Sets `modified` for every repair.
void AppendM3uEntries(const QStringList& dataLines, TrackList& list,
                      const std::function<bool(const QString&)>& expandCue, bool* modified);

// A list file: its extension is ".m3u" in any letter case.
bool IsListFile(const QString& path);

// A location that names a cue sheet: its extension contains ".CUE".
bool IsCueSheetLocation(const QString& location);

// Whether a location line of a list file names a file relative to the list's folder.
bool IsRelativeListLocation(const QString& trimmedLine);

// The lines of one entry in a list file in `listFolder` (ending in "/"): its "#EXTINF:"
// line when it has a length, then its location, relative again when the list named it so
// and it still lies below that folder.
void AppendEntryLines(const TrackEntry& entry, const QString& listFolder, QStringList& lines);
// The lines of a list file in `listFolder` for `list`, header first.
QStringList M3uLines(const TrackList& list, const QString& listFolder = {});

}  // namespace lirra
