#include "early_start.h"

#include <QFileInfo>

#include <utility>

#include "bass.h"
#include "paths.h"
#include "m3u_format.h"
#include "track_kind.h"

namespace lirra {

namespace {

// The few engine entry points an early start needs, in this order.
const char* const kEarlyEntryPoints[] = {"BASS_Init",      "BASS_Free",      "BASS_StreamCreateFile",
                                         "BASS_MusicLoad", "BASS_ChannelPlay", "BASS_ChannelStop",
                                         "BASS_StreamFree", "BASS_MusicFree"};
enum { kInit, kFree, kStreamCreateFile, kMusicLoad, kChannelPlay, kChannelStop, kStreamFree, kMusicFree };

// "/AUTO", "/min": a switch is a "/" and a word. Absolute paths start with "/" here too,
// so anything with a second "/" or naming an existing file is a path.
bool IsSwitch(const QString& arg) {
  return arg.size() > 1 && arg.startsWith(u'/') && arg.indexOf(u'/', 1) < 0 && !QFileInfo::exists(arg);
}

}  // namespace

int CommandLineStartMode(const QString& argument) {
  if (argument.isEmpty() || IsSwitch(argument)) return 1;
  return IsListFile(argument) ? 3 : 2;
}

EarlyStart::EarlyStart(QString engineFile, const QStringList& arguments)
    : engineFile_(std::move(engineFile)), location_(arguments.value(0)) {
  // Only what the first show would surely give to the engine itself: a local file whose
  // type the engine plays without add-ons (which are not loaded yet).
  ClassifyContext engineOnly;
  engineOnly.engineReady = true;
  qualifies_ = CommandLineStartMode(location_) == 2 && !IsUrl(location_) &&
               ClassifyTrack(location_, engineOnly).kind == kKindEngine && FileExists(location_) &&
               FileExists(engineFile_);
}

EarlyStart::~EarlyStart() {
  const Handover left = take();
  if (!engine_.bound()) return;
  if (left.channel) {
    engine_.function<decltype(&BASS_ChannelStop)>(kChannelStop)(left.channel);
    freeChannel(left.channel);
  }
  if (left.engineStarted) engine_.function<decltype(&BASS_Free)>(kFree)();
}

void EarlyStart::run() {
  if (!qualifies_ || ran_ || taken_) return;
  ran_ = true;
  Handover& started = result_;
  if (engine_.bind(engineFile_.toStdString(), kEarlyEntryPoints)) {
    started.engineStarted = engine_.function<decltype(&BASS_Init)>(kInit)(1, 44100, 0, 0, nullptr);
    if (started.engineStarted) {
      const QByteArray name = location_.toUtf8();
      const uint32_t channel =
          IsModule(location_)
              ? engine_.function<decltype(&BASS_MusicLoad)>(kMusicLoad)(FALSE, name.constData(), 0, 0,
                                                                        kModuleLoadFlags, 0)
              : engine_.function<decltype(&BASS_StreamCreateFile)>(kStreamCreateFile)(FALSE, name.constData(),
                                                                                      0, 0, 0);
      if (channel && engine_.function<decltype(&BASS_ChannelPlay)>(kChannelPlay)(channel, TRUE)) {
        started.channel = channel;
        started.location = location_;
      } else if (channel) {
        freeChannel(channel);
      }
    }
  }
}

void EarlyStart::freeChannel(uint32_t channel) {
  if (IsModule(location_))
    engine_.function<decltype(&BASS_MusicFree)>(kMusicFree)(channel);
  else
    engine_.function<decltype(&BASS_StreamFree)>(kStreamFree)(channel);
}

EarlyStart::Handover EarlyStart::take() {
  if (taken_) return {};
  taken_ = true;
  return std::exchange(result_, {});
}

}  // namespace lirra
