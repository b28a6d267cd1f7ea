/* Orvana, the video library: plays video and other media inside a window of the host
 * program, on GStreamer. Its whole interface is the 59 functions below.
 *
 * Contract
 * - Every function is called on the host's user-interface thread, between Orvana_Init and
 *   Orvana_Free. That thread must run a GLib main loop (a Qt application on Linux does):
 *   graph events reach the host's callback from it, on that thread.
 * - Any function other than Orvana_Init called before Orvana_Init (or after Orvana_Free)
 *   does nothing and returns 0. Functions that need open media return their nothing-done
 *   value (0, false or 1) when nothing is open.
 * - Truth values returned are -1 (true) or 0 (false). Loading and DVD results are
 *   HRESULT-style codes: 0 success, 1 nothing done, negative errors (ORVANA_E_FAIL ...).
 * - Windows are native window ids (X11 window ids as Qt's QWidget::winId gives them).
 *   Windows handed over must be native widgets for as long as media shows in them.
 * - File names in are UTF-8. Texts out are either OrvanaBSTR strings stored into a
 *   caller's variable (the previous string there is freed; free the last one with
 *   OrvanaFreeString) or UTF-8 texts handed to a callback for the duration of the call.
 * - The library owns its pipelines and everything in them; the host frees only what this
 *   header says it owns: OrvanaBSTR strings and bitmaps from Orvana_BitmapHandle.
 * - While a file loads, a failing step shows a modal error box captioned "Error" (or
 *   "错误") that the host may find by its title and close.
 */
#ifndef ORVANA_H
#define ORVANA_H

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#ifndef __cplusplus
#include <uchar.h> /* char16_t */
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results. */
#define ORVANA_TRUE ((int32_t)-1)
#define ORVANA_FALSE ((int32_t)0)
#define ORVANA_S_OK ((int32_t)0)
#define ORVANA_S_FALSE ((int32_t)1)
#define ORVANA_E_FAIL ((int32_t)0x80004005u)
#define ORVANA_E_UNEXPECTED ((int32_t)0x8000FFFFu)
#define ORVANA_E_INVALIDARG ((int32_t)0x80070057u)
#define ORVANA_E_OUTOFMEMORY ((int32_t)0x8007000Eu)
#define ORVANA_VFW_E_NOT_FOUND ((int32_t)0x80040216u)          /* no such file */
#define ORVANA_VFW_E_UNSUPPORTED_STREAM ((int32_t)0x80040265u) /* nothing can play it */
#define ORVANA_VFW_E_DVD_RENDERFAIL ((int32_t)0x8004027Au)

/* Orvana_MediaState commands (low byte). */
#define ORVANA_PLAY 0
#define ORVANA_PAUSE 1
#define ORVANA_STOP 2
#define ORVANA_REWIND 3
#define ORVANA_CLOSE 4

/* Orvana_GetSeconds and Orvana_GetTime kinds. */
#define ORVANA_TIME_POSITION_TEXT 1
#define ORVANA_TIME_DURATION_TEXT 2
#define ORVANA_SECONDS_POSITION 3
#define ORVANA_SECONDS_DURATION 4

/* Orvana_IsActive answers. */
#define ORVANA_STATE_UNKNOWN 0
#define ORVANA_STATE_RUNNING 1
#define ORVANA_STATE_PAUSED 2
#define ORVANA_STATE_STOPPED 3

/* Graph modes (Orvana_SetConfig key 256). */
#define ORVANA_CONFIG_GRAPH_MODE 256
#define ORVANA_MODE_PLAIN 0     /* overlay sink in the owner's window, frame grabber */
#define ORVANA_MODE_WINDOWLESS7 1 /* frames painted into the owner widget */
#define ORVANA_MODE_WINDOWLESS9 2 /* the same, graph built by hand */
#define ORVANA_MODE_DVD 3
#define ORVANA_MODE_CAPTURE 4

