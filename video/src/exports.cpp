// The 59 exported functions: thin forwarders to the one media object. Every export but
// Orvana_Init does nothing and returns 0 while the library is not initialised.
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QString>

#include <memory>
#include <string>

#include "host_window.h"
#include "media.h"
#include "messages.h"
#include "playback_math.h"
#include "orvana.h"

#define ORVANA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Library {
  orvana::MessageTable messages;
  std::unique_ptr<orvana::TDShowMedia> media;  // DSMedia
  void* dropTarget = nullptr;                  // URLDropper
};

Library& Lib() {
  static Library library;
  return library;
}

orvana::TDShowMedia* Media() { return Lib().media.get(); }

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

}  // namespace

ORVANA_EXPORT int32_t Orvana_Init(uintptr_t window, OrvanaTextCallback dropCallback) {
  Library& lib = Lib();
  orvana::RemoveDropTarget(lib.dropTarget);  // a second Init without Free replaces the first
  lib.media = std::make_unique<orvana::TDShowMedia>(window, lib.messages);
  lib.messages.Load(0);
  lib.dropTarget = orvana::InstallDropTarget(window, dropCallback);
  return ORVANA_TRUE;
}

ORVANA_EXPORT void Orvana_Free(void) {
  Lib().media.reset();
  orvana::RemoveDropTarget(Lib().dropTarget);
  Lib().dropTarget = nullptr;
}

ORVANA_EXPORT void Orvana_SetMsgBoxTextLang(int32_t language) {
  if (Media()) Lib().messages.Load(language);
}

ORVANA_EXPORT int32_t Orvana_SetConfig(int32_t key, int32_t value) {
  return Media() ? Media()->SetConfig(key, value) : 0;
}

ORVANA_EXPORT int32_t Orvana_GraphMode(void) { return Media() ? Media()->GraphMode() : 0; }

ORVANA_EXPORT int32_t Orvana_MediaLoad(int32_t playAtOnce, uintptr_t videoWindow, const char* file,
                                       int32_t renderLog, OrvanaMediaEventCallback callback) {
  if (!Media()) return 0;
  return Media()->Load(playAtOnce != 0, videoWindow, file, renderLog != 0, callback);
}

ORVANA_EXPORT int32_t Orvana_MediaState(int32_t command) {
  return Media() && Media()->StateCommand(command) ? ORVANA_TRUE : ORVANA_FALSE;
}

ORVANA_EXPORT void Orvana_SetVolume(int32_t volume) {
  if (Media()) Media()->SetVolume(volume);
}
ORVANA_EXPORT int32_t Orvana_GetVolume(void) { return Media() ? Media()->Volume() : 0; }
ORVANA_EXPORT void Orvana_SetBalance(int32_t balance) {
  if (Media()) Media()->SetBalance(balance);
}
ORVANA_EXPORT int32_t Orvana_GetBalance(void) { return Media() ? Media()->Balance() : 0; }
ORVANA_EXPORT void Orvana_SetRate(double rate) {
  if (Media()) Media()->SetRate(rate);
}
ORVANA_EXPORT int32_t Orvana_IsActive(void) { return Media() ? Media()->IsActive() : 0; }

ORVANA_EXPORT void Orvana_GetTime(OrvanaBSTR* text, int32_t kind) {
  std::string value;
  if (Media() && Media()->TimeText(kind, &value)) StoreString(text, value);
}

ORVANA_EXPORT int32_t Orvana_GetSeconds(int32_t kind) { return Media() ? Media()->Seconds(kind) : 0; }
ORVANA_EXPORT void Orvana_SetPosition(double seconds) {
  if (Media()) Media()->SetPosition(seconds);
}
ORVANA_EXPORT int32_t Orvana_Mute(void) { return Media() && Media()->Mute() ? ORVANA_TRUE : ORVANA_FALSE; }
ORVANA_EXPORT void Orvana_FastForward(int32_t seconds) {
  if (Media()) Media()->SeekRelative(seconds);
}
ORVANA_EXPORT void Orvana_FastBack(int32_t seconds) {
  if (Media()) Media()->SeekRelative(-seconds);
}
ORVANA_EXPORT void Orvana_StepOneFrame(void) {
  if (Media()) Media()->StepOneFrame();
}
ORVANA_EXPORT int32_t Orvana_SetStartStopPosition(int32_t start, int32_t stop) {
  return Media() && Media()->SetStartStop(start, stop) ? ORVANA_TRUE : ORVANA_FALSE;
}
ORVANA_EXPORT int32_t Orvana_SetMpegAudioChannel(int32_t mode) {
  if (!Media()) return 0;
  return Media()->GraphBuilt() ? Media()->SetMpegAudioChannel(mode) : ORVANA_S_FALSE;
}
ORVANA_EXPORT int32_t Orvana_SetChannel(void* buffer, int32_t byteCount, int32_t direction, int32_t bits) {
  if (!Media()) return 0;
  orvana::CopyChannel(static_cast<uint8_t*>(buffer), byteCount, direction, bits);
  return ORVANA_TRUE;
}

