#include "fake_camera.h"

#include <gst/gst.h>

namespace {

struct FakeCamera {
  GstDevice parent;
};
struct FakeCameraClass {
  GstDeviceClass parent_class;
};
G_DEFINE_TYPE(FakeCamera, fake_camera, GST_TYPE_DEVICE)

GstElement* CreateCameraElement(GstDevice*, const gchar* name) {
  GstElement* source = gst_element_factory_make("videotestsrc", name);
  if (source) g_object_set(source, "is-live", TRUE, nullptr);
  return source;
}
void fake_camera_class_init(FakeCameraClass* klass) { GST_DEVICE_CLASS(klass)->create_element = CreateCameraElement; }
void fake_camera_init(FakeCamera*) {}

struct FakeCameraProvider {
  GstDeviceProvider parent;
};
struct FakeCameraProviderClass {
  GstDeviceProviderClass parent_class;
};
G_DEFINE_TYPE(FakeCameraProvider, fake_camera_provider, GST_TYPE_DEVICE_PROVIDER)

GList* ProbeCameras(GstDeviceProvider*) {
  // Like a real camera's list of modes, the preferred first.
  GstCaps* caps = gst_caps_from_string("video/x-raw, format=I420, width=320, height=240, framerate=30/1; "
                                       "video/x-raw, format=I420, width=160, height=120, framerate=30/1");
  GstDevice* camera = GST_DEVICE(g_object_new(fake_camera_get_type(), "display-name", orvana_host::kFakeCameraName,
                                              "device-class", "Video/Source", "caps", caps, nullptr));
  gst_caps_unref(caps);
  return g_list_append(nullptr, gst_object_ref_sink(camera));
}
void fake_camera_provider_class_init(FakeCameraProviderClass* klass) {
  GstDeviceProviderClass* provider = GST_DEVICE_PROVIDER_CLASS(klass);
  provider->probe = ProbeCameras;
  gst_device_provider_class_set_static_metadata(provider, "Lirra test camera", "Source/Video",
                                                "A live test picture as a camera", "Lirra");
}
void fake_camera_provider_init(FakeCameraProvider*) {}

}  // namespace

namespace orvana_host {

bool RegisterFakeCamera() {
  static const bool registered =
      gst_init_check(nullptr, nullptr, nullptr) &&
      gst_device_provider_register(nullptr, "lirrafakecamera", GST_RANK_PRIMARY, fake_camera_provider_get_type());
  return registered;
}

}  // namespace orvana_host