/* Graph event codes handed to the event callback. */
#define ORVANA_EC_COMPLETE 1
#define ORVANA_EC_USERABORT 2
#define ORVANA_EC_ERRORABORT 3
#define ORVANA_EC_VIDEO_SIZE_CHANGED 10
#define ORVANA_EC_CLOCK_CHANGED 13
#define ORVANA_EC_PAUSED 14
#define ORVANA_EC_BUFFERING_DATA 17
#define ORVANA_EC_STEP_COMPLETE 36
#define ORVANA_EC_LENGTH_CHANGED 30
/* DVD volumes: the navigator's new domain (param1: 2 the disc's menus, 3 a title set's
 * menus, 4 a title, 5 stopped), a new title (param1 its number), a chapter's start (param1
 * its number) and, once a second in a title, the time code (param1 hours, minutes, seconds
 * and frames in its bytes from the lowest; param2 1 at 25 frames a second, 2 at 30). */
#define ORVANA_EC_DVD_DOMAIN_CHANGE 257
#define ORVANA_EC_DVD_TITLE_CHANGE 258
#define ORVANA_EC_DVD_CHAPTER_START 259
#define ORVANA_EC_DVD_CURRENT_HMSF_TIME 282

typedef struct OrvanaVideoInfo {
  int32_t width;
  int32_t height;
  int32_t hasVideo; /* -1 true, 0 false */
} OrvanaVideoInfo;

typedef struct OrvanaCaptureDeviceEntry {
  const char* friendlyName; /* owned by the library, valid until the next call into it */
  const char* classId;      /* "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" */
} OrvanaCaptureDeviceEntry;

/* A bitmap handed to the caller by Orvana_BitmapHandle: a bottom-up device-independent
 * bitmap. Free it with OrvanaFreeBitmap. */
typedef struct OrvanaBitmap {
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel; /* 24 */
  int32_t stride;       /* bytes per row, a multiple of 4 */
  uint8_t* pixels;      /* height rows, the bottom row first, blue-green-red */
} OrvanaBitmap;

typedef void (*OrvanaTextCallback)(const char* text);
typedef void (*OrvanaMediaEventCallback)(int32_t code, int32_t param1, int32_t param2);

/* OrvanaBSTR: a UTF-16 string with its byte length in the 4 bytes before the first
 * character and a terminating zero after the last, allocated with malloc. Host and
 * library allocate and free them only through these helpers. */
typedef char16_t* OrvanaBSTR;

static inline OrvanaBSTR OrvanaAllocString(const char16_t* text, uint32_t length) {
  char* block = (char*)malloc(4 + (size_t)length * 2 + 2);
  if (!block) return 0;
  const uint32_t bytes = length * 2;
  memcpy(block, &bytes, 4);
  if (text && length) memcpy(block + 4, text, bytes);
  memset(block + 4 + bytes, 0, 2);
  return (OrvanaBSTR)(block + 4);
}
static inline uint32_t OrvanaStringLength(const OrvanaBSTR s) {
  uint32_t bytes = 0;
  if (s) memcpy(&bytes, (const char*)s - 4, 4);
  return bytes / 2;
}
static inline void OrvanaFreeString(OrvanaBSTR s) {
  if (s) free((char*)s - 4);
}
static inline void OrvanaFreeBitmap(OrvanaBitmap* bitmap) {
  if (bitmap) {
    free(bitmap->pixels);
    free(bitmap);
  }
}

/* The exports a media player binds by name, in its resolution order: expand with X(name)
 * for Orvana_name (one list for the binder and its tests). */
#define ORVANA_PLAYER_FUNCTIONS(X)                                                         \
  X(Init) X(Free) X(MediaLoad) X(MediaState) X(GetSeconds) X(SetPosition) X(SetWindowResize) \
  X(GetVideoInfo) X(StartFullScreen)

/* Life */
int32_t Orvana_Init(uintptr_t window, OrvanaTextCallback dropCallback);
void Orvana_Free(void);
void Orvana_SetMsgBoxTextLang(int32_t language); /* 0 English, 1 Chinese */
int32_t Orvana_SetConfig(int32_t key, int32_t value);
int32_t Orvana_GraphMode(void);
int32_t Orvana_ShowAboutBox(void);

/* Loading and playback */
int32_t Orvana_MediaLoad(int32_t playAtOnce, uintptr_t videoWindow, const char* file,
                         int32_t renderLog, OrvanaMediaEventCallback callback);
