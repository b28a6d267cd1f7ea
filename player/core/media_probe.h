// A quick look inside a file whose extension an engine add-on claims, for what the
// extension does not tell: whether an MP4/QuickTime file holds a picture.
#pragma once

#include <QString>

namespace lirra {

// The file is an ISO base media file (MP4, M4V, MOV, 3GP) with at least one video track.
// Reads only box headers and the handler boxes of the tracks; false for anything else,
// including files that cannot be read or are damaged.
bool IsoMediaHasVideo(const QString& path);

// The location's extension is one of the ISO media types that may hold a picture.
bool MayHoldVideo(const QString& location);

}  // namespace lirra
