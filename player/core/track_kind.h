// How an entry of the track list is opened, decided from its location alone.
#pragma once

#include <QString>

namespace lirra {

enum TrackKind : int {
  kKindOther = 0,         // the video library, when there is one
  kKindNetworkPath = 1,   // an address without an extension that is not http(s)
  kKindUrlStream = 2,     // an http:// or https:// address without an extension
  kKindCueSheet = 3,      // a .cue file
  kKindEngine = 5,        // a type the engine or one of its add-ons plays
  kKindCueTrack = 6,      // "path,start,end": a track inside a cue sheet's file
  kKindMidiCapture = 8,   // MIDI through the video library, its sound recorded
};

struct ClassifyContext {
  bool engineReady = false;
  bool wmaAvailable = false;
  bool videoLibAvailable = false;
  QString pluginExtensions;  // "*.flac;*.opus;…" collected from the add-ons
};

struct Classification {
  int kind = kKindOther;
  bool isNetwork = false;  // CurrentIsNetwork
};

Classification ClassifyTrack(const QString& location, const ClassifyContext& context);

// The engine's own types (tracker modules included), before the add-ons' extensions.
extern const char kEngineTypes[];
// Module types, opened with BASS_MusicLoad (engine_calls.h).
extern const char kModuleTypes[];
bool IsModule(const QString& path);

// A cue track's location, "path,start,end" -> path, start and end (0 where a number is
// missing).
struct CueReference {
  QString path;
  int start = 0;
  int end = 0;
};
CueReference ParseCueReference(const QString& location);

}  // namespace lirra
