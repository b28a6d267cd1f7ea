// The 59 exported functions: thin forwarders to the one media object. Every export but
// Orvana_Init does nothing and returns 0 while the library is not initialised (OnMedia),
// and no exception leaves any of them.
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>

#include "event_texts.h"
#include "graph_registry.h"
#include "host_window.h"
#include "media.h"
#include "media_info.h"
#include "messages.h"
#include "playback_math.h"
#include "property_page.h"
#include "render_log.h"
#include "orvana.h"

#define ORVANA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Library {
  orvana::MessageTable messages;
  std::unique_ptr<orvana::TDShowMedia> media;  // DSMedia
  void* dropTarget = nullptr;                  // URLDropper
  orvana::DeviceEntry device;                  // the texts of the last device entry handed out
};

Library& Lib() {
  static Library library;
  return library;
}

orvana::TDShowMedia* Media() { return Lib().media.get(); }

// Every export: its nothing-done value before Orvana_Init, and no exception ever leaves the
// library (a failure inside answers like nothing done).
template <typename Result, typename Body>
Result OnMedia(Result nothing, Body&& body) noexcept {
  try {
    if (orvana::TDShowMedia* media = Media()) return body(*media);
  } catch (...) {
  }
  return nothing;
}
template <typename Body>
void OnMedia(Body&& body) noexcept {
  try {
    if (orvana::TDShowMedia* media = Media()) body(*media);
  } catch (...) {
  }
}

std::string Utf8(const OrvanaBSTR text) {
  if (!text) return {};
  return QString::fromUtf16(text, static_cast<qsizetype>(OrvanaStringLength(text))).toStdString();
}

void StoreString(OrvanaBSTR* variable, const std::string& utf8) {
  if (!variable) return;
  const QString text = QString::fromStdString(utf8);
  OrvanaFreeString(*variable);
  *variable = OrvanaAllocString(reinterpret_cast<const char16_t*>(text.utf16()),
                                static_cast<uint32_t>(text.size()));
}

// The optical drive a drive text names: a path as given, a letter the first drive.
std::string DrivePath(const char* drive) {
  const std::string d = drive ? drive : "";
  if (d.find('/') != std::string::npos) return d;
  return access("/dev/cdrom", F_OK) == 0 ? "/dev/cdrom" : "/dev/sr0";
}

// Opens (action 0) or closes (1) the drive's door: 0 when done or when no drive could be
// opened, -1 when the drive opened but refused the door command.
int32_t DriveDoor(const char* drive, int32_t action) {
  const int command = (action & 0xFF) == 0 ? CDROMEJECT : (action & 0xFF) == 1 ? CDROMCLOSETRAY : -1;
  if (command < 0) return 0;
  const int fd = open(DrivePath(drive).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  const int done = ioctl(fd, static_cast<unsigned long>(command), 0);
  close(fd);
  return done == 0 ? 0 : ORVANA_TRUE;
}

}  // namespace

ORVANA_EXPORT int32_t Orvana_Init(uintptr_t window, OrvanaTextCallback dropCallback) {
  try {
    Library& lib = Lib();
    orvana::RemoveDropTarget(lib.dropTarget);  // a second Init without Free replaces the first
    lib.dropTarget = nullptr;
    lib.media = std::make_unique<orvana::TDShowMedia>(window, lib.messages);
    lib.messages.Load(0);
    lib.dropTarget = orvana::InstallDropTarget(window, dropCallback);
    return ORVANA_TRUE;
  } catch (...) {
    return 0;
  }
}

ORVANA_EXPORT void Orvana_Free(void) {
  try {
    Lib().media.reset();
  } catch (...) {
  }
  orvana::RemoveDropTarget(Lib().dropTarget);
  Lib().dropTarget = nullptr;
}

using Media_ = orvana::TDShowMedia;

ORVANA_EXPORT void Orvana_SetMsgBoxTextLang(int32_t language) {
  OnMedia([&](Media_&) { Lib().messages.Load(language); });
}

ORVANA_EXPORT int32_t Orvana_SetConfig(int32_t key, int32_t value) {
  return OnMedia(0, [&](Media_& m) { return m.SetConfig(key, value); });
}

ORVANA_EXPORT int32_t Orvana_GraphMode(void) {
  return OnMedia(0, [](Media_& m) { return m.GraphMode(); });
}

