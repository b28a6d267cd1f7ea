// The media object's tools on a real GStreamer: the device enumerator (the test's
// PulseAudio server offers audio sources; this machine has no camera), snapshots of a
// graph's elements and an element's pads, and the helpers.
#include "utilities.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio_shaper.h"

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

// The balance in every sample format: with the left side at half, the left samples are
// heard at half and the right ones as they were (8 and 24 bit, either byte order, float).
TEST(AudioShaperBalance, EverySampleFormat) {
  ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
  for (const char* name : {"U8", "S8", "S16LE", "S16BE", "S24LE", "S24BE", "S24_32LE", "S32BE", "F32BE", "F64LE"}) {
    SCOPED_TRACE(name);
    GstCaps* caps = gst_caps_from_string(
        (std::string("audio/x-raw, rate=48000, channels=2, layout=interleaved, channel-mask=(bitmask)0x3, format=") + name)
            .c_str());
    GstAudioInfo info;
    ASSERT_TRUE(gst_audio_info_from_caps(&info, caps));
    constexpr int kFrames = 64;
    std::vector<double> in(2 * kFrames, 0.5), out(2 * kFrames);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, static_cast<gsize>(kFrames * GST_AUDIO_INFO_BPF(&info)), nullptr);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(buffer, &map, GST_MAP_WRITE));
    // Through F64: pack from doubles (integer formats go through S32).
    const GstAudioFormatInfo* f = info.finfo;
    std::vector<int32_t> whole(in.size(), 1 << 30);
    f->pack_func(f, GST_AUDIO_PACK_FLAG_NONE, f->unpack_format == GST_AUDIO_FORMAT_F64 ? static_cast<void*>(in.data()) : whole.data(),
                 map.data, 2 * kFrames);
    gst_buffer_unmap(buffer, &map);

    auto shaper = std::make_shared<orvana::AudioShaper>();
    shaper->SetFormat(caps);
    shaper->SetPanorama(0.5);
    shaper->Shape(buffer);

    ASSERT_TRUE(gst_buffer_map(buffer, &map, GST_MAP_READ));
    if (f->unpack_format == GST_AUDIO_FORMAT_F64) {
      f->unpack_func(f, GST_AUDIO_PACK_FLAG_NONE, out.data(), map.data, 2 * kFrames);
    } else {
      f->unpack_func(f, GST_AUDIO_PACK_FLAG_NONE, whole.data(), map.data, 2 * kFrames);
      for (size_t i = 0; i < out.size(); ++i) out[i] = whole[i] / 2147483648.0;
    }
    gst_buffer_unmap(buffer, &map);
    EXPECT_NEAR(out[2 * 10], 0.25, 0.01) << "left at half";
    EXPECT_NEAR(out[2 * 10 + 1], 0.5, 0.01) << "right as it was";
    gst_buffer_unref(buffer);
    gst_caps_unref(caps);
  }
}
