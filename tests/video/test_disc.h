// The DVD-Video disc the tests and the benchmark author with ffmpeg and dvdauthor:
//  - a title menu, magenta, and a root menu, yellow (still pictures held);
//  - title 1 (8 s): blue, cyan from 2 s to 4 s, 4:3, chapters at 0, 2 and 4 s, a 440 Hz tone,
//    the line-21 caption "HELLO DVD" shown again at the start of every second;
//  - title 2 (12 s): green with a red band at its left edge, 16:9, chapters at 0 and 3 s, 880 Hz.
#pragma once

#include <QString>

namespace orvana_host {

// Writes the disc as `folder`/DVD (its VIDEO_TS inside); false when a tool failed.
bool AuthorTestDisc(const QString& folder);

}  // namespace orvana_host
