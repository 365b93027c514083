// Writes the installed desktop entries and MIME package into a folder, from the same code the
// program uses when it registers itself from a build tree: one source for both.
//   ostrivo_desktop_files <folder>   -> <folder>/applications/*.desktop, <folder>/mime/*.xml
#include <QDir>
#include <QFile>
#include <cstdio>

#include "platform/shell/DesktopEntries.h"

namespace {

bool Write(const QString& path, const QString& text) {
  QFile file(path);
  const QByteArray bytes = text.toUtf8();
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  using ostrivo::DesktopEntryKind;
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder + "/applications") || !QDir().mkpath(folder + "/mime")) return 1;
  for (DesktopEntryKind kind :
       {DesktopEntryKind::Application, DesktopEntryKind::Play, DesktopEntryKind::PlayList,
        DesktopEntryKind::FolderView, DesktopEntryKind::DriveView}) {
    const QString path = folder + "/applications/" + ostrivo::DesktopEntryId(kind);
    if (!Write(path, ostrivo::DesktopEntryText(kind, QStringLiteral("ostrivo")))) return 1;
  }
  return Write(folder + "/mime/" + ostrivo::MimePackageFileName(), ostrivo::MimePackageText()) ? 0
                                                                                               : 1;
}
