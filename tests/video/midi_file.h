// A standard MIDI file for the tests and the benchmark: one track, a few notes of a piano,
// about a second and a half.
#pragma once

#include <QByteArray>

namespace orvana_host {

inline QByteArray MidiFile() {
  QByteArray track;
  const auto note = [&](char key) {
    track += QByteArray("\x00\x90", 2) + key + char(0x60);
    track += QByteArray("\x83\x00\x80", 3) + key + char(0x40);  // 384 ticks later
  };
  note(60), note(64), note(67);
  track += QByteArray("\x00\xFF\x2F\x00", 4);
  QByteArray file("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\x80", 14);  // format 0, 384 ticks/beat
  file += "MTrk";
  const quint32 n = static_cast<quint32>(track.size());
  file += char(n >> 24), file += char(n >> 16), file += char(n >> 8), file += char(n);
  return file + track;
}

}  // namespace orvana_host
