// A desktop session's end is a close. SIGTERM, SIGINT and SIGHUP reach the UI thread
// through a pipe and close the window as the user would, without questions; a close that
// is refused (a network entry still opening) is asked again for 1.5 s, then what changed
// is written and the program ends. The session manager's request to save writes what
// changed. When the display connection breaks, Qt ends the process at once: an exit
// handler writes what changed then.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

#include "player.h"

namespace lirra {

class SessionEnd : public QObject {
 public:
  // `closed`: whether the window's close has run.
  SessionEnd(QWidget& window, Player& player, std::function<bool()> closed);
  ~SessionEnd() override;

 private:
  void end();
  void closeOrGiveUp();
  static void WriteAtExit();

  QWidget& window_;
  Player& player_;
  std::function<bool()> closed_;
  QTimer retry_;  // single shot, 100 ms
  int triesLeft_ = 15;  // of 100 ms
};

}  // namespace lirra
