/* A visualisation plug-in of Lirra's host (libbass_vis.so): a shared object named
 * vis_<name>.so exporting one function, lirra_vis_plugin, that returns its description.
 * The host checks the magic number and the interface version, then calls, all on one
 * rendering thread of its own: init once, render at the plug-in's rate, resize when the
 * visual area changes size, set_title when the song changes, and quit once. The host gives
 * plain float buffers: no toolkit type crosses this interface. */
#ifndef LIRRA_VIS_PLUGIN_H
#define LIRRA_VIS_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LIRRA_VIS_MAGIC 0x5349564Cu /* "LVIS" */
#define LIRRA_VIS_VERSION 1u        /* the host accepts plug-ins of versions 1 to this */

/* How the plug-in draws. */
#define LIRRA_VIS_DRAWS_PIXELS 1u /* into `pixels`; the host shows them in the window */
#define LIRRA_VIS_DRAWS_WINDOW 2u /* into the native window itself (OpenGL) */

typedef struct LirraVisSurface {
  uintptr_t window;  /* the X11 window the plug-in is shown in */
  uint32_t* pixels;  /* LIRRA_VIS_DRAWS_PIXELS: rows of 0x00RRGGBB, else null */
  int32_t width;
  int32_t height;
  int32_t stride;    /* pixels per row */
} LirraVisSurface;

typedef struct LirraVisFrame {
  const float* pcm;      /* the last `pcmFrames` samples heard, mono, -1 … 1 */
  int32_t pcmFrames;
  const float* spectrum; /* `bins` magnitudes of a 1024-point FFT (a full-scale sine reads about 1) */
  int32_t bins;
  double seconds;        /* time since the plug-in started */
} LirraVisFrame;

typedef struct LirraVisPlugin {
  uint32_t magic;    /* LIRRA_VIS_MAGIC */
  uint32_t version;  /* LIRRA_VIS_VERSION it was built for */
  const char* description;
  uint32_t draws;    /* LIRRA_VIS_DRAWS_PIXELS or LIRRA_VIS_DRAWS_WINDOW */
  int32_t framesPerSecond;
  /* Returns the plug-in's state, or null when it cannot run (the start fails). */
  void* (*init)(const LirraVisSurface* surface, const char* pluginFolder);
  /* Draws one frame; returns 0 when the plug-in wants to end. */
  int32_t (*render)(void* state, const LirraVisFrame* frame, const LirraVisSurface* surface);
  void (*resize)(void* state, const LirraVisSurface* surface);
  void (*set_title)(void* state, const char* title);
  void (*quit)(void* state);
} LirraVisPlugin;

typedef const LirraVisPlugin* (*LirraVisEntry)(void);
#define LIRRA_VIS_ENTRY "lirra_vis_plugin"

#ifdef __cplusplus
}
#endif

#endif /* LIRRA_VIS_PLUGIN_H */
