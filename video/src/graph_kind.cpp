#include "graph_kind.h"

namespace orvana {

void GraphKind::ReadPictureSize(Graph& graph) {
  OrvanaVideoInfo info{0, 0, 0};
  VideoInfo(graph, &info);
  graph.videoWidth = info.width;
  graph.videoHeight = info.height;
  graph.hasVideo = info.hasVideo != 0;
}

const std::vector<GraphKindEntry>& GraphKinds() {
  static const std::vector<GraphKindEntry> kinds = {
      {0, "file playback with an overlay window", &MakeOverlayGraph},
      {1, "windowless rendering", &MakeWindowlessGraph},
      {2, "windowless rendering, built by hand", &MakeHandBuiltWindowlessGraph},
      {3, "DVD-Video volumes", &MakeDvdGraph},
      {4, "capture devices", &MakeCaptureGraph},
  };
  return kinds;
}

std::unique_ptr<GraphKind> MakeGraphKind(int32_t mode) {
  for (const GraphKindEntry& entry : GraphKinds())
    if (entry.mode == mode) return entry.make();
  return nullptr;
}

}  // namespace orvana