ORVANA_EXPORT int32_t Orvana_SetWindowResize(void) {
  if (!Media()) return 0;
  Media()->FitVideo();
  return ORVANA_TRUE;
}
ORVANA_EXPORT void Orvana_GetVideoInfo(OrvanaVideoInfo* info) {
  if (Media()) Media()->GetVideoInfo(info);
}
ORVANA_EXPORT int32_t Orvana_SetVideoWindow(uintptr_t window, int32_t sizeCode) {
  return Media() ? Media()->SetVideoWindow(window, sizeCode) : 0;
}
ORVANA_EXPORT void Orvana_SetDigitalZoom(int32_t percent) {
  if (Media()) Media()->SetDigitalZoom(percent);
}
ORVANA_EXPORT int32_t Orvana_StartFullScreen(void) { return Media() ? Media()->StartFullScreen() : 0; }
ORVANA_EXPORT void Orvana_RepaintVideo(void) {
  if (Media()) Media()->Repaint();
}
ORVANA_EXPORT void Orvana_SetVideoEffects(int32_t value, int32_t effect) {
  if (Media()) Media()->SetVideoEffects(value, effect);
}
ORVANA_EXPORT void Orvana_CaptureBitmap(const OrvanaBSTR fileName) {
  if (Media()) Media()->CaptureBitmap(Utf8(fileName));
}
ORVANA_EXPORT OrvanaBitmap* Orvana_BitmapHandle(void) { return Media() ? Media()->BitmapHandle() : nullptr; }

ORVANA_EXPORT int32_t Orvana_CDROM_State(const char* drive, int32_t action) {
  if (!Media()) return 0;
  const int command = (action & 0xFF) == 0 ? CDROMEJECT : (action & 0xFF) == 1 ? CDROMCLOSETRAY : -1;
  if (command < 0) return 0;
  // As with the original device commands: 0 when done or when no drive could be opened,
  // -1 when the drive opened but refused the door command.
  const int fd = open(DrivePath(drive).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  const int done = ioctl(fd, static_cast<unsigned long>(command), 0);
  close(fd);
  return done == 0 ? 0 : ORVANA_TRUE;
}

// Media information and diagnostics, capture devices and DVD navigation are the next
// part of the library: until then they answer what they answer with nothing open.
ORVANA_EXPORT int32_t Orvana_EnumFilter(OrvanaTextCallback) { return ORVANA_FALSE; }
ORVANA_EXPORT void Orvana_ShowFilterPropertyPage(const char*) {}
ORVANA_EXPORT int32_t Orvana_HasFilterPropertyPage(const char*) { return ORVANA_FALSE; }
ORVANA_EXPORT void Orvana_GetEventCode(OrvanaBSTR*, int32_t) {}
ORVANA_EXPORT int32_t Orvana_ShowAboutBox(void) { return 0; }
ORVANA_EXPORT int32_t Orvana_LoadFromFileToGraphEdit(const char*) { return 0; }
ORVANA_EXPORT void Orvana_GetMediaInfo(const char*, OrvanaTextCallback) {}
ORVANA_EXPORT void Orvana_ViewRenderLog(void) {}
ORVANA_EXPORT int32_t Orvana_Capture_EnumVideoDevice(int32_t, OrvanaCaptureDeviceEntry*) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_Capture_OpenVideoDevice(int32_t, uintptr_t, int32_t, OrvanaMediaEventCallback) {
  return ORVANA_FALSE;
}
ORVANA_EXPORT int32_t Orvana_DVD_TitleMenu(void) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_RootMenu(void) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_PrevChapter(void) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_NextChapter(void) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_ReplayChapter(void) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_Resume(void) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_Forwards(void) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_Backwards(void) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_SetTitle(int32_t) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_SetChapter(int32_t) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_SetAngle(int32_t) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_ModifyRate(double) { return ORVANA_FALSE; }
ORVANA_EXPORT void Orvana_DVD_SaveBookmark(const OrvanaBSTR) {}
ORVANA_EXPORT void Orvana_DVD_RestoreBookmark(const OrvanaBSTR) {}
ORVANA_EXPORT int32_t Orvana_DVD_SetPresentationMode(int32_t) { return ORVANA_FALSE; }
ORVANA_EXPORT int32_t Orvana_DVD_ToggleCaptioning(int32_t) { return ORVANA_FALSE; }