ORVANA_EXPORT int32_t Orvana_MediaLoad(int32_t playAtOnce, uintptr_t videoWindow, const char* file,
                                       int32_t renderLog, OrvanaMediaEventCallback callback) {
  return OnMedia(0, [&](Media_& m) { return m.Load(playAtOnce != 0, videoWindow, file, renderLog != 0, callback); });
}

ORVANA_EXPORT int32_t Orvana_MediaState(int32_t command) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) { return m.StateCommand(command) ? ORVANA_TRUE : ORVANA_FALSE; });
}

ORVANA_EXPORT void Orvana_SetVolume(int32_t volume) {
  OnMedia([&](Media_& m) { m.SetVolume(volume); });
}
ORVANA_EXPORT int32_t Orvana_GetVolume(void) {
  return OnMedia(0, [](Media_& m) { return m.Volume(); });
}
ORVANA_EXPORT void Orvana_SetBalance(int32_t balance) {
  OnMedia([&](Media_& m) { m.SetBalance(balance); });
}
ORVANA_EXPORT int32_t Orvana_GetBalance(void) {
  return OnMedia(0, [](Media_& m) { return m.Balance(); });
}
ORVANA_EXPORT void Orvana_SetRate(double rate) {
  OnMedia([&](Media_& m) { m.SetRate(rate); });
}
ORVANA_EXPORT int32_t Orvana_IsActive(void) {
  return OnMedia(0, [](Media_& m) { return m.IsActive(); });
}

ORVANA_EXPORT void Orvana_GetTime(OrvanaBSTR* text, int32_t kind) {
  OnMedia([&](Media_& m) {
    std::string value;
    if (m.TimeText(kind, &value)) StoreString(text, value);
  });
}

ORVANA_EXPORT int32_t Orvana_GetSeconds(int32_t kind) {
  return OnMedia(0, [&](Media_& m) { return m.Seconds(kind); });
}
ORVANA_EXPORT void Orvana_SetPosition(double seconds) {
  OnMedia([&](Media_& m) { m.SetPosition(seconds); });
}
ORVANA_EXPORT int32_t Orvana_Mute(void) {
  return OnMedia(ORVANA_FALSE, [](Media_& m) { return m.Mute() ? ORVANA_TRUE : ORVANA_FALSE; });
}
ORVANA_EXPORT void Orvana_FastForward(int32_t seconds) {
  OnMedia([&](Media_& m) { m.SeekRelative(seconds); });
}
ORVANA_EXPORT void Orvana_FastBack(int32_t seconds) {
  OnMedia([&](Media_& m) { m.SeekRelative(-static_cast<int64_t>(seconds)); });
}
ORVANA_EXPORT void Orvana_StepOneFrame(void) {
  OnMedia([](Media_& m) { m.StepOneFrame(); });
}
ORVANA_EXPORT int32_t Orvana_SetStartStopPosition(int32_t start, int32_t stop) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) { return m.SetStartStop(start, stop) ? ORVANA_TRUE : ORVANA_FALSE; });
}
ORVANA_EXPORT int32_t Orvana_SetMpegAudioChannel(int32_t mode) {
  return OnMedia(0, [&](Media_& m) { return m.GraphBuilt() ? m.SetMpegAudioChannel(mode) : ORVANA_S_FALSE; });
}
ORVANA_EXPORT int32_t Orvana_SetChannel(void* buffer, int32_t byteCount, int32_t direction, int32_t bits) {
  return OnMedia(0, [&](Media_&) {
    orvana::CopyChannel(static_cast<uint8_t*>(buffer), byteCount, direction, bits);
    return ORVANA_TRUE;
  });
}

