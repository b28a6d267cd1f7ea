#include "screen_saver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cstdlib>

namespace lirra {

namespace {

constexpr int kCallTimeoutMs = 1000;  // a desktop that does not answer is not waited for
const char* const kService = "org.freedesktop.ScreenSaver";

// A call to the desktop's screen saver; an invalid message when there is none to ask.
QDBusMessage Call(const QString& method, const QVariantList& arguments) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString service = QString::fromLatin1(kService);
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service)) return {};
  QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                     service, method);
  call.setArguments(arguments);
  return bus.call(call, QDBus::Block, kCallTimeoutMs);
}

}  // namespace

DesktopScreenSaver::~DesktopScreenSaver() { setActive(true); }

bool DesktopScreenSaver::mayExist() { return std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr; }

void DesktopScreenSaver::setActive(bool active) {
  if (active == !cookie_) return;
  if (!active) {
    const QDBusMessage reply = Call(QStringLiteral("Inhibit"), {QStringLiteral("Lirra"), QStringLiteral("Playing a video")});
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
      cookie_ = reply.arguments().first().toUInt();
  } else {
    Call(QStringLiteral("UnInhibit"), {QVariant::fromValue(*cookie_)});
    cookie_.reset();
  }
}

}  // namespace lirra
