// The player's program-wide state: one explicit object owned by the Player, with the
// names the rest of the player uses for it.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace lirra {

// StartMode: how this run began.
enum StartModes : int {
  kStartActivated = 0,   // the window has been activated once since
  kStartNormal = 1,      // no argument, or a "/" switch
  kStartSingleFile = 2,  // a media file or address played alone
  kStartList = 3,        // a playlist named on the command line
};

struct PlayerState {
  QString AppDir;          // folder of the executable, with a trailing "/"
  // What the player writes, each with a trailing "/": AppDir for a portable copy, the XDG
  // folders for an installed one (user_folders.h).
  QString ConfigDir;       // lirra.ini, lirra.dat
  QString DataDir;         // the lists, Plugins/Lyrics/, Plugins/vis_avs.dat
  bool UseChinese = false; // interface language
  bool IsWinNT = true;
  bool ScreenSaverWasActive = false;  // the desktop offers a screen saver to keep off
  bool ScreenSaverSuppressed = false; // kept off while a video plays     // always true here; tests may clear it to reach the other branch
  int StartMode = kStartActivated;  // StartModes
  bool AutoStart = false;  // started with "/AUTO"
  bool EngineReady = false;
  bool MainActivated = false;
  bool CentreOnShow = true;

  QString CurrentListFile;
  QString RememberedListFile;  // the list the settings file names (its "m3u" key)
  bool ListModified = false;
  bool ListEdited = false;  // the user added, deleted or renamed entries since the last write
  // Entries of a list from outside the list folder that playing set aside (missing at load,
  // or failed to open), as list-file lines: a write after the user's edit keeps them.
  QStringList WithheldLines;
  int NextIndex = -1;
  int PlayingIndex = -1;
  int CurrentListIndex = -1;
  int ShufflePos = 0;

  bool OpeningTrack = false;
  bool VideoActive = false;
  bool VideoShown = false;
  bool VideoFullScreen = false;
  bool DragInProgress = false;   // a move or resize loop of the window runs
  QRect FullScreenSaved;         // the window's bounds before full screen
  int PausedTag = 0;
  bool DisplayUpdates = true;
  bool SettingsDirty = false;
  bool InPlaceEditing = false;   // a title or list name is being edited in place
  bool FromFolderDialog = false; // the batch being added came from the add-folder dialog
  bool MListVisible = false;     // the track list view (hidden in the empty-list state)
  bool LibraryPanelShown = false;  // the playlist library panel pnList
  bool ListShown = true;         // the central area shows the list (not the visual area)
  bool AvsSelected = false;      // the AVS plug-in is the chosen visualisation

  // Kept in the settings file.
  QString OpenDir;        // initial folder of the open-file dialog
  QString SmartModeSpec;  // the schedule; empty while the default applies
  QString SkinFile;       // full path of the skin bitmap, or empty
  int ClientWidth = 270;
  int ClientHeight = 150;
  int Left = 0;
  int Top = 0;

  int VisIndex = 2;
  int ScheduleStartHour = 8;
  bool ShowLyrics = true;
  bool PlayToday = true;
  bool RandomOrder = false;
  bool StayOnTop = false;
  bool SeeThrough = false;
  int MicInputIndex = -1;
  int CaptureInputIndex = -1;

  // Libraries found at start-up.
  bool WmaAvailable = false;
  bool VideoLibAvailable = false;
  bool TagsAvailable = false;
  bool VisLibAvailable = false;
  QString PluginExtensions;  // "*.flac;*.oga;…" from the engine's add-ons
  QStringList VisPlugins;    // at most 7
  QString MediaMask;         // masks the add commands accept
  QString OpenFilter;        // the open dialog's "label|masks|…" list
  bool VideoTypesChecked = false;  // OpenFilter and MediaMask include the demuxers' types
  QString StartArgument;     // the first command-line argument, or empty
  bool PlayNowPending = false;
  bool NetworkOpenHeld = false;  // a network entry chosen before the window was activated

  // The track being played.
  int TrackKind = 0;
  uint32_t CurrentChannel = 0;
  int TrackSeconds = 0;       // length; 0 or less = not known
  int TrackStartSeconds = 0;  // start of a cue track inside its file
  bool LengthUnknown = false;
  bool CurrentIsNetwork = false;
  bool OpenFailed = false;
  bool OpenAbandoned = false;  // the entry being opened left the list meanwhile
  int ProbedSeconds = 0;
  bool LyricsTracking = false;

  // The playback clock (Timer1) and the progress gauge.
  bool Timer1On = false;
  bool TimerFFTOn = false;  // the spectrum's clock (runs on while the list is shown again)
  int TickDivider = 0;
  int GaugeRange = 0;
  int GaugePosition = 0;
  bool ActiveAtPointer = true;
  bool PointerInside = false;  // the pointer is over the title label

  // Play order.
  std::vector<int> ShuffleOrder;
};

}  // namespace lirra
