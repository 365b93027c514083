#pragma once
// The program's freedesktop files, written from one place: the desktop entries (the menu entry
// and one per registered command), the MIME package of its play-list and CD track types, and
// the rules that make a path safe in an Exec line. The install writes them with the program
// found on PATH; a build tree writes them for its user with the program's absolute path.

#include <QString>
#include <QStringList>

#include "platform/shell/ShellServices.h"

namespace ostrivo {

enum class DesktopEntryKind { Application, Play, PlayList, FolderView, DriveView };

// The desktop file id of an entry, e.g. "org.ostrivo.Ostrivo.desktop".
QString DesktopEntryId(DesktopEntryKind kind);
DesktopEntryKind EntryOfVerb(DesktopVerb verb);
// The whole entry; program is the Exec line's program (a name on PATH or an absolute path).
QString DesktopEntryText(DesktopEntryKind kind, const QString& program);
// The shared-mime-info package that defines the play-list and CD track types.
QString MimePackageText();
QString MimePackageFileName();

// One Exec argument written by the Desktop Entry rules: quoted when it holds a reserved
// character, with the quoting and the string-value escapes applied, "%" doubled.
QString QuoteExecArgument(const QString& argument);

// The MIME types registered for one of the program's extensions ("wav", "osp", ...), and the
// entry that opens them; empty for an extension the program does not register.
QStringList MimeTypesOfExtension(const QString& ext);
DesktopEntryKind EntryOfExtension(const QString& ext);

}  // namespace ostrivo
