// The player's side of the visualisation plug-ins (Plugins/vis_*.so), driven through the
// host library libbass_vis.so: which plug-in runs in the visual area, the order and
// arguments of the host calls, the random preset of the AVS plug-in, the title the plug-ins
// see, and the silent fallback to the spectrum when a start fails.
#pragma once

#include <QString>

#include <functional>

#include "bassvis.h"

namespace lirra {

struct PlayerContext;

struct VisHostState {
  bool NewPresetPending = false;  // a start is pending, or the AVS plug-in wants another preset
  bool Busy = false;              // a start or stop is under way (the paint box is disabled)
  bool RunningAudio = false;      // a plug-in renders the engine channel
  bool RunningRecord = false;     // … or the recording input
  bool AvsEditorWasOpen = false;
  bool StartDeferred = false;     // asked for during a move or resize of the window
  BASSVIS_PARAM VisParam{};
  uintptr_t PluginWindow = 0;
  QString LastPresetPath;         // the preset PickAvsPreset chose (or the pool's folder)
  std::function<void()> Held;     // a track command asked for while a plug-in stopped
};

inline bool VisPluginRunning(const VisHostState& v) { return v.RunningAudio || v.RunningRecord; }

// After a track opened: the visual area shows, and a running plug-in follows the new channel.
void AttachVisualisation(PlayerContext& ctx);
// Starts the plug-in VisIndex selects in the visual area (or falls back to the spectrum).
void StartVisPlugin(PlayerContext& ctx);
// Stops a running plug-in and waits until the host is free.
void StopVisPlugin(PlayerContext& ctx);
// A plug-in start or stop is under way (clicks on the visual area wait).
bool VisPluginStarting(const PlayerContext& ctx);
// While a plug-in stops the window still handles events: a command that opens or stops a
// track is held (the last one asked) and runs once the host is free. True when held.
bool HoldWhileVisHostBusy(PlayerContext& ctx, std::function<void()> command);
// The application's title names the playing track ("i))" before a stream, "?time " before
// a track of unknown length), and a running plug-in is told the song.
void AnnounceTitle(PlayerContext& ctx);
// A running plug-in follows the visual area's new size.
void ResizeVisPlugin(PlayerContext& ctx);
// On minimise and on the close mark's right click: a plug-in in its own full-screen window
// keeps running, one inside the work area is stopped.
void StopPluginUnlessFullScreen(PlayerContext& ctx);
// Copies a random preset of the pool under Plugins/AVS/ over Plugins/vis_avs.dat.
void PickAvsPreset(PlayerContext& ctx);
// At close: a running plug-in is shut down.
void QuitVisPlugin(PlayerContext& ctx);

}  // namespace lirra
