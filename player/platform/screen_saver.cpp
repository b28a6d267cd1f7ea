#include "screen_saver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>

#include <cstdlib>
#include <memory>

namespace lirra {

namespace {

constexpr int kCallTimeoutMs = 1000;  // a desktop that does not answer is not waited for

std::unique_ptr<QDBusInterface> Service() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() ||
      !bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.ScreenSaver")))
    return nullptr;
  auto service = std::make_unique<QDBusInterface>(QStringLiteral("org.freedesktop.ScreenSaver"),
                                                  QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                  QStringLiteral("org.freedesktop.ScreenSaver"), bus);
  service->setTimeout(kCallTimeoutMs);
  return service;
}

}  // namespace

DesktopScreenSaver::~DesktopScreenSaver() { setActive(true); }

bool DesktopScreenSaver::mayExist() { return std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr; }

void DesktopScreenSaver::setActive(bool active) {
  if (active == !cookie_) return;
  auto service = Service();
  if (!service) {
    cookie_.reset();
    return;
  }
  if (!active) {
    const QDBusReply<uint> reply =
        service->call(QStringLiteral("Inhibit"), QStringLiteral("Lirra"), QStringLiteral("Playing a video"));
    if (reply.isValid()) cookie_ = reply.value();
  } else {
    service->call(QStringLiteral("UnInhibit"), *cookie_);
    cookie_.reset();
  }
}

}  // namespace lirra
