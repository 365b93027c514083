#pragma once
// The desktop around the program: opening a document with its default handler, and whether a
// notification area (tray) exists.

#include <QString>
#include <QStringList>

namespace ostrivo {

class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // Opens the file with the desktop's default handler, without a shell; the result is advisory.
  virtual bool OpenDocument(const QString& path) = 0;
  virtual bool TrayAvailable() const = 0;
};

// The real desktop: xdg-open started detached (no shell involved), Qt's tray detection.
class DesktopShell : public ShellServices {
 public:
  bool OpenDocument(const QString& path) override;
  bool TrayAvailable() const override;
};

// For tests: records what was opened; the tray's presence is set by the test.
class RecordingShell : public ShellServices {
 public:
  bool OpenDocument(const QString& path) override {
    opened << path;
    return true;
  }
  bool TrayAvailable() const override { return trayAvailable; }
  QStringList opened;
  bool trayAvailable = true;
};

}  // namespace ostrivo
