// Everything the player's logic works on: its state, the bound libraries, the track list,
// the window (Shell) and a random source. The logic modules are free functions over it.
#pragma once

#include <QDateTime>
#include <QProcess>

#include <cstdio>
#include <functional>
#include <optional>
#include <random>

#include "compare.h"
#include "early_start.h"
#include "engine_binding.h"
#include "lyrics.h"
#include "media_controls.h"
#include "next_track.h"
#include "open_filter.h"
#include "optional_bindings.h"
#include "player_state.h"
#include "schedule.h"
#include "skin.h"
#include "sound_server_watch.h"
#include "spectrum.h"
#include "shell.h"
#include "track_list.h"
#include "track_tags.h"
#include "tray.h"
#include "ui_texts.h"
#include "vis_host.h"

namespace lirra {

struct Libraries {
  EngineBinding engine;
  TagReaderBinding tags;
  VisHostBinding vis;
  VideoLibraryBinding video;
};

struct PlayerContext {
  explicit PlayerContext(const Shell& s) : shell(s) {
    std::random_device seed;
    std::mt19937 generator(seed());
    randomBelow = [generator](int n) mutable {
      return std::uniform_int_distribution<int>(0, n - 1)(generator);
    };
  }

  const UiTexts& texts() const { return TextsFor(state.UseChinese); }
  // The text of the player's language.
  QString tr(const char* zh, const char* en) const {
    return QString::fromUtf8(state.UseChinese ? zh : en);
  }
  // A message box with the player's own caption; once the session ends nobody can answer
  // one, so the text goes to the standard error.
  void inform(const QString& text) {
    if (sessionEnding)
      std::fprintf(stderr, "lirra: %s\n", text.toLocal8Bit().constData());
    else
      shell.dialogs.ShowMessage(text, texts().messageCaption);
  }
  void setTimer1(bool on) {
    state.Timer1On = on;
    shell.timers.SetTimer(TimerId::Timer1, on);
  }

  // Title and list-name order, set up on first use (it loads the locale's collation).
  const LocaleCollator& collator() {
    if (!collator_) collator_.emplace();
    return *collator_;
  }

  Shell shell;
  PlayerState state;
  Libraries libs;
  TrackList list;
  PlaylistLibrary library;
  // Each feature's own state; only its module touches it.
  LyricsState lyrics;
  SpectrumState spectrum;
  VisHostState vis;
  SkinState skin;
  TrayState tray;
  ScheduleState schedule;
  TrackTags tags;  // the playing track's, read once (track_tags.h)
  NextTrackState nextTrack;  // the entry joined to follow the playing track (next_track.h)
  SoundServerWatch soundServer;  // a server gone while playing (sound_server_watch.h)
  bool sessionEnding = false;  // the desktop session ends: no questions, no message boxes
  std::function<int(int n)> randomBelow;  // uniform in 0..n-1
  std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };  // the local time
  // Starts a program with an argument vector (never a shell) and does not wait for it.
  std::function<void(const QString& program, const QStringList& arguments)> startProgram =
      [](const QString& program, const QStringList& arguments) { QProcess::startDetached(program, arguments); };
  // The container types the video library's installed demuxers add (asked once, when an
  // add dialog first opens); none unless the window provides the question.
  std::function<VideoExtras()> videoExtras;
  // An early start of the command line's file (early_start.h), and the channel it left
  // playing for the first show's PlayCurrent to take over.
  EarlyStart* earlyStart = nullptr;
  // The desktop's screen saver: whether the desktop has one, and letting it on or
  // keeping it off (none where the desktop offers no such service).
  struct ScreenSaverControl {
    std::function<bool()> available;
    std::function<void(bool active)> setActive;
  } screenSaver;
  EarlyStart::Handover preStarted;

 private:
  std::optional<LocaleCollator> collator_;
};

}  // namespace lirra
