// The process-wide table of built graphs, where a graph viewer finds them: each graph is
// listed under "FilterGraph <address> pid <pid>" and written as a Graphviz file of that name
// in the user's runtime folder (orvana/ under $XDG_RUNTIME_DIR, else under the temporary
// folder) as soon as the host's thread is idle, until it is revoked. And the graph viewer
// itself: an outside program named by $ORVANA_GRAPH_VIEWER ("xdot" when unset) that a file
// is handed to.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <string>

#include "messages.h"

namespace orvana {

// Lists a built graph; the cookie to revoke it with (0 when it could not be listed).
uint32_t RegisterGraph(GstElement* pipeline);
void RevokeGraph(uint32_t cookie);

// Starts the viewer on the file: 42 when it started; 2 (not found) when the viewer could not
// be started, after the missing-viewer box on the owner window.
int32_t OpenInGraphViewer(const char* file, uintptr_t owner, const MessageTable& messages);

}  // namespace orvana
