// The real desktop. Associations go into the user's own freedesktop files only: the defaults
// into $XDG_CONFIG_HOME/mimeapps.list; when the program runs from a build tree (no desktop
// entries installed beside it), the entries it needs, with its absolute path, into
// $XDG_DATA_HOME/applications and its MIME package into $XDG_DATA_HOME/mime.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSystemTrayIcon>

#include "platform/shell/DesktopEntries.h"
#include "platform/shell/MimeApps.h"
#include "platform/shell/ShellServices.h"

namespace ostrivo {

namespace {

QString ConfigHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString DataHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString UserEntryPath(DesktopEntryKind kind) {
  return DataHome() + QStringLiteral("/applications/") + DesktopEntryId(kind);
}

bool WriteWhole(const QString& path, const QByteArray& bytes) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

// Runs a desktop tool when the machine has it; a missing tool or a failure changes nothing
// the program relies on.
void RunTool(const QString& program, const QStringList& arguments) {
  if (QStandardPaths::findExecutable(program).isEmpty()) return;
  QProcess tool;
  tool.setStandardOutputFile(QProcess::nullDevice());
  tool.setStandardErrorFile(QProcess::nullDevice());
  tool.start(program, arguments);
  if (!tool.waitForFinished(10000)) {
    tool.kill();
    tool.waitForFinished(1000);
  }
}

// Whether xdg-open will find a program for the file: the desktop names a default for its type,
// or, for a web page, a browser is set or on the path.
bool HasHandler(const QString& path) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
  if (type.inherits(QStringLiteral("text/html"))) {
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    for (const char* browser : {"x-www-browser", "www-browser"})
      if (!QStandardPaths::findExecutable(QLatin1String(browser)).isEmpty()) return true;
  }
  if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) return false;
  QProcess query;
  query.start(QStringLiteral("xdg-mime"),
              {QStringLiteral("query"), QStringLiteral("default"), type.name()});
  if (!query.waitForFinished(5000)) {
    query.kill();
    query.waitForFinished(1000);
    return true;  // unknown: let xdg-open try
  }
  return !query.readAllStandardOutput().trimmed().isEmpty();
}

void EditMimeApps(const QString& type, const QString& entryId, bool makeDefault) {
  const QString path = ConfigHome() + QStringLiteral("/mimeapps.list");
  QString text;
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) text = QString::fromUtf8(file.readAll());
  file.close();
  const QString changed = makeDefault ? SetDefaultApplication(text, type, entryId)
                                      : RemoveApplication(text, type, entryId);
  if (changed != text) WriteWhole(path, changed.toUtf8());
}

}  // namespace

DesktopShell::DesktopShell(QString exePath) : exePath_(std::move(exePath)) {}

bool DesktopShell::OpenDocument(const QString& path) {
  return HasHandler(path) && QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

bool DesktopShell::TrayAvailable() const {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

bool DesktopShell::Installed() const {
  const QString exeDir = QFileInfo(exePath_).absolutePath();
  return QFileInfo::exists(exeDir + QStringLiteral("/../share/applications/") +
                           DesktopEntryId(DesktopEntryKind::Application));
}

void DesktopShell::PlaceEntry(DesktopEntryKind kind) {
  if (Installed()) {
    // An earlier removal hid the installed entry for this user: take the hiding back.
    const QString override = UserEntryPath(kind);
    QFile file(override);
    if (file.open(QIODevice::ReadOnly) && file.readAll().contains("\nHidden=true")) {
      file.close();
      QFile::remove(override);
      RunTool(QStringLiteral("update-desktop-database"),
              {DataHome() + QStringLiteral("/applications")});
    }
    return;
  }
  const QByteArray text = DesktopEntryText(kind, QFileInfo(exePath_).absoluteFilePath()).toUtf8();
  QFile current(UserEntryPath(kind));
  if (current.open(QIODevice::ReadOnly) && current.readAll() == text) return;
  current.close();
  if (WriteWhole(UserEntryPath(kind), text))
    RunTool(QStringLiteral("update-desktop-database"),
            {DataHome() + QStringLiteral("/applications")});
}

void DesktopShell::PlaceMimePackage() {
  if (Installed()) return;
  const QString mime = DataHome() + QStringLiteral("/mime");
  const QString path = mime + QStringLiteral("/packages/") + MimePackageFileName();
  const QByteArray text = MimePackageText().toUtf8();
  QFile current(path);
  if (current.open(QIODevice::ReadOnly) && current.readAll() == text) return;
  current.close();
  if (WriteWhole(path, text)) RunTool(QStringLiteral("update-mime-database"), {mime});
}

void DesktopShell::AssociateExtension(const QString& ext) {
  const QStringList types = MimeTypesOfExtension(ext);
  if (types.isEmpty()) return;
  PlaceMimePackage();
  const DesktopEntryKind kind = EntryOfExtension(ext);
  PlaceEntry(kind);
  for (const QString& type : types) EditMimeApps(type, DesktopEntryId(kind), true);
}

void DesktopShell::DissociateExtension(const QString& ext) {
  const DesktopEntryKind kind = EntryOfExtension(ext);
  for (const QString& type : MimeTypesOfExtension(ext))
    EditMimeApps(type, DesktopEntryId(kind), false);
}

void DesktopShell::AddVerb(DesktopVerb verb) {
  if (verb == DesktopVerb::PlayList) PlaceMimePackage();
  PlaceEntry(EntryOfVerb(verb));
}

void DesktopShell::RemoveVerb(DesktopVerb verb) {
  const DesktopEntryKind kind = EntryOfVerb(verb);
  const QString path = UserEntryPath(kind);
  // An installed entry is hidden for this user only; a build tree's own entry goes.
  const bool done = Installed() ? WriteWhole(path, "[Desktop Entry]\nHidden=true\n")
                                : (!QFileInfo::exists(path) || QFile::remove(path));
  if (done)
    RunTool(QStringLiteral("update-desktop-database"),
            {DataHome() + QStringLiteral("/applications")});
}

}  // namespace ostrivo
