// Steps of start-up and playback that belong to parts of the player still to come (lyrics,
// visualisation, skins, spectrum, tray, schedule). Each is called where
// the player's order of events puts it and does nothing yet, unless noted.
#pragma once

#include "player_context.h"

namespace lirra::seams {

inline void LoadLyrics(PlayerContext&) {}
inline void ResetLyrics(PlayerContext&) {}
inline void AttachVisualisation(PlayerContext&) {}
inline void SetupSpectrum(PlayerContext&) {}
inline void ClearPeaks(PlayerContext&) {}
inline void ApplySkin(PlayerContext&) {}
inline void AddTrayIcon(PlayerContext&) {}
inline void RemoveTrayIcon(PlayerContext&) {}
inline void QuitVisPlugin(PlayerContext&) {}
// The smart mode's decision; until the schedule exists every question is answered "no"
// except whether an automatic start may run (mode 0), which is allowed.
inline bool ScheduleDecision(PlayerContext&, int mode) { return mode == 0; }

}  // namespace lirra::seams
