// The optional libraries the player binds by name: the tag reader, the visualisation host
// and the video library. Each is bound whole or not at all; a missing one only disables
// its feature.
#pragma once

#include <cstdint>
#include <string>

#include "bound_library.h"
#include "bassvis.h"
#include "orvana.h"
#include "tags.h"

namespace lirra {

// Plugins/libtags.so: TAGS_Read.
class TagReaderBinding {
 public:
  bool bind(const std::string& path);  // BindTagReader
  void unbind() { library_.unbind(); } // UnbindTagReader
  bool bound() const { return library_.bound(); }
#define LIRRA_TAGS_FIELD(name) decltype(&TAGS_##name) name = nullptr;
  TAGS_FUNCTIONS(LIRRA_TAGS_FIELD)
#undef LIRRA_TAGS_FIELD

 private:
  BoundLibrary library_;
};

// libbass_vis.so: the 14 BASSVIS_* entry points. Their calls arrive with the visualisation
// host; binding already needs every one of them to be there.
class VisHostBinding {
 public:
  bool bind(const std::string& path);  // BindVisHost
  void unbind() { library_.unbind(); } // UnbindVisHost
  bool bound() const { return library_.bound(); }
  const BoundLibrary& library() const { return library_; }

#define LIRRA_BASSVIS_FIELD(name) decltype(&BASSVIS_##name) name = nullptr;
  BASSVIS_FUNCTIONS(LIRRA_BASSVIS_FIELD)
#undef LIRRA_BASSVIS_FIELD

 private:
  BoundLibrary library_;
};

// liborvana.so: the nine exports the player uses (ORVANA_PLAYER_FUNCTIONS). There is no
// unbind: the player calls Orvana_Free at close and leaves the library loaded.
class VideoLibraryBinding {
 public:
  bool bind(const std::string& path);  // BindVideoLibrary
  bool bound() const { return library_.bound(); }

#define LIRRA_ORVANA_FIELD(name) decltype(&Orvana_##name) name = nullptr;
  ORVANA_PLAYER_FUNCTIONS(LIRRA_ORVANA_FIELD)
#undef LIRRA_ORVANA_FIELD
  // Optional: null where the library has none (the graph mode then stays its own).
  decltype(&Orvana_SetConfig) SetConfig = nullptr;

 private:
  BoundLibrary library_;
};

extern const char* const kVisHostEntryPoints[14];
extern const char* const kVideoLibraryEntryPoints[9];

}  // namespace lirra
