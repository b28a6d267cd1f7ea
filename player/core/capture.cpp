#include "capture.h"

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

}  // namespace

void ChooseCaptureInput(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const EngineFunctions& bass = *ctx.libs.engine;
  if (!bass.RecordInit(kFirstRecordingDevice)) {
    if (s.TrackKind == kKindMidiCapture) s.TrackKind = kKindOther;
    return;  // nothing to free
  }
  const bool midi = s.TrackKind == kKindMidiCapture;
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
  if (wanted < 0) wanted = stereo >= 0 ? stereo : mix;
  if (wanted >= 0) {
    s.MicInputIndex = microphone;
    s.CaptureInputIndex = wanted;
  }
  s.TrackKind = kKindMidiCapture;
}

void StartCapture(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  const EngineFunctions& bass = *ctx.libs.engine;
  bass.RecordInit(kFirstRecordingDevice);
  if (s.CaptureInputIndex >= 0) bass.RecordSetInput(s.CaptureInputIndex, kInputOn, kVolumeUnchanged);
  s.CurrentChannel = bass.RecordStart(kCaptureRate, kCaptureChannels, 0, nullptr, nullptr);
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
