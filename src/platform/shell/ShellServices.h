#pragma once
// The desktop around the program: opening a document with its default handler, whether a
// notification area (tray) exists, and the freedesktop side of the program's file associations.

#include <QString>
#include <QStringList>

namespace ostrivo {

// The commands the program registers with the desktop: a media or picture file ("/file"), a
// play list ("/open"), and the "Ostrivo View" verb on folders and on drives ("/dir").
enum class DesktopVerb { PlayList, FolderView, DriveView };
enum class DesktopEntryKind;

class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // Opens the file with the desktop's default handler, without a shell. False when the desktop
  // has no program for the file's type, so the caller can tell the user.
  virtual bool OpenDocument(const QString& path) = 0;
  virtual bool TrayAvailable() const = 0;

  // The program becomes the user's default application for the types of the extension ("wav",
  // "jpg", "osp", ...), or stops being it. Best effort, as the registry's own open-key
  // failures are: the hive stays the record of what was registered.
  virtual void AssociateExtension(const QString& ext) = 0;
  virtual void DissociateExtension(const QString& ext) = 0;
  // A command the desktop offers: added (the entry that runs it is in place) or removed.
  virtual void AddVerb(DesktopVerb verb) = 0;
  virtual void RemoveVerb(DesktopVerb verb) = 0;
};

// The real desktop: xdg-open started detached (no shell involved), Qt's tray detection, and
// associations in the user's own freedesktop files ($XDG_CONFIG_HOME/mimeapps.list, desktop
// entries and the play-list MIME type below $XDG_DATA_HOME when the program runs from a build
// tree).
class DesktopShell : public ShellServices {
 public:
  // exePath: the running program file, which the desktop entries of a build tree start.
  explicit DesktopShell(QString exePath);
  bool OpenDocument(const QString& path) override;
  bool TrayAvailable() const override;
  void AssociateExtension(const QString& ext) override;
  void DissociateExtension(const QString& ext) override;
  void AddVerb(DesktopVerb verb) override;
  void RemoveVerb(DesktopVerb verb) override;

 private:
  // Installed: the program's desktop entries lie in the data folder beside its bin folder.
  bool Installed() const;
  void PlaceEntry(DesktopEntryKind kind);
  void PlaceMimePackage();

  QString exePath_;
};

// For tests: records what was opened and registered; the tray's presence is set by the test.
class RecordingShell : public ShellServices {
 public:
  bool OpenDocument(const QString& path) override {
    opened << path;
    return hasHandler;
  }
  bool TrayAvailable() const override { return trayAvailable; }
  void AssociateExtension(const QString& ext) override { calls << QStringLiteral("+") + ext; }
  void DissociateExtension(const QString& ext) override { calls << QStringLiteral("-") + ext; }
  void AddVerb(DesktopVerb verb) override { calls << QStringLiteral("+verb%1").arg(int(verb)); }
  void RemoveVerb(DesktopVerb verb) override { calls << QStringLiteral("-verb%1").arg(int(verb)); }
  QStringList opened;
  QStringList calls;
  bool trayAvailable = true;
  bool hasHandler = true;
};

}  // namespace ostrivo
