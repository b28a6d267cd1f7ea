/*
 * Plugins/libtags.so: tag texts of an engine channel.
 *
 * TAGS_Read(handle, format) expands a format string: each of %TITL, %ARTI, %ALBM, %GNRE,
 * %YEAR, %CMNT and %TRCK becomes that tag of the channel (title, artist, album, genre,
 * year, comment, track number); every other character is copied. File channels are read
 * with TagLib; network channels from the stream's own metadata. The result is UTF-8
 * (8-bit legacy tags that are not valid UTF-8 are read as GBK), never NULL, empty when
 * nothing is known, and valid until the next call on the same thread.
 */
#ifndef LIRRA_TAGS_H
#define LIRRA_TAGS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Every function of this interface, for binders: expand with X(name) for TAGS_name. */
#define TAGS_FUNCTIONS(X) X(Read)

__attribute__((visibility("default"))) const char* TAGS_Read(uint32_t handle, const char* format);

#ifdef __cplusplus
}
#endif

#endif /* LIRRA_TAGS_H */
