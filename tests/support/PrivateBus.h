#pragma once
// A session bus of the test's own: a dbus-daemon started for it and ended with it, so that
// nothing a test registers meets the desktop's bus or another test's.

#include <QProcess>
#include <QString>

namespace ostrivo::test {

class PrivateBus {
 public:
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  // Whether dbus-daemon is installed at all (a test skips without it).
  static bool DaemonInstalled();
  // The address to connect to; empty when the daemon did not start.
  const QString& Address() const { return address_; }

 private:
  QProcess daemon_;
  QString address_;
};

}  // namespace ostrivo::test
