// Which GStreamer elements this machine has, read from GStreamer's registry. The player
// does not link GStreamer: the library is opened at run time (the video library has
// usually loaded it already) and GStreamer is initialised on the first question.
#pragma once

#include <initializer_list>

namespace lirra {

// True when any of the named element factories is registered. False when GStreamer is
// not installed. Costs a registry load the first time (milliseconds with a warm cache).
bool HasGStreamerElement(std::initializer_list<const char*> factoryNames);

}  // namespace lirra
