// The arithmetic of Orvana's playback controls and video window, free of any pipeline:
// volume and balance in hundredths of a decibel, time texts, the letter-box fit, the
// digital zoom, window sizes, the channel copy and the snapshot file layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvana {

// Volume 0..10000 (clamped) to 1/100 dB: round(ln(v + 1) * 1085.73) - 10000, halves to even.
int32_t VolumeToCentibels(int32_t volume);
// Balance -10000..10000 (clamped) to 1/100 dB: -R for b >= 0, +R below, R = round(ln(|b| + 1) * 1085.73).
int32_t BalanceToCentibels(int32_t balance);
// 1/100 dB (0 = full, -10000 = silent) to a linear gain.
double CentibelsToGain(int32_t centibels);
// An applied balance to an audiopanorama position -1..1: the attenuated side's gain is
// that of |centibels| (negative balance attenuates the right, as in DirectShow).
double BalanceToPanorama(int32_t appliedCentibels);

// Watches, one check each half second, for a graph's clock that stands still for good while
// the graph plays (a sound output's clock can, after an end, a stop and flushing seeks).
// It is the clock that must stand, not only the place: a stalled or buffering stream under
// a running clock is left alone, as are live sources and a graph already on the system
// clock (moving once is all there is to try).
struct StandingClockWatch {
  struct Check {
    bool playing = false, ended = false, buffering = false, live = false, onSystemClock = false;
    int64_t position = -1;   // -1: none to read
    uint64_t clockTime = 0;
  };
  // True on the third check in a row that finds the place and the clock where they were.
  bool ShouldMoveToSystemClock(const Check& check);
  void Reset() { *this = {}; }

  int stillChecks = 0;
  int64_t lastPosition = -1;
  uint64_t lastClockTime = 0;
};

// "mm:ss" below an hour, "hh:mm:ss" from 3600 s on.
std::string TimeText(int32_t seconds);

struct Rect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// The picture of a video w x h placed in a client area W x H keeping its proportions,
// centred (integer arithmetic, truncating).
Rect FitVideo(int32_t clientWidth, int32_t clientHeight, int32_t videoWidth, int32_t videoHeight);
// The central source rectangle shown at a digital zoom of p percent (0..99).
Rect ZoomSource(int32_t sourceWidth, int32_t sourceHeight, int32_t percent);
// The video size scaled by a size code: 1 1/1, 2 1/2, 3 2/1, 4 3/4; false for other codes.
bool ScaledVideoSize(int32_t code, int32_t width, int32_t height, int32_t* outWidth, int32_t* outHeight);

// Copies one channel over the other in interleaved stereo PCM: direction 1 left over
// right, 2 right over left; bits 8, 16, 24 or 32; incomplete frames left alone.
void CopyChannel(uint8_t* buffer, int32_t byteCount, int32_t direction, int32_t bits);

// The snapshot file: a 26-byte header (file header and BITMAPCOREHEADER) and the rows,
// bottom-up as given.
std::vector<uint8_t> GrabberBmp(int32_t width, int32_t height, int32_t bitsPerPixel,
                                const uint8_t* bottomUpRows, size_t byteCount);

// The windowless renderer's snapshot: a 14-byte file header, a 40-byte BITMAPINFOHEADER
// and 32-bit pixels, bottom-up; `topDownBgrx` is the frame as painted, top row first.
std::vector<uint8_t> MixerBmp(int32_t width, int32_t height, const uint8_t* topDownBgrx);

}  // namespace orvana
