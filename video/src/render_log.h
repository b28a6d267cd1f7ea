// The render log: while a file is rendered with the log flag, GStreamer's own log of what
// it builds goes to "rlog.txt" in the host program's folder (one log, the last render's).
#pragma once

#include <string>

namespace orvana {

std::string RenderLogPath();
// Deletes the last log and starts a new one; a log that cannot be created is skipped.
void StartRenderLog();
// Ends the log when one is open.
void StopRenderLog();

}  // namespace orvana
