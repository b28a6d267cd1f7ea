// Cue sheets: one audio file (or several) split into tracks. Each track becomes an entry
// whose location is the cue-track reference "audio path,start,end" (whole seconds).
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "player_context.h"

namespace lirra {

struct CueTrack {
  QString number;  // the two characters after TRACK, "01"
  QString title;   // "performer - title", or the title alone
  int start = 0;
  int end = 0;
};

struct CueBlock {
  QString audioPath;
  int length = 0;  // of the audio file, whole seconds
  std::vector<CueTrack> tracks;
};

// The blocks of a cue sheet's lines that yield tracks, in file order, each block's tracks
// ordered by number. `cueFolder` ends with "/"; `probeLength` gives an existing audio
// file's length in whole seconds (0 when it can't be read).
std::vector<CueBlock> ParseCueSheet(const QStringList& lines, const QString& cueFolder,
                                    const std::function<int(const QString&)>& probeLength);

// The audio file a FILE line names: "\" read as "/", relative names taken from the
// sheet's folder, and a name missing as spelt matched case-insensitively there.
QString CueAudioPath(const QString& name, const QString& cueFolder);

// The audio files the FILE lines of the cue sheet at `cuePath` name (as CueAudioPath
// finds them); empty when the sheet cannot be read.
QStringList CueSheetAudioFiles(const QString& cuePath);

// "audio,start,end"
QString CueTrackReference(const QString& audioPath, int start, int end);

// Appends the tracks of the cue sheet `text` names (the whole text, or when no such file
// exists, the text before its first comma) to the track list, skipping those already in it. True when the sheet gave at
// least one track; false when it is missing or gave none.
bool ExpandCueSheet(PlayerContext& ctx, const QString& text);

}  // namespace lirra