ORVANA_EXPORT int32_t Orvana_SetWindowResize(void) {
  return OnMedia(0, [](Media_& m) {
    m.FitVideo();
    return ORVANA_TRUE;
  });
}
ORVANA_EXPORT void Orvana_GetVideoInfo(OrvanaVideoInfo* info) {
  OnMedia([&](Media_& m) { m.GetVideoInfo(info); });
}
ORVANA_EXPORT int32_t Orvana_SetVideoWindow(uintptr_t window, int32_t sizeCode) {
  return OnMedia(0, [&](Media_& m) { return m.SetVideoWindow(window, sizeCode); });
}
ORVANA_EXPORT void Orvana_SetDigitalZoom(int32_t percent) {
  OnMedia([&](Media_& m) { m.SetDigitalZoom(percent); });
}
ORVANA_EXPORT int32_t Orvana_StartFullScreen(void) {
  return OnMedia(0, [](Media_& m) { return m.StartFullScreen(); });
}
ORVANA_EXPORT void Orvana_RepaintVideo(void) {
  OnMedia([](Media_& m) { m.Repaint(); });
}
ORVANA_EXPORT void Orvana_SetVideoEffects(int32_t value, int32_t effect) {
  OnMedia([&](Media_& m) { m.SetVideoEffects(value, effect); });
}
ORVANA_EXPORT void Orvana_CaptureBitmap(const OrvanaBSTR fileName) {
  OnMedia([&](Media_& m) { m.CaptureBitmap(Utf8(fileName)); });
}
ORVANA_EXPORT OrvanaBitmap* Orvana_BitmapHandle(void) {
  return OnMedia(static_cast<OrvanaBitmap*>(nullptr), [](Media_& m) { return m.BitmapHandle(); });
}

ORVANA_EXPORT void Orvana_GetEventCode(OrvanaBSTR* text, int32_t code) {
  OnMedia([&](Media_&) { StoreString(text, orvana::EventCodeText(code)); });
}

ORVANA_EXPORT void Orvana_GetMediaInfo(const char* file, OrvanaTextCallback callback) {
  OnMedia([&](Media_&) {
    if (callback) orvana::DescribeMediaFile(file, Lib().messages, [&](const std::string& line) { callback(line.c_str()); });
  });
}

ORVANA_EXPORT int32_t Orvana_EnumFilter(OrvanaTextCallback callback) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) {
    if (!callback || !m.Pipeline()) return ORVANA_FALSE;
    return orvana::EnumFilters(m.Pipeline(), [&](const std::string& name) { callback(name.c_str()); }) ? ORVANA_TRUE
                                                                                                      : ORVANA_FALSE;
  });
}

// The filter the host names in the built graph, held while `body` runs; null when none.
template <typename Body>
auto WithFilter(Media_& m, const char* name, Body&& body) {
  GstElement* filter = m.Pipeline() && name ? orvana::FindFilter(m.Pipeline(), name) : nullptr;
  auto result = body(filter);
  if (filter) gst_object_unref(filter);
  return result;
}

ORVANA_EXPORT void Orvana_ShowFilterPropertyPage(const char* filterName) {
  OnMedia([&](Media_& m) {
    WithFilter(m, filterName, [&](GstElement* filter) {
      if (orvana::HasPropertyPage(filter)) orvana::ShowPropertyPage(filter, m.Owner());
      return 0;
    });
  });
}
ORVANA_EXPORT int32_t Orvana_HasFilterPropertyPage(const char* filterName) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) {
    return WithFilter(m, filterName, [](GstElement* filter) { return orvana::HasPropertyPage(filter); }) ? ORVANA_TRUE
                                                                                                       : ORVANA_FALSE;
  });
}

ORVANA_EXPORT void Orvana_ViewRenderLog(void) {
  OnMedia([](Media_&) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(orvana::RenderLogPath())));
  });
}
ORVANA_EXPORT int32_t Orvana_LoadFromFileToGraphEdit(const char* file) {
  return OnMedia(0, [&](Media_& m) { return orvana::OpenInGraphViewer(file, m.ParentWindow(), Lib().messages); });
}
ORVANA_EXPORT int32_t Orvana_ShowAboutBox(void) {
  return OnMedia(0, [](Media_& m) { return orvana::ShowAboutBox(m.ParentWindow()); });
}

ORVANA_EXPORT int32_t Orvana_Capture_EnumVideoDevice(int32_t index, OrvanaCaptureDeviceEntry* entry) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) {
    orvana::DeviceEntry found;
    if (!entry || !m.VideoDevice(index, &found)) return ORVANA_FALSE;
    Lib().device = std::move(found);
    entry->friendlyName = Lib().device.FriendlyName.c_str();
    entry->classId = Lib().device.ClassId.c_str();
    return ORVANA_TRUE;
  });
}

