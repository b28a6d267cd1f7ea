// A camera for tests: an in-process GStreamer device provider with one video source device
// ("Lirra Test Camera", class Video/Source) whose element is a live videotestsrc. It is
// registered the way a provider of a real camera is, so a device monitor lists it.
#pragma once

namespace orvana_host {

inline constexpr const char* kFakeCameraName = "Lirra Test Camera";
// Initialises GStreamer when needed and registers the provider once; false on failure.
bool RegisterFakeCamera();

}  // namespace orvana_host
