// A local file of the engine's own types named alone on the command line starts sounding
// before the window is built. The first show then takes over what was started here (the
// started engine and the playing channel) where it would otherwise start the engine and
// open the file itself; everything else it does in its usual order. When any step here
// fails, nothing of it is kept and the first show runs its own steps, which report the
// failure the usual way.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

#include "engine_binding.h"

namespace lirra {

// The start mode (StartModes) a command-line argument asks for: normal for none or a
// switch, a list for a list file, a single file for anything else.
int CommandLineStartMode(const QString& argument);

class EarlyStart {
 public:
  struct Handover {
    EngineBinding engine;        // bound whole, as the first show would bind it
    bool engineStarted = false;  // BASS_Init succeeded
    uint32_t channel = 0;        // playing; 0 when none was opened
    QString location;            // what the channel plays
  };

  // Decides whether `arguments` qualify; `engineFile` is the engine's library.
  EarlyStart(QString engineFile, const QStringList& arguments);
  // Releases a started engine and channel that were never taken over.
  ~EarlyStart();
  EarlyStart(const EarlyStart&) = delete;
  EarlyStart& operator=(const EarlyStart&) = delete;

  bool qualifies() const { return qualifies_; }
  // Binds the engine, starts it, opens the file and plays it. Runs once; does nothing
  // once take() was called.
  void run();
  // What run() started, once; afterwards the caller owns the started engine and channel.
  Handover take();

 private:

  QString engineFile_;
  QString location_;
  bool qualifies_ = false;
  bool ran_ = false;
  bool taken_ = false;
  Handover result_;
};

}  // namespace lirra
