#include "lyrics.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine_calls.h"
#include "paths.h"
#include "player_context.h"
#include "textfile.h"
#include "track_kind.h"

using namespace Qt::StringLiterals;

namespace lirra {

namespace {

constexpr Rgb kLime = MakeRgb(0, 255, 0);
constexpr Rgb kGreen = MakeRgb(0, 128, 0);
constexpr Rgb kHoverOrange = MakeRgb(255, 192, 0);
const QString kWaitingLong = QStringLiteral("\u00B7\u00B7\u00B7");
const QString kWaitingShort = QStringLiteral("\u00B7");

QString FetcherPath(const PlayerState& s) { return s.AppDir + u"Plugins/GetLRC"_s; }
QString LyricsFolder(const PlayerState& s) { return s.DataDir + u"Plugins/Lyrics/"_s; }

// The folder of a local path, with its "/".
QString FolderOf(const QString& location) { return location.left(location.lastIndexOf(u'/') + 1); }

QString WithoutExtension(const QString& path) {
  const QString ext = FileExtension(path);
  return path.left(path.size() - ext.size());
}

void SetTitleColour(PlayerContext& ctx, std::optional<Rgb> colour) {
  ctx.shell.captions.SetTextColour(ControlId::lbTitle, colour);
}

void SetMark(PlayerContext& ctx, LyricsState::Mark mark) {
  ctx.lyrics.mark = mark;
  SetTitleColour(ctx, mark == LyricsState::Mark::Lime    ? std::optional<Rgb>(kLime)
                      : mark == LyricsState::Mark::Green ? std::optional<Rgb>(kGreen)
                                                         : std::nullopt);
}

const QString& EntryTitle(const PlayerContext& ctx) { return ctx.list.at(ctx.state.PlayingIndex).Title; }

void ShowInTitle(PlayerContext& ctx, const QString& text) {
  ctx.lyrics.titleShown = false;
  ctx.shell.captions.SetCaption(ControlId::lbTitle, text);
}

void ShowEntryTitle(PlayerContext& ctx) {
  ctx.lyrics.titleShown = true;
  if (ctx.state.PlayingIndex >= 0 && ctx.state.PlayingIndex < ctx.list.size())
    ctx.shell.captions.SetCaption(ControlId::lbTitle, EntryTitle(ctx));
}

// The first lyric file that exists for the playing entry, or empty; `tried` is the last
// candidate looked at.
QString FindLyricFile(PlayerContext& ctx, QString* tried) {
  const PlayerState& s = ctx.state;
  const TrackEntry& entry = ctx.list.at(s.PlayingIndex);
  const bool local = !IsUrl(entry.Location);
  QString location = entry.Location;
  if (s.TrackKind == kKindCueTrack) location = ParseCueReference(location).path;
  const QString folder = local ? FolderOf(location) : QString();
  const auto hit = [&](const QString& path) {
    *tried = path;
    return FileExists(path);
  };
  if (local && s.TrackKind != kKindCueTrack && hit(WithoutExtension(location) + u".lrc"_s)) return *tried;
  // Names made from titles (a list's or a tag's) go through the one rule that keeps them in
  // the folder: "../x" or "AC/DC" never reach another folder.
  if (local && hit(folder + LyricFileName(entry.Title))) return *tried;
  const TrackTags& tags = PlayingTrackTags(ctx);
  if (!tags.artist.isEmpty()) {
    const QString name = LyricFileName(tags.artist, tags.title);
    if (local && hit(folder + name)) return *tried;
    if (hit(LyricsFolder(s) + name)) return *tried;
    // Right after the track opened (the progress timer not running yet): ask the fetcher
    // once; the ticks look again until its file is there.
    if (!s.Timer1On && FileExists(FetcherPath(s))) {
      QDir().mkpath(LyricsFolder(s));
      ctx.startProgram(FetcherPath(s), {tags.artist, tags.title});
      if (hit(LyricsFolder(s) + name)) return *tried;
    }
  }
  if (local && !tags.title.isEmpty() && hit(folder + LyricFileName(tags.title))) return *tried;
  return {};
}

// A timed line as shown: "··" after it, "·" after the last one.
QString LineText(const LyricsState& l, int i) {
  const bool last = i + 1 == static_cast<int>(l.table.times.size());
  return ShownLyricText(l.table.texts[i]) + (last ? kWaitingShort : kWaitingShort + kWaitingShort);
}

}  // namespace

void ResetLyrics(PlayerContext& ctx) {
  LyricsState& l = ctx.lyrics;
  l.table = {};
  l.file.clear();
  l.change.clear();
  l.currentLine = -1;
  l.tapPending = false;
  l.titleShown = true;
  l.openingLinesDue = true;
}

void LoadLyrics(PlayerContext& ctx) {
  LyricsState& l = ctx.lyrics;
  const PlayerState& s = ctx.state;
  if (s.PlayingIndex < 0 || s.PlayingIndex >= ctx.list.size()) return;
  QString tried;
  const QString found = FindLyricFile(ctx, &tried);
  l.file = tried;
  if (!found.isEmpty()) {
    const TextReadResult read = ReadTextLines(found);
    if (read.ok()) {
      l.table = ParseLyrics(read.lines, [&](const QString& a, const QString& b) {
        return ctx.collator().compare(a.toCaseFolded(), b.toCaseFolded()) < 0;  // letter case aside
      });
      if (l.table.hadOffset) l.change = QStringLiteral("2");
      if (!l.table.times.empty()) l.currentLine = 0;
    }
  }
  if (l.table.empty()) SetMark(ctx, LyricsState::Mark::None);
}

int LyricClock(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  if (s.VideoActive) return static_cast<int>(ctx.libs.video.GetSeconds(ORVANA_SECONDS_POSITION)) * 10;
  const double p = ChannelPositionSeconds(*ctx.libs.engine, s.CurrentChannel);
  return static_cast<int>(std::nearbyint(p * 10)) - s.TrackStartSeconds * 10;
}

void LyricsSearchStep(PlayerContext& ctx) {
  const LyricsState& l = ctx.lyrics;
  if (!ctx.state.LyricsTracking || !l.table.empty() || l.currentLine >= 0) return;
  if (FileExists(FetcherPath(ctx.state))) LoadLyrics(ctx);
}

bool LyricsDisplayed(const PlayerContext& ctx) {
  return ctx.state.ShowLyrics && !ctx.state.ListShown && !ctx.state.VideoShown && !ctx.lyrics.table.empty();
}

void LyricTapStep(PlayerContext& ctx, int q) {
  LyricsState& l = ctx.lyrics;
  std::vector<int>& times = l.table.times;
  if (l.currentLine == -2) l.tapPending = false;  // never applied while resynchronising
  if (l.tapPending) {
    int k = l.currentLine;
    const int n = static_cast<int>(times.size());
    if (k == -1) {
      if (n < l.table.texts.size()) times.push_back(q);  // the next untimed line is timed now
    } else if (k >= 0 && k < n) {
      if (n > 1 && k != n - 1 && times[0] <= q) {
        const int e = q - times[k];
        const int sinceLine = std::abs(static_cast<int>(std::nearbyint(e / 10.0)));
        const int halfLine = (times[k + 1] - times[k]) / 20;
        if (sinceLine > halfLine)
          ++k;  // the tap belongs to the next line
        else if (l.mark == LyricsState::Mark::Lime)
          SetMark(ctx, LyricsState::Mark::Green);
      } else if (k == n - 1 && l.mark == LyricsState::Mark::Lime) {
        SetMark(ctx, LyricsState::Mark::Green);
      }
      const int moved = q - times[k];
      times[k] = q;
      // Re-tapping the first line moves the whole lyric with it.
      if (k == 0 && n > 1 && std::abs(moved) > 2)
        for (int i = 1; i < n; ++i) times[i] += moved;
    }
    // A tap the display will not take up this tick (display off or hidden) is used up
    // here, so that it stamps once rather than on every tick.
    if (!LyricsDisplayed(ctx)) l.tapPending = false;
  }
  if (!l.tapPending && l.mark == LyricsState::Mark::Green) SetMark(ctx, LyricsState::Mark::Lime);
}

void LyricDisplayStep(PlayerContext& ctx, int q) {
  LyricsState& l = ctx.lyrics;
  const PlayerState& s = ctx.state;
  std::vector<int>& times = l.table.times;
  const int p = s.GaugePosition;
  if (l.currentLine == -2 || (p == 3 && l.titleShown))
    ShowInTitle(ctx, times.empty() || q < times.back() ? kWaitingLong : kWaitingShort);
  if (times.empty() || p <= 3) return;
  if (l.currentLine == -2) l.openingLinesDue = false;  // a resync waits for the next line
  for (int i = 0; i < static_cast<int>(times.size()); ++i) {
    if (std::abs(times[i] - q) < 2) {
      l.openingLinesDue = false;
      ShowInTitle(ctx, LineText(l, i));
      if (l.tapPending) {
        if (times[i] > 1) times[i] -= 2;  // a tap comes a little after the line it means
        l.tapPending = false;
      }
      if (l.currentLine != -1) l.currentLine = i;
      return;
    }
    if (l.currentLine == -2 && times[i] > q) {
      l.currentLine = std::max(0, i - 1);
      return;
    }
  }
  // Past the last line there is no next one to wait for: the last is the line of the moment.
  if (l.currentLine == -2 && q >= times.back()) l.currentLine = static_cast<int>(times.size()) - 1;
  if (l.openingLinesDue && l.currentLine >= 0 && times.front() <= q) {
    l.openingLinesDue = false;
    const int latest = static_cast<int>(std::upper_bound(times.begin(), times.end(), q) - times.begin()) - 1;
    ShowInTitle(ctx, LineText(l, latest));
    l.currentLine = latest;
  }
}

void FindLyricLineAgain(LyricsState& l) {
  if (l.currentLine != -1) l.currentLine = -2;
}

void LyricTitleClicked(PlayerContext& ctx, PointerButton button) {
  LyricsState& l = ctx.lyrics;
  PlayerState& s = ctx.state;
  if (button == PointerButton::Left) {
    s.ShowLyrics = !s.ShowLyrics;
    if (s.ShowLyrics)
      FindLyricLineAgain(l);
    else
      ShowEntryTitle(ctx);
  } else if (button == PointerButton::Right) {
    if (l.currentLine == -2 || s.GaugePosition < 4) return;
    l.tapPending = true;
    if (s.ShowLyrics || l.table.times.empty())
      l.change = QStringLiteral("1");  // a timing edit
    else
      FindLyricLineAgain(l);  // only switches the display on; the tap is dropped
    SetMark(ctx, LyricsState::Mark::Lime);
    s.ShowLyrics = true;
  } else {
    return;
  }
  s.SettingsDirty = true;
}

void lbTitleMouseEnter(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  const bool lyricsHere = s.ActiveAtPointer && !s.ListShown && !s.VideoShown && !ctx.lyrics.table.empty();
  if (lyricsHere && s.ShowLyrics) {
    SetMark(ctx, LyricsState::Mark::Lime);
  } else {
    ctx.lyrics.mark = LyricsState::Mark::None;
    SetTitleColour(ctx, lyricsHere ? std::optional<Rgb>(kHoverOrange) : std::nullopt);
  }
  ctx.state.PointerInside = true;
}

void lbTitleMouseLeave(PlayerContext& ctx) {
  SetMark(ctx, LyricsState::Mark::None);
  ctx.state.PointerInside = false;
}

void SaveLyrics(PlayerContext& ctx) {
  LyricsState& l = ctx.lyrics;
  if (l.change.isEmpty() || l.table.times.empty()) return;
  bool write = l.change == u"2"_s;
  // Folding an offset in is no edit of the user's: it is written silently only to a file of
  // the player's own folder (the fetcher's); elsewhere the offset is simply applied again
  // the next time.
  if (write && !l.file.startsWith(ctx.state.DataDir)) {
    l.change.clear();
    return;
  }
  // Tapped times are kept only when the listener says so, and at a session's end nobody can:
  // they are left unwritten, as a "No" would leave them.
  if (!write && ctx.sessionEnding) return;
  if (!write) {
    ctx.shell.frame.BringToFront();
    write = ctx.shell.dialogs.AskYesNo(ctx.tr("歌词文件已修改,是否保存?", "The lyrics have been modified, save it now?"),
                                       ctx.tr("提示", "Infomation"));
  }
  l.change.clear();
  if (!write) return;
  QString error;
  if (!WriteTextLines(l.file, FormatLyrics(l.table), &error))
    ctx.inform(ctx.tr("歌词未能保存:\n", "The lyrics could not be saved:\n") + error);
}

}  // namespace lirra
