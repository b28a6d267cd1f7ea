#include "capture.h"

#include <utility>

#include "player_context.h"
#include "track_kind.h"

namespace lirra {

namespace {

constexpr int kFirstRecordingDevice = 0;
constexpr DWORD kInputTypeShift = 24;
constexpr DWORD kMicrophoneType = 3;
constexpr DWORD kSynthesizerType = 4;
constexpr DWORD kInputOff = 0x10000;
constexpr DWORD kInputOn = 0x20000;
constexpr float kVolumeUnchanged = -1.0f;
constexpr DWORD kCaptureRate = 44100;
constexpr DWORD kCaptureChannels = 1;

bool Names(const QString& name, std::initializer_list<const char*> parts) {
  for (const char* part : parts)
    if (name.contains(QString::fromUtf8(part), Qt::CaseInsensitive)) return true;
  return false;
}

// What the engine says of its recording inputs, asked off the UI thread: it touches no
// player state.
struct CaptureChoice {
  bool opened = false;  // a recording device is there
  int capture = -1, microphone = -1;
  uint32_t channel = 0;
};

CaptureChoice ChooseInput(const EngineFunctions& bass, bool midi) {
  CaptureChoice c;
  if (!bass.RecordInit(kFirstRecordingDevice)) return c;  // nothing to free
  c.opened = true;
  int wanted = -1, stereo = -1, mix = -1, microphone = -1;
  for (int i = 0; const char* raw = bass.RecordGetInputName(i); ++i) {
    const QString name = QString::fromUtf8(raw);
    const DWORD flags = bass.RecordGetInput(i, nullptr);
    const DWORD type = flags == 0xFFFFFFFFu ? 0 : flags >> kInputTypeShift;
    if (wanted < 0 && (midi ? type == kSynthesizerType : Names(name, {"Wave", "波"}))) wanted = i;
    if (stereo < 0 && Names(name, {"Ster", "立"})) stereo = i;
    if (mix < 0 && Names(name, {"Mix", "混"})) mix = i;
    if (type == kMicrophoneType && flags != 0xFFFFFFFFu && !(flags & kInputOff)) microphone = i;
  }
  c.capture = wanted >= 0 ? wanted : stereo >= 0 ? stereo : mix;
  c.microphone = microphone;
  return c;
}

uint32_t Record(const EngineFunctions& bass, int input) {
  if (input >= 0) bass.RecordSetInput(input, kInputOn, kVolumeUnchanged);
  return bass.RecordStart(kCaptureRate, kCaptureChannels, 0, nullptr, nullptr);
}

}  // namespace

void OpenCapture(PlayerContext& ctx, bool record) {
  PlayerState& s = ctx.state;
  const EngineFunctions& bass = *ctx.libs.engine;
  const bool midi = s.TrackKind == kKindMidiCapture;
  const int current = s.CaptureInputIndex;
  CaptureChoice c;
  // Opening the recording device waits for the sound server, seconds when it is slow: the
  // window keeps running meanwhile, with list commands held as for a network open.
  const bool opening = std::exchange(s.OpeningTrack, true);
  ctx.shell.timers.RunWhileResponsive([&] {
    c = ChooseInput(bass, midi);
    if (c.opened && record) c.channel = Record(bass, c.capture >= 0 ? c.capture : current);
  });
  s.OpeningTrack = opening;
  if (!c.opened) {
    if (midi) s.TrackKind = kKindOther;
    return;
  }
  if (c.capture >= 0) {  // no input fits: the current one stays
    s.MicInputIndex = c.microphone;
    s.CaptureInputIndex = c.capture;
  }
  s.TrackKind = kKindMidiCapture;
  if (record) s.CurrentChannel = c.channel;
}

void ResumeCapture(PlayerContext& ctx) {
  const PlayerState& s = ctx.state;
  const EngineFunctions& bass = *ctx.libs.engine;
  bass.RecordInit(kFirstRecordingDevice);
  if (s.CaptureInputIndex >= 0) bass.RecordSetInput(s.CaptureInputIndex, kInputOn, kVolumeUnchanged);
}

void EndCapture(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const EngineFunctions& bass = *ctx.libs.engine;
  if (s.MicInputIndex >= 0) {
    bass.RecordInit(kFirstRecordingDevice);
    bass.RecordSetInput(s.MicInputIndex, kInputOn, kVolumeUnchanged);
  }
  bass.RecordFree();
}

}  // namespace lirra
