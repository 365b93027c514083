#include <QProcess>
#include <QSystemTrayIcon>

#include "platform/shell/ShellServices.h"

namespace ostrivo {

bool DesktopShell::OpenDocument(const QString& path) {
  return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

bool DesktopShell::TrayAvailable() const {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

QDBusConnection DesktopShell::SessionBus() const {
  return QDBusConnection::sessionBus();
}

}  // namespace ostrivo
