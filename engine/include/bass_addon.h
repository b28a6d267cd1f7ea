/*
 * The interface between libbass.so and its add-ons (libbasswma.so, Plugins/libbass_*.so).
 *
 * An add-on is a shared object exporting one function, lirra_engine_addon(), that returns
 * a description checked at load: a magic number, an interface version the engine accepts,
 * the formats it declares (shown to the player through BASS_PluginGetInfo) and the
 * operations that open and decode a stream. No C++ type crosses this boundary.
 *
 * Contract
 *  - open() is called from the thread that called BASS_StreamCreateFile/URL; read(), seek()
 *    and tags() from any one thread at a time for a given stream; close() once, last.
 *  - Samples are interleaved float stereo at the rate passed to open(); 0 asks for the
 *    source's own rate (info->rate), unconverted.
 *  - open() returns NULL and sets *error (a BASS_ERROR_* code) when the source is not one of
 *    the add-on's formats; the engine then tries the next add-on.
 *  - Texts are UTF-8 and stay valid until the next call on the same stream.
 */
#ifndef LIRRA_BASS_ADDON_H
#define LIRRA_BASS_ADDON_H

#include <stddef.h>
#include <stdint.h>

#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LIRRA_ADDON_MAGIC 0x4C414444u /* "LADD" */
#define LIRRA_ADDON_VERSION 1u

typedef struct LirraAddonStream LirraAddonStream; /* owned by the add-on */

typedef struct LirraAddonSourceInfo {
  int32_t rate;          /* the source's own sample rate */
  int32_t channels;      /* the source's own channel count */
  int32_t bits;          /* original resolution, 0 when not known */
  uint32_t ctype;        /* BASS_CTYPE_* of the declared format */
  int64_t length_frames; /* in source frames, -1 when not known */
} LirraAddonSourceInfo;

typedef struct LirraEngineAddon {
  uint32_t magic;   /* LIRRA_ADDON_MAGIC */
  uint32_t version; /* LIRRA_ADDON_VERSION */
  BASS_PLUGININFO info;
  LirraAddonStream* (*open)(const char* path, int32_t output_rate, int32_t timeout_ms,
                            LirraAddonSourceInfo* info, int32_t* error);
  size_t (*read)(LirraAddonStream* stream, float* out, size_t frames);
  int32_t (*seek)(LirraAddonStream* stream, int64_t source_frame); /* 1 = done */
  const char* (*tags)(LirraAddonStream* stream); /* "key=value\0…\0\0" */
  void (*close)(LirraAddonStream* stream);
} LirraEngineAddon;

typedef const LirraEngineAddon* LirraEngineAddonEntry(void);
#define LIRRA_ADDON_ENTRY "lirra_engine_addon"

#ifdef __cplusplus
}
#endif

#endif /* LIRRA_BASS_ADDON_H */
