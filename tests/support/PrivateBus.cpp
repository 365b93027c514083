#include "support/PrivateBus.h"

#include <QStandardPaths>

namespace ostrivo::test {

bool PrivateBus::DaemonInstalled() {
  return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
}

PrivateBus::PrivateBus() {
  if (!DaemonInstalled()) return;
  // In the foreground, so that it ends with this object; it prints its address once ready.
  daemon_.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"),
                 QStringLiteral("--nopidfile"), QStringLiteral("--print-address")});
  if (!daemon_.waitForStarted(10000)) return;
  while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) {
  }
  address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
  if (daemon_.state() == QProcess::NotRunning) return;
  daemon_.kill();
  daemon_.waitForFinished(5000);
}

}  // namespace ostrivo::test
