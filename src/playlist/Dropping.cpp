// Files, folders and play lists dropped on the main window from a file manager: each goes the
// way of the command a user would otherwise have picked it with.

#include <QFile>
#include <QFileInfo>

#include "framework/Exceptions.h"
#include "main/MainUnit.h"
#include "playlist/ForeignPlayLists.h"

namespace ostrivo {

namespace {

// The form the add-directory dialog gives a folder in: no separator at its end.
QString WithoutTrailingSlash(QString path) {
  while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
  return path;
}

}  // namespace

void TMainForm::DropUrls(const QList<QUrl>& urls) {
  QStringList refused;
  // Files in a row are added together, as Add adds the files chosen in its dialog.
  QStringList files;
  auto addFiles = [&] {
    if (files.isEmpty()) return;
    AddFiles(files);
    files.clear();
  };
  for (const QUrl& url : urls) {
    const std::optional<QByteArray> local = LocalPathOfFileUri(url.toEncoded());
    if (!local) {
      refused << url.toDisplayString();
      continue;
    }
    const QString path = QFile::decodeName(*local);
    if (QFileInfo(path).isDir()) {
      addFiles();
      AddDirectory(WithoutTrailingSlash(path));
    } else if (IsPlayListName(path)) {
      addFiles();
      OpenPlayList(path);
    } else {
      files << path;
    }
  }
  addFiles();
  if (!refused.isEmpty())
    throw Exception(
        QStringLiteral("Only local files can be dropped on the play list; not added: ") +
        refused.join(QStringLiteral(", ")));
}

}  // namespace ostrivo
