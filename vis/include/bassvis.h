/* libbass_vis.so: the visualisation host. A media player hands it a plug-in file
 * (Plugins/vis_*.so) and a native window to show it in; the host loads the plug-in, gives it
 * the sound of an engine channel (PCM and spectrum) at a fixed rate, and shows what it
 * draws. All calls come from the player's UI thread; rendering runs on the host's own
 * threads, so a slow plug-in never stalls the caller. Truth values: non-zero is true. */
#ifndef BASSVIS_H
#define BASSVIS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One running plug-in, passed by address to every call about it. */
typedef struct BASSVIS_PARAM {
  uint32_t plugin;   /* non-zero after a successful start; the caller zeroes it after a stop */
  uint32_t host;     /* the host's own */
  uintptr_t window;  /* the plug-in's native window, filled by the host (0: it has none) */
  uint32_t kind;     /* BASSVIS_KIND_MODULE before a start */
} BASSVIS_PARAM;

#define BASSVIS_KIND_MODULE 1u /* the classic visualisation-module kind of plug-in */

/* What to start: the plug-in file, and the module of it (the first: 1, 1, 0). */
typedef struct BASSVIS_EXEC {
  const char* path;
  int32_t module;
  int32_t window;
  int32_t reserved;
} BASSVIS_EXEC;

/* The song a plug-in shows: its title ("n. title - Winamp"); the other fields stay zero. */
typedef struct BASSVIS_INFO {
  const char* title;
  int32_t reserved[4];
} BASSVIS_INFO;

/* A resize: the container window the plug-in is shown in, and 1 in the last field. */
typedef struct BASSVIS_RESIZE {
  uintptr_t container;
  int32_t reserved1;
  int32_t reserved2;
  int32_t fit;
} BASSVIS_RESIZE;

int32_t BASSVIS_Init(int32_t kind, uintptr_t applicationWindow, uintptr_t mainWindow);
/* The plug-in files of a folder as "name|name|…" (owned by the host, valid until the next call). */
const char* BASSVIS_FindPlugins(int32_t kind, const char* folder);
int32_t BASSVIS_ExecutePlugin(BASSVIS_EXEC* exec, BASSVIS_PARAM* param);
/* The engine channel (HSTREAM/HMUSIC/HRECORD of libbass.so) whose sound the plug-in shows. */
int32_t BASSVIS_RenderChannel(BASSVIS_PARAM* param, uint32_t channel);
int32_t BASSVIS_StartRecord(BASSVIS_PARAM* param, uint32_t recordChannel);
int32_t BASSVIS_SetInfo(BASSVIS_PARAM* param, const BASSVIS_INFO* info);
int32_t BASSVIS_Resize(const BASSVIS_RESIZE* resize, int32_t left, int32_t top, int32_t width, int32_t height);
int32_t BASSVIS_SetFullscreen(BASSVIS_PARAM* param, int32_t on);
int32_t BASSVIS_SetOption(int32_t option, int32_t value);
/* state 1: playing; the other two arguments as given by the player (-1, 0). */
int32_t BASSVIS_SetPlayState(BASSVIS_PARAM* param, int32_t state, int32_t a, int32_t b);
/* Shows the plug-in's window inside `container` at (left, top), width x height. */
int32_t BASSVIS_SetVisPort(BASSVIS_PARAM* param, uintptr_t pluginWindow, uintptr_t container, int32_t left,
                           int32_t top, int32_t width, int32_t height);
/* Non-zero once a plug-in asked to quit has ended. */
int32_t BASSVIS_IsFree(BASSVIS_PARAM* param);
int32_t BASSVIS_Free(BASSVIS_PARAM* param);
/* Asks the plug-in to end; it ends on the host's thread (see BASSVIS_IsFree). */
int32_t BASSVIS_Quit(BASSVIS_PARAM* param);

/* Every function a player binds by name, in its binding order: expand with X(name) for
 * BASSVIS_name. */
#define BASSVIS_FUNCTIONS(X)                                                                    \
  X(Init) X(FindPlugins) X(ExecutePlugin) X(RenderChannel) X(StartRecord) X(SetInfo) X(Resize) \
  X(SetFullscreen) X(SetOption) X(SetPlayState) X(SetVisPort) X(IsFree) X(Free) X(Quit)

#ifdef __cplusplus
}
#endif

#endif /* BASSVIS_H */
