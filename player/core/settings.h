// The settings file (lirra.ini beside the program, section "main") and the defaults file
// of the AVS visualisation plug-in (lirra.dat, section "AVS"). Read once when the window
// is created, written at close only when something changed (SettingsDirty).
#pragma once

#include <QRect>
#include <QString>

#include "player_state.h"

namespace lirra {

QString SettingsPath(const PlayerState& s);     // ConfigDir + "lirra.ini"
QString VisDefaultsPath(const PlayerState& s);  // ConfigDir + "lirra.dat"

// Reads the settings into `s` (window size and place snapped to `workArea`). A missing
// file leaves every built-in value and SettingsDirty as they are.
void LoadSettings(PlayerState& s, const QRect& workArea);

// Writes the settings; keys the player does not know are kept. False with `error` filled
// when the file could not be written (the old one is then untouched).
bool SaveSettings(PlayerState& s, QString* error = nullptr);

// Edge snapping: a window within 10 pixels of a work-area edge, or beyond it, is put flush
// against that edge (and SettingsDirty is set).
int SnapToWorkArea(PlayerState& s, int position, int size, bool horizontal, const QRect& workArea);

// The AVS plug-in's defaults (lirra.dat), written on the first run that has the plug-in;
// an existing file is never touched.
void WriteVisDefaults(const PlayerState& s);

}  // namespace lirra
