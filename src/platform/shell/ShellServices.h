#pragma once
// The desktop around the program: opening a document with its default handler, whether a
// notification area (tray) exists, and the session bus the player controls are published on.

#include <QDBusConnection>
#include <QString>
#include <QStringList>

namespace ostrivo {

class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // Opens the file with the desktop's default handler, without a shell; the result is advisory.
  virtual bool OpenDocument(const QString& path) = 0;
  virtual bool TrayAvailable() const = 0;
  // Not connected when the session has no bus.
  virtual QDBusConnection SessionBus() const = 0;
};

// The real desktop: xdg-open started detached (no shell involved), Qt's tray detection.
class DesktopShell : public ShellServices {
 public:
  bool OpenDocument(const QString& path) override;
  bool TrayAvailable() const override;
  QDBusConnection SessionBus() const override;
};

// For tests: records what was opened; the tray's presence and the bus are set by the test (no
// bus unless it connects one).
class RecordingShell : public ShellServices {
 public:
  bool OpenDocument(const QString& path) override {
    opened << path;
    return true;
  }
  bool TrayAvailable() const override { return trayAvailable; }
  QDBusConnection SessionBus() const override { return bus; }
  QStringList opened;
  bool trayAvailable = true;
  QDBusConnection bus{QString()};
};

}  // namespace ostrivo
