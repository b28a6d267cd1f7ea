// The media object's tools on a real GStreamer: the device enumerator (the test's
// PulseAudio server offers audio sources; this machine has no camera), snapshots of a
// graph's elements and an element's pads, and the helpers.
#include "utilities.h"

#include <gtest/gtest.h>

namespace orvana {
namespace {

TEST(Helpers, ClampTailAndHostFolder) {
  EXPECT_EQ(Clamp(20000, 0, 10000), 10000);
  EXPECT_EQ(Clamp(-5, 0, 10000), 0);
  EXPECT_EQ(Clamp(7, 0, 10000), 7);
  EXPECT_EQ(FileNameTail("C:\\Videos\\clip.avi"), "clip.avi");
  EXPECT_EQ(FileNameTail("/home/u/clip.avi"), "clip.avi");
  EXPECT_EQ(FileNameTail("clip.avi"), "clip.avi");
  const std::string folder = HostFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_NE(folder.find("/tests/"), std::string::npos) << folder;
}

TEST(DeviceEnumerator, CategoriesDevicesAndEmptyCategories) {
  ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
  SysDevEnum video("Video/Source");
  EXPECT_EQ(video.count(), 0) << "no camera here";
  DeviceEntry e;
  EXPECT_FALSE(video.entry(0, &e));
  EXPECT_EQ(video.baseFilter(0), nullptr);
  video.selectCategory("Audio/Source");
  ASSERT_GE(video.count(), 1) << "the test's PulseAudio server has at least the null sink's monitor";
  ASSERT_TRUE(video.entry(0, &e));
  EXPECT_FALSE(e.FriendlyName.empty());
  EXPECT_EQ(e.ClassId, kGuidNull) << "GStreamer devices name no class id";
  EXPECT_FALSE(video.entry(video.count(), &e));
  GstElement* source = video.baseFilter(0);
  ASSERT_NE(source, nullptr);
  gst_object_unref(gst_object_ref_sink(source));
  const auto& categories = video.categories();
  EXPECT_NE(std::find(categories.begin(), categories.end(), "Audio/Source"), categories.end());
}

TEST(Snapshots, ElementsOfAGraphAndPadsOfAnElement) {
  ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
  GstElement* graph = gst_parse_launch("audiotestsrc name=Source ! volume name=Gain ! fakesink name=Out", nullptr);
  ASSERT_NE(graph, nullptr);
  std::vector<GstElement*> filters = FilterList(graph);
  std::vector<std::string> names;
  for (GstElement* f : filters) {
    gchar* n = gst_element_get_name(f);
    names.emplace_back(n);
    g_free(n);
    gst_object_unref(f);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Gain", "Out", "Source"}));
  GstElement* gain = gst_bin_get_by_name(GST_BIN(graph), "Gain");
  std::vector<std::string> pins = PinNames(gain);
  std::sort(pins.begin(), pins.end());
  EXPECT_EQ(pins, (std::vector<std::string>{"sink", "src"}));
  gst_object_unref(gain);
  EXPECT_TRUE(FilterList(nullptr).empty());
  EXPECT_TRUE(PinNames(nullptr).empty());
  gst_object_unref(graph);
}

}  // namespace
}  // namespace orvana
