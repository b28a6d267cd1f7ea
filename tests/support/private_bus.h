// A session bus of a test's own: a dbus-daemon that lives as long as the object.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

namespace lirra {

using namespace Qt::StringLiterals;

// Connections to it are made as `name`.
class PrivateBus {
 public:
  explicit PrivateBus(const QString& name) : name_(name) {
    daemon_.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
    if (!daemon_.waitForStarted(5000)) return;
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
    }
    address_ = QString::fromUtf8(daemon_.readLine().trimmed());
  }
  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(name_);
    daemon_.kill();
    daemon_.waitForFinished();
  }
  const QString& address() const { return address_; }
  QDBusConnection connection() const { return QDBusConnection::connectToBus(address_, name_); }

 private:
  QString name_;
  QProcess daemon_;
  QString address_;
};

}  // namespace lirra
