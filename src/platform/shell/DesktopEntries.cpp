#include "platform/shell/DesktopEntries.h"

#include "framework/AppIdentity.h"

namespace ostrivo {

namespace {

struct EntryLook {
  const char* suffix;      // after the application id
  const char* name;        // Name
  const char* comment;     // Comment
  const char* switchText;  // the command's switch, nullptr for the menu entry
  bool shown;              // in menus
};

EntryLook Look(DesktopEntryKind kind) {
  switch (kind) {
    case DesktopEntryKind::Application:
      return {"", "Ostrivo",
              "Play lists of sound, video and pictures, with pauses, in order, at random or in "
              "a loop",
              nullptr, true};
    case DesktopEntryKind::Play:
      return {".Play", "Ostrivo", "Play the file with Ostrivo", "/file", false};
    case DesktopEntryKind::PlayList:
      return {".PlayList", "Ostrivo", "Play the play list with Ostrivo", "/open", false};
    case DesktopEntryKind::FolderView:
      return {".View", "Ostrivo View", "Play the folder's media files and pictures", "/dir", false};
    case DesktopEntryKind::DriveView:
      return {".ViewDrive", "Ostrivo View", "Play the drive's media files and pictures", "/dir",
              false};
  }
  return {"", "Ostrivo", "", nullptr, true};
}

QStringList MimeTypesOfEntry(DesktopEntryKind kind) {
  switch (kind) {
    case DesktopEntryKind::Application:
      return {};
    case DesktopEntryKind::Play: {
      QStringList types = OpenedMimeTypes();
      types.removeAll(kPlayListMimeType);
      for (const QString& type : ForeignPlayListMimeTypes()) types.removeAll(type);
      return types;
    }
    case DesktopEntryKind::PlayList:
      return QStringList{kPlayListMimeType} + ForeignPlayListMimeTypes();
    case DesktopEntryKind::FolderView:
      return {QStringLiteral("inode/directory")};
    case DesktopEntryKind::DriveView:
      return {QStringLiteral("inode/mount-point")};
  }
  return {};
}

bool IsReserved(QChar c) {
  static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
  return reserved.contains(c);
}

// A string value: the backslash and the control characters take their escapes.
QString StringValue(const QString& text) {
  QString out;
  for (QChar c : text) {
    if (c == u'\\')
      out += QStringLiteral("\\\\");
    else if (c == u'\n')
      out += QStringLiteral("\\n");
    else if (c == u'\t')
      out += QStringLiteral("\\t");
    else if (c == u'\r')
      out += QStringLiteral("\\r");
    else
      out += c;
  }
  return out;
}

}  // namespace

QString DesktopEntryId(DesktopEntryKind kind) {
  return kApplicationId + QLatin1String(Look(kind).suffix) + QStringLiteral(".desktop");
}

DesktopEntryKind EntryOfVerb(DesktopVerb verb) {
  switch (verb) {
    case DesktopVerb::PlayList:
      return DesktopEntryKind::PlayList;
    case DesktopVerb::FolderView:
      return DesktopEntryKind::FolderView;
    case DesktopVerb::DriveView:
      return DesktopEntryKind::DriveView;
  }
  return DesktopEntryKind::PlayList;
}

QString QuoteExecArgument(const QString& argument) {
  bool needsQuotes = argument.isEmpty();
  for (QChar c : argument) needsQuotes = needsQuotes || IsReserved(c);
  // The quoting rule first (inside quotes these four take a backslash), then the escapes of a
  // string value, which double every backslash once more.
  QString quoted;
  for (QChar c : argument) {
    if (needsQuotes && (c == u'"' || c == u'`' || c == u'$' || c == u'\\')) quoted += u'\\';
    quoted += c;
  }
  if (needsQuotes) quoted = u'"' + quoted + u'"';
  quoted.replace(u'%', QStringLiteral("%%"));
  return StringValue(quoted);
}

QString DesktopEntryText(DesktopEntryKind kind, const QString& program) {
  const EntryLook look = Look(kind);
  const QString exe = QuoteExecArgument(program);
  QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
  text += QStringLiteral("Name=%1\n").arg(QLatin1String(look.name));
  if (kind == DesktopEntryKind::Application)
    text += QStringLiteral("GenericName=Play-List Player\n");
  text += QStringLiteral("Comment=%1\n").arg(QLatin1String(look.comment));
  text += QStringLiteral("Icon=%1\n").arg(kApplicationId);
  text += QStringLiteral("TryExec=%1\n").arg(StringValue(program));
  if (look.switchText)
    text += QStringLiteral("Exec=%1 %2 %f /play\n").arg(exe, QLatin1String(look.switchText));
  else
    text += QStringLiteral("Exec=%1\n").arg(exe);
  text += QStringLiteral("Terminal=false\n");
  // Only the menu entry sits in the menus; the command entries are offered by file type.
  if (look.shown)
    text += QStringLiteral("Categories=AudioVideo;Audio;Video;Player;Graphics;Viewer;\n");
  const QStringList types = MimeTypesOfEntry(kind);
  if (!types.isEmpty()) text += QStringLiteral("MimeType=%1;\n").arg(types.join(u';'));
  if (kind == DesktopEntryKind::Application) {
    text += QStringLiteral("Keywords=playlist;slideshow;music;video;pictures;mixer;\n");
    text += QStringLiteral("StartupNotify=true\nStartupWMClass=ostrivo\n");
  }
  if (!look.shown) text += QStringLiteral("NoDisplay=true\n");
  return text;
}

QString MimePackageFileName() {
  return kApplicationId + QStringLiteral(".xml");
}

QString MimePackageText() {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"%1\">\n"
             "    <comment>Ostrivo play list</comment>\n"
             "    <sub-class-of type=\"text/plain\"/>\n"
             "    <generic-icon name=\"audio-x-generic\"/>\n"
             "    <glob pattern=\"*.osp\"/>\n"
             "  </mime-type>\n"
             "  <mime-type type=\"%2\">\n"
             "    <comment>CD audio track</comment>\n"
             "    <generic-icon name=\"audio-x-generic\"/>\n"
             "    <glob pattern=\"*.cda\"/>\n"
             "  </mime-type>\n"
             "</mime-info>\n")
      .arg(kPlayListMimeType, kCdTrackMimeType);
}

QStringList MimeTypesOfExtension(const QString& ext) {
  static const struct {
    const char* ext;
    const char* type;
  } kTypes[] = {{"wav", "audio/x-wav"},    {"mid", "audio/midi"},        {"bmp", "image/bmp"},
                {"jpg", "image/jpeg"},     {"cda", "application/x-cda"}, {"avi", "video/x-msvideo"},
                {"mov", "video/quicktime"}};
  if (ext == QLatin1String("osp")) return {kPlayListMimeType};
  for (const auto& t : kTypes)
    if (ext == QLatin1String(t.ext)) return {QLatin1String(t.type)};
  return {};
}

DesktopEntryKind EntryOfExtension(const QString& ext) {
  return ext == QLatin1String("osp") ? DesktopEntryKind::PlayList : DesktopEntryKind::Play;
}

}  // namespace ostrivo
