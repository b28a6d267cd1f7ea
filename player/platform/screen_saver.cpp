#include "screen_saver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <cstdlib>

namespace lirra {

namespace {

constexpr int kCallTimeoutMs = 5000;  // a desktop that never answers: the question is dropped
const char* const kService = "org.freedesktop.ScreenSaver";

QDBusMessage ScreenSaverCall(const QString& method, const QVariantList& arguments) {
  const QString service = QString::fromLatin1(kService);
  QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                     service, method);
  call.setArguments(arguments);
  return call;
}

}  // namespace

DesktopScreenSaver::DesktopScreenSaver() : replies_(std::make_unique<QObject>()) {}

DesktopScreenSaver::~DesktopScreenSaver() {
  replies_.reset();
  if (cookie_) Release();
}

bool DesktopScreenSaver::mayExist() { return std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr; }

void DesktopScreenSaver::setActive(bool active) {
  wanted_ = !active;
  if (active) {
    if (cookie_) Release();  // one still being answered is released when its answer comes
    return;
  }
  if (cookie_ || asking_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  asking_ = true;
  auto* watcher = new QDBusPendingCallWatcher(
      bus.asyncCall(ScreenSaverCall(QStringLiteral("Inhibit"), {QStringLiteral("Lirra"), QStringLiteral("Playing a video")}),
                    kCallTimeoutMs),
      replies_.get());
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, replies_.get(), [this, watcher] {
    watcher->deleteLater();
    asking_ = false;
    const QDBusPendingReply<uint> reply = *watcher;
    if (!reply.isValid()) return;  // no service, or it refused
    cookie_ = reply.value();
    if (!wanted_) Release();  // let on again while the desktop was answering
  });
}

// Sent without waiting for the desktop's answer.
void DesktopScreenSaver::Release() {
  QDBusConnection::sessionBus().send(ScreenSaverCall(QStringLiteral("UnInhibit"), {QVariant::fromValue(*cookie_)}));
  cookie_.reset();
}

}  // namespace lirra