int32_t Orvana_MediaState(int32_t command);
void Orvana_SetVolume(int32_t volume);
int32_t Orvana_GetVolume(void);
void Orvana_SetBalance(int32_t balance);
int32_t Orvana_GetBalance(void);
/* Files (modes 0-2) and capture play forwards only: a rate that is not a finite number
 * above 0 is refused and the last one stays. DVD volumes (mode 3) play either way up to 16
 * times (backwards in steps). */
void Orvana_SetRate(double rate);
int32_t Orvana_IsActive(void);
void Orvana_GetTime(OrvanaBSTR* text, int32_t kind); /* ORVANA_TIME_*_TEXT */
int32_t Orvana_GetSeconds(int32_t kind);             /* ORVANA_SECONDS_* */
void Orvana_SetPosition(double seconds);
int32_t Orvana_Mute(void);
void Orvana_FastForward(int32_t seconds);
void Orvana_FastBack(int32_t seconds);
void Orvana_StepOneFrame(void);
/* False, keeping the limits set before, for a start below 0 or after the stop. A later
 * seek past the stop lands on the stop. */
int32_t Orvana_SetStartStopPosition(int32_t startSeconds, int32_t stopSeconds);
int32_t Orvana_SetMpegAudioChannel(int32_t mode);
int32_t Orvana_SetChannel(void* buffer, int32_t byteCount, int32_t direction, int32_t bits);

/* The video window */
int32_t Orvana_SetWindowResize(void);
void Orvana_GetVideoInfo(OrvanaVideoInfo* info);
int32_t Orvana_SetVideoWindow(uintptr_t window, int32_t sizeCode);
void Orvana_SetDigitalZoom(int32_t percent);
int32_t Orvana_StartFullScreen(void);
void Orvana_RepaintVideo(void);
void Orvana_SetVideoEffects(int32_t value, int32_t effect);
void Orvana_CaptureBitmap(const OrvanaBSTR fileName);
OrvanaBitmap* Orvana_BitmapHandle(void);

/* Media information and diagnostics */
int32_t Orvana_EnumFilter(OrvanaTextCallback callback);
void Orvana_ShowFilterPropertyPage(const char* filterName);
int32_t Orvana_HasFilterPropertyPage(const char* filterName);
void Orvana_GetEventCode(OrvanaBSTR* text, int32_t code);
int32_t Orvana_LoadFromFileToGraphEdit(const char* file);
void Orvana_GetMediaInfo(const char* file, OrvanaTextCallback callback);
void Orvana_ViewRenderLog(void);

/* Utilities */
int32_t Orvana_CDROM_State(const char* drive, int32_t action); /* 0 open tray, 1 close */

/* Capture devices */
int32_t Orvana_Capture_EnumVideoDevice(int32_t index, OrvanaCaptureDeviceEntry* entry);
int32_t Orvana_Capture_OpenVideoDevice(int32_t mode, uintptr_t videoWindow, int32_t index,
                                       OrvanaMediaEventCallback callback);

/* DVD navigation */
int32_t Orvana_DVD_TitleMenu(void);
int32_t Orvana_DVD_RootMenu(void);
int32_t Orvana_DVD_PrevChapter(void);
int32_t Orvana_DVD_NextChapter(void);
int32_t Orvana_DVD_ReplayChapter(void);
int32_t Orvana_DVD_Resume(void);
int32_t Orvana_DVD_Forwards(void);
int32_t Orvana_DVD_Backwards(void);
int32_t Orvana_DVD_SetTitle(int32_t title);
int32_t Orvana_DVD_SetChapter(int32_t chapter);
int32_t Orvana_DVD_SetAngle(int32_t angle);
int32_t Orvana_DVD_ModifyRate(double change);
void Orvana_DVD_SaveBookmark(const OrvanaBSTR fileName);
void Orvana_DVD_RestoreBookmark(const OrvanaBSTR fileName);
int32_t Orvana_DVD_SetPresentationMode(int32_t mode);
int32_t Orvana_DVD_ToggleCaptioning(int32_t on);

#ifdef __cplusplus
}
#endif

#endif /* ORVANA_H */
