// Start-up and shutdown of the main window: creation, first show, activation, the close
// query and the close, each in its fixed order.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include "early_start.h"
#include "player_context.h"

namespace lirra {

struct StartupEnvironment {
  QString appDir;          // folder of the executable
  QStringList arguments;   // command-line arguments after the program name
  QLocale locale;          // the system locale
  EarlyStart* earlyStart = nullptr;  // what began before the window, if anything
};

// Window creation. Returns false when the window must not be shown (an automatic start
// outside the play hours); the process then ends.
bool FormCreate(PlayerContext& ctx, const StartupEnvironment& env);
// First show: libraries, language, the open filter, the first action.
void FormShow(PlayerContext& ctx);
void FormActivate(PlayerContext& ctx);
// A network entry chosen before the window was up opens now (its connecting title and any
// failure message need the window); the window calls it once it is shown, activation too.
void OpenHeldNetworkEntry(PlayerContext& ctx);
// May the window close now? Stops playback and writes what changed when it may.
bool FormCloseQuery(PlayerContext& ctx);
// Writes the lyrics' changes, the settings and the track list where they changed (the
// writing part of the close query).
void WriteWhatChanged(PlayerContext& ctx);
// Releases the libraries in the reverse order of binding.
void FormClose(PlayerContext& ctx);

// LoadEnginePlugin: an add-on of the engine; its formats' extensions join PluginExtensions.
bool LoadEnginePlugin(PlayerContext& ctx, const QString& path);

// The open dialog's filter and the add commands' MediaMask for these extra video types.
void BuildMediaTypes(PlayerContext& ctx, const VideoExtras& extras);
// Once, before an add dialog first opens: the video types the installed demuxers play
// join the filter and the mask (asking GStreamer's registry costs too much at start-up).
void CheckVideoTypes(PlayerContext& ctx);

// The main window's texts of the chosen language.
void ApplyLanguage(PlayerContext& ctx);

}  // namespace lirra
