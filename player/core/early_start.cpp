#include "early_start.h"

#include <QFileInfo>

#include <utility>

#include "bass.h"
#include "engine_calls.h"
#include "paths.h"
#include "m3u_format.h"
#include "player_state.h"
#include "track_kind.h"

namespace lirra {

namespace {

// "/AUTO", "/min": a switch is a "/" and a word. Absolute paths start with "/" here too,
// so anything with a second "/" or naming an existing file is a path.
bool IsSwitch(const QString& arg) {
  return arg.size() > 1 && arg.startsWith(u'/') && arg.indexOf(u'/', 1) < 0 && !QFileInfo::exists(arg);
}

}  // namespace

int CommandLineStartMode(const QString& argument) {
  if (argument.isEmpty() || IsSwitch(argument)) return kStartNormal;
  return IsListFile(argument) ? kStartList : kStartSingleFile;
}

EarlyStart::EarlyStart(QString engineFile, const QStringList& arguments)
    : engineFile_(std::move(engineFile)), location_(arguments.value(0)) {
  // Only what the first show would surely give to the engine itself: a local file whose
  // type the engine plays without add-ons (which are not loaded yet).
  ClassifyContext engineOnly;
  engineOnly.engineReady = true;
  qualifies_ = CommandLineStartMode(location_) == kStartSingleFile && !IsUrl(location_) &&
               ClassifyTrack(location_, engineOnly).kind == kKindEngine && FileExists(location_) &&
               FileExists(engineFile_);
}

EarlyStart::~EarlyStart() {
  Handover left = take();
  if (!left.engine.bound()) return;
  if (left.channel) {
    left.engine->ChannelStop(left.channel);
    FreeEngineChannel(*left.engine, left.channel, left.location);
  }
  // Unbinding frees the engine.
}

void EarlyStart::run() {
  if (!qualifies_ || ran_ || taken_) return;
  ran_ = true;
  Handover& started = result_;
  // The whole table, as the first show binds it: an engine the window would refuse
  // plays nothing early either.
  if (!started.engine.bind(engineFile_.toStdString())) return;
  const EngineFunctions& bass = *started.engine;
  started.engineStarted = StartEngineOutput(bass, kNoWindow);
  if (!started.engineStarted) return;
  const uint32_t channel = OpenEngineFile(bass, location_);
  if (channel && bass.ChannelPlay(channel, TRUE)) {
    started.channel = channel;
    started.location = location_;
  } else if (channel) {
    FreeEngineChannel(bass, channel, location_);
  }
}

EarlyStart::Handover EarlyStart::take() {
  if (taken_) return {};
  taken_ = true;
  return std::exchange(result_, {});
}

}  // namespace lirra
