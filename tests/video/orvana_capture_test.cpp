// Capture devices as a host sees them, with the test's camera registered the way a real one
// appears.
#include "fake_camera.h"
#include "orvana_host_fixture.h"

using namespace orvana_host;

TEST_F(OrvanaHost, VideoInputDevicesAreListedWithTheirNames) {
  ASSERT_TRUE(RegisterFakeCamera());
  OrvanaLibrary& o = Lib();
  OrvanaCaptureDeviceEntry entry{"untouched", "untouched"};
  ASSERT_EQ(o.Orvana_Capture_EnumVideoDevice(0, &entry), ORVANA_TRUE);
  EXPECT_STREQ(entry.friendlyName, kFakeCameraName);
  EXPECT_STREQ(entry.classId, "{00000000-0000-0000-0000-000000000000}") << "GStreamer devices name no class";
  // Past the end, before the start and without an entry: false, the entry left alone.
  OrvanaCaptureDeviceEntry kept{"kept", "kept"};
  for (int32_t index : {1, -1, INT32_MAX}) EXPECT_EQ(o.Orvana_Capture_EnumVideoDevice(index, &kept), ORVANA_FALSE);
  EXPECT_STREQ(kept.friendlyName, "kept");
  EXPECT_EQ(o.Orvana_Capture_EnumVideoDevice(0, nullptr), ORVANA_FALSE);
}
