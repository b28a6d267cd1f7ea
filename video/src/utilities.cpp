#include "utilities.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <set>

namespace orvana {

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return value < low ? low : value > high ? high : value; }

std::string FileNameTail(const std::string& text) {
  const size_t cut = text.find_last_of("\\/");
  return cut == std::string::npos ? text : text.substr(cut + 1);
}

std::string HostFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  const std::string exe(path, static_cast<size_t>(n));
  return exe.substr(0, exe.find_last_of('/') + 1);
}

namespace {

// All devices the providers know, one reference each.
std::vector<GstDevice*> AllDevices() {
  std::vector<GstDevice*> out;
  GstDeviceMonitor* monitor = gst_device_monitor_new();
  gst_device_monitor_add_filter(monitor, nullptr, nullptr);
  if (gst_device_monitor_start(monitor)) {
    GList* devices = gst_device_monitor_get_devices(monitor);
    for (GList* d = devices; d; d = d->next) out.push_back(GST_DEVICE(d->data));  // takes the list's refs
    g_list_free(devices);
    gst_device_monitor_stop(monitor);
  }
  gst_object_unref(monitor);
  return out;
}

std::string ClassIdOf(GstDevice* device) {
  GstStructure* props = gst_device_get_properties(device);
  std::string id = kGuidNull;
  if (props) {
    if (const gchar* clsid = gst_structure_get_string(props, "CLSID")) id = clsid;
    gst_structure_free(props);
  }
  return id;
}

}  // namespace

SysDevEnum::SysDevEnum(std::string category) { selectCategory(std::move(category)); }

SysDevEnum::~SysDevEnum() {
  for (GstDevice* d : handles_) gst_object_unref(d);
}

void SysDevEnum::selectCategory(std::string category) {
  for (GstDevice* d : handles_) gst_object_unref(d);
  handles_.clear();
  devices_.clear();
  categories_.clear();
  category_ = std::move(category);
  std::set<std::string> seen;
  for (GstDevice* device : AllDevices()) {
    gchar* klass = gst_device_get_device_class(device);
    const std::string deviceClass = klass ? klass : "";
    g_free(klass);
    if (seen.insert(deviceClass).second) categories_.push_back(deviceClass);
    if (deviceClass != category_) {
      gst_object_unref(device);
      continue;
    }
    gchar* name = gst_device_get_display_name(device);
    devices_.push_back({name ? name : "", ClassIdOf(device)});
    g_free(name);
    handles_.push_back(device);
  }
}

bool SysDevEnum::entry(int index, DeviceEntry* out) const {
  if (index < 0 || index >= count()) return false;
  *out = devices_[static_cast<size_t>(index)];
  return true;
}

GstElement* SysDevEnum::baseFilter(int index) const {
  if (index < 0 || index >= count()) return nullptr;
  return gst_device_create_element(handles_[static_cast<size_t>(index)], nullptr);
}

GstCaps* SysDevEnum::preferredFormat(int index) const {
  if (index < 0 || index >= count()) return nullptr;
  GstCaps* all = gst_device_get_caps(handles_[static_cast<size_t>(index)]);
  GstCaps* first = all && !gst_caps_is_any(all) && !gst_caps_is_empty(all) ? gst_caps_copy_nth(all, 0) : nullptr;
  if (all) gst_caps_unref(all);
  return first ? gst_caps_fixate(first) : nullptr;
}

std::vector<GstElement*> FilterList(GstElement* graph) {
  std::vector<GstElement*> out;
  if (!graph || !GST_IS_BIN(graph)) return out;
  GstIterator* it = gst_bin_iterate_recurse(GST_BIN(graph));
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
    out.push_back(GST_ELEMENT(gst_object_ref(g_value_get_object(&item))));
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(it);
  return out;
}

std::vector<std::string> PinNames(GstElement* element) {
  std::vector<std::string> out;
  if (!element) return out;
  GstIterator* it = gst_element_iterate_pads(element);
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
    gchar* name = gst_pad_get_name(GST_PAD(g_value_get_object(&item)));
    out.emplace_back(name ? name : "");
    g_free(name);
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(it);
  return out;
}

}  // namespace orvana
