// Where the player keeps what it writes: settings, lists, lyrics and the current preset.
// A program folder the user may write to is a portable copy and keeps them beside the
// program; an installed copy (a folder the user may not write to, or one without any
// write permission, which counts for root too) keeps them in the XDG folders:
// $XDG_CONFIG_HOME/lirra/ (default ~/.config/lirra/) and $XDG_DATA_HOME/lirra/ (default
// ~/.local/share/lirra/). The player, the lyrics fetcher and the AVS plug-in all ask here.
// No Qt: the plug-ins use it too.
#pragma once

#include <string>

namespace lirra {

struct UserFolders {
  bool portable = true;
  std::string config;  // lirra.ini, lirra.dat; with a trailing "/"
  std::string data;    // lists, Plugins/Lyrics/, Plugins/vis_avs.dat; with a trailing "/"
};

// `appDir` is the program's folder (with or without a trailing "/").
UserFolders UserFoldersFor(const std::string& appDir);

}  // namespace lirra