ORVANA_EXPORT int32_t Orvana_Capture_OpenVideoDevice(int32_t mode, uintptr_t videoWindow, int32_t index,
                                                     OrvanaMediaEventCallback callback) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) {
    return m.OpenCaptureDevice(mode, videoWindow, index, callback) ? ORVANA_TRUE : ORVANA_FALSE;
  });
}

ORVANA_EXPORT int32_t Orvana_CDROM_State(const char* drive, int32_t action) {
  return OnMedia(0, [&](Media_&) { return DriveDoor(drive, action); });
}

// DVD navigation: each command through the navigator of a DVD graph (false without one).
namespace {
using Navigator_ = orvana::DvdNavigator;
int32_t Dvd(const std::function<bool(Navigator_&)>& command, bool normalRate) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) { return m.DvdCommand(command, normalRate) ? ORVANA_TRUE : ORVANA_FALSE; });
}
}  // namespace

ORVANA_EXPORT int32_t Orvana_DVD_TitleMenu(void) {
  return Dvd([](Navigator_& n) { return n.ShowMenu(orvana::kDvdTitleMenu); }, true);
}
ORVANA_EXPORT int32_t Orvana_DVD_RootMenu(void) {
  return Dvd([](Navigator_& n) { return n.ShowMenu(orvana::kDvdRootMenu); }, true);
}
ORVANA_EXPORT int32_t Orvana_DVD_PrevChapter(void) {
  return Dvd([](Navigator_& n) { return n.PlayPrevChapter(); }, true);
}
ORVANA_EXPORT int32_t Orvana_DVD_NextChapter(void) {
  return Dvd(
      [](Navigator_& n) {
        if (!n.PlayNextChapter()) return false;
        n.WaitForEnd();
        return true;
      },
      true);
}
ORVANA_EXPORT int32_t Orvana_DVD_ReplayChapter(void) {
  return Dvd([](Navigator_& n) { return n.ReplayChapter(); }, true);
}
ORVANA_EXPORT int32_t Orvana_DVD_Resume(void) {
  return Dvd([](Navigator_& n) { return n.Resume(); }, true);
}
ORVANA_EXPORT int32_t Orvana_DVD_Forwards(void) {
  return Dvd([](Navigator_& n) { return n.PlayForwards(orvana::kDvdScanSpeed); }, false);
}
ORVANA_EXPORT int32_t Orvana_DVD_Backwards(void) {
  return Dvd([](Navigator_& n) { return n.PlayBackwards(orvana::kDvdScanSpeed); }, false);
}
ORVANA_EXPORT int32_t Orvana_DVD_SetTitle(int32_t title) {
  return Dvd([&](Navigator_& n) { return n.PlayTitle(title); }, false);
}
ORVANA_EXPORT int32_t Orvana_DVD_SetChapter(int32_t chapter) {
  return Dvd([&](Navigator_& n) { return n.PlayChapter(chapter); }, false);
}
ORVANA_EXPORT int32_t Orvana_DVD_SetAngle(int32_t angle) {
  return Dvd([&](Navigator_& n) { return n.SelectAngle(angle); }, false);
}
ORVANA_EXPORT int32_t Orvana_DVD_ModifyRate(double change) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) { return m.DvdModifyRate(change) ? ORVANA_TRUE : ORVANA_FALSE; });
}
ORVANA_EXPORT void Orvana_DVD_SaveBookmark(const OrvanaBSTR fileName) {
  OnMedia([&](Media_& m) { m.DvdSaveBookmark(Utf8(fileName)); });
}
ORVANA_EXPORT void Orvana_DVD_RestoreBookmark(const OrvanaBSTR fileName) {
  OnMedia([&](Media_& m) { m.DvdRestoreBookmark(Utf8(fileName)); });
}
ORVANA_EXPORT int32_t Orvana_DVD_SetPresentationMode(int32_t mode) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) { return m.DvdSetPresentationMode(mode) ? ORVANA_TRUE : ORVANA_FALSE; });
}
ORVANA_EXPORT int32_t Orvana_DVD_ToggleCaptioning(int32_t on) {
  return OnMedia(ORVANA_FALSE, [&](Media_& m) { return m.DvdSetCaptions(on != 0) ? ORVANA_TRUE : ORVANA_FALSE; });
}
