#include "session_end.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QWidget>

#include <cstdlib>

#include "session_signals.h"

namespace lirra {

namespace {
SessionEnd* g_current = nullptr;  // the exit handler's way back to the player
bool g_exitHandlerInstalled = false;
}  // namespace

SessionEnd::SessionEnd(QWidget& window, Player& player, std::function<bool()> closed)
    : window_(window), player_(player), closed_(std::move(closed)) {
  if (const int fd = InstallSessionSignals(); fd >= 0) {
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
      if (TakeSessionSignals()) end();
    });
  }
  connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
    player_.SessionEnding();
    player_.WriteWhatChanged();
  });
  retry_.setInterval(100);
  retry_.setSingleShot(true);
  connect(&retry_, &QTimer::timeout, this, [this] { closeOrGiveUp(); });
  g_current = this;
  if (!std::exchange(g_exitHandlerInstalled, true)) std::atexit(&SessionEnd::WriteAtExit);
}

SessionEnd::~SessionEnd() {
  if (g_current == this) g_current = nullptr;
}

void SessionEnd::end() {
  if (closed_()) return;
  player_.SessionEnding();
  closeOrGiveUp();
}

void SessionEnd::closeOrGiveUp() {
  window_.close();
  if (closed_()) return;
  if (--triesLeft_ > 0) {
    retry_.start();
    return;
  }
  player_.WriteWhatChanged();
  QCoreApplication::exit(0);
}

void SessionEnd::WriteAtExit() {
  if (!g_current || g_current->closed_()) return;
  g_current->player_.SessionEnding();
  g_current->player_.WriteWhatChanged();
}

}  // namespace lirra
