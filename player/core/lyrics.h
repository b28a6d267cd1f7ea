// Lyrics: finding the playing track's LRC file (or having the fetcher download one), the
// lyric line in the title label while the visual area shows, timing by taps on the title,
// and writing changed times back.
#pragma once

#include <QString>

#include "lrc_format.h"
#include "shell.h"

namespace lirra {

struct PlayerContext;

struct LyricsState {
  LyricTable table;        // LyricTimes, LyricTexts, LyricHeader
  QString file;            // LyricsFile: the file read, or the last one looked for
  QString change;          // LyricsChange: "" clean, "1" tapped times, "2" an offset folded in
  int currentLine = -1;    // CurrentLyricLine: -1 none shown yet, -2 resynchronise, else a line
  bool tapPending = false; // TapPending
  enum class Mark { None, Lime, Green };
  Mark mark = Mark::None;  // the title's colour while timing (lime; green after a re-stamp)
  bool titleShown = true;  // the title label shows the entry's title, not a lyric line
  // Lines whose time passed while the track's title had its first seconds are still to
  // show: the first display tick after them shows the latest.
  bool openingLinesDue = true;
};

// After a track opened: look for its lyrics (LoadLyrics).
void LoadLyrics(PlayerContext& ctx);
// Before a track opens: forget the previous track's lyrics.
void ResetLyrics(PlayerContext& ctx);

// The lyric clock: tenths of a second into the playing entry.
int LyricClock(PlayerContext& ctx);
// The progress timer's lyric steps, each tick: the re-search while no lyrics are loaded,
// the tap step, and (when `display` allows) the display step.
void LyricsSearchStep(PlayerContext& ctx);
void LyricTapStep(PlayerContext& ctx, int clock);
void LyricDisplayStep(PlayerContext& ctx, int clock);
// Whether the display step runs on this tick.
bool LyricsDisplayed(const PlayerContext& ctx);

// A button released on the title label with lyrics loaded: left toggles the display,
// right taps a time (or only switches the display on).
void LyricTitleClicked(PlayerContext& ctx, PointerButton button);
// After a seek or when the display comes on, the line of the moment is looked for again.
// Plain lines being timed one tap at a time have none to find: their tapping goes on.
void FindLyricLineAgain(LyricsState& l);
// The pointer came over the title label, or left it (lbTitleMouseEnter / Leave).
void lbTitleMouseEnter(PlayerContext& ctx);
void lbTitleMouseLeave(PlayerContext& ctx);

// Writes changed times back (asking first unless an offset was folded in); `LyricsChange`
// is emptied either way. Nothing happens without changes or without timed lines.
void SaveLyrics(PlayerContext& ctx);

}  // namespace lirra
