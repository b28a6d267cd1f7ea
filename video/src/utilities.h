// The media object's small tools: the device enumerator over device categories, snapshots
// of a graph's elements and of an element's pads, and three helpers.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvana {

int32_t Clamp(int32_t value, int32_t low, int32_t high);
// The part after the last "\" or "/"; the whole text without either.
std::string FileNameTail(const std::string& text);
// The running program's folder, with a trailing "/".
std::string HostFolder();

inline constexpr const char* kGuidNull = "{00000000-0000-0000-0000-000000000000}";

struct DeviceEntry {
  std::string FriendlyName;
  std::string ClassId;  // registry form, kGuidNull when the device names none
};

// The devices of one category ("Video/Source", "Audio/Source", …) and the list of the
// categories there are. Enumerated when created or when another category is selected.
class SysDevEnum {
 public:
  explicit SysDevEnum(std::string category);
  ~SysDevEnum();
  SysDevEnum(const SysDevEnum&) = delete;
  SysDevEnum& operator=(const SysDevEnum&) = delete;

  int count() const { return static_cast<int>(devices_.size()); }
  // False outside 0 .. count - 1.
  bool entry(int index, DeviceEntry* out) const;
  // A new source element for the device (the caller owns it), or null.
  GstElement* baseFilter(int index) const;
  // The device's first format, fixed (its preferred one; the caller owns it), or null when
  // it names none.
  GstCaps* preferredFormat(int index) const;
  void selectCategory(std::string category);
  const std::vector<std::string>& categories() const { return categories_; }

 private:
  std::string category_;
  std::vector<std::string> categories_;
  std::vector<DeviceEntry> devices_;
  std::vector<GstDevice*> handles_;
};

// Snapshots taken when made: the elements of a graph (every level), the pads of an element.
std::vector<GstElement*> FilterList(GstElement* graph);  // each reference owned by the caller
std::vector<std::string> PinNames(GstElement* element);

}  // namespace orvana
