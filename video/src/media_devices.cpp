// The media object's video input devices: the list and the capture graph's open.
#include "media.h"
#include "utilities.h"

namespace orvana {

bool TDShowMedia::OpenCaptureDevice(int32_t mode, uintptr_t window, int32_t index, OrvanaMediaEventCallback callback) {
  if (FGraphMode != 4 || !kind_ || index < 0 || !EnsureGstreamer()) return false;
  graph_.owner = window;
  Close();
  DeviceEntry unused;
  if (!VideoDevice(index, &unused) || !kind_->Build(graph_)) return false;
  WatchGraph();
  if (mode != 0 && mode != 1) {
    FEventCallback = callback;
    return true;
  }
  GstElement* video = FDevEnum->baseFilter(index);
  // The sound input kept is the last one listed.
  SysDevEnum sound("Audio/Source");
  GstElement* audio = mode == 1 && sound.count() > 0 ? sound.baseFilter(sound.count() - 1) : nullptr;
  // A recording takes the next number only once it runs.
  const std::string recordTo = mode == 1 ? HostFolder() + std::to_string(FCaptureCount + 1) + ".avi" : "";
  GstCaps* format = FDevEnum->preferredFormat(index);
  const bool open = video && kind_->OpenDevice(graph_, video, format, audio, recordTo);
  if (format) gst_caps_unref(format);
  if (!open) {
    for (GstElement* e : {video, audio})
      if (e && !GST_OBJECT_PARENT(e)) gst_object_unref(gst_object_ref_sink(e));
    Close();
    return false;
  }
  if (mode == 1) ++FCaptureCount;
  openedDevice_ = {mode, window, index};
  stopped_ = false;
  kind_->Attach(graph_);
  ListGraph();
  FEventCallback = callback;
  return true;
}

bool TDShowMedia::OpenCaptureDeviceAgain() {
  const OpenedDevice device = openedDevice_;
  return OpenCaptureDevice(device.mode, device.window, device.index, FEventCallback);
}

bool TDShowMedia::VideoDevice(int32_t index, DeviceEntry* entry) {
  if (!FDevEnum && EnsureGstreamer()) FDevEnum = std::make_unique<SysDevEnum>("Video/Source");
  return FDevEnum && FDevEnum->entry(index, entry);
}

}  // namespace orvana
