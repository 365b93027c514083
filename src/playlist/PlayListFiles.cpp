// New, Open and Save, and the window title that names the play list's file.

#include "framework/Application.h"
#include "main/MainUnit.h"
#include "playlist/ForeignPlayLists.h"
#include "playlist/PlayListDialogs.h"
#include "playlist/PlayListFormat.h"

namespace ostrivo {

namespace {
const QString kTitle = QStringLiteral("Ostrivo 1.0 - ");
}

void TMainForm::NewButtonClick(QObject*) {
  ListBox1->Items().Clear();
  PlayListFile.clear();
  SetCaption(kTitle + QStringLiteral("Untitled"));
}

void TMainForm::OpenButtonClick(QObject*) {
  const QStringList files = Application().GetDialogs().OpenFiles(OpenDialog1(kPlayListsFilter));
  if (files.isEmpty()) return;
  OpenPlayList(files.first());
}

void TMainForm::OpenPlayList(const QString& path) {
  // Read first: a file that cannot be read leaves the list, its file and the title alone.
  ReadPlayList(path);
  PlayListFile = path;
  SetCaption(kTitle + PlayListFile);
}

void TMainForm::SaveButtonClick(QObject*) {
  // Another player's list is never overwritten with this program's format, which would read
  // back as something else (a PLS file as an empty list): its name is asked for, as for an
  // untitled list.
  if (!PlayListFile.isEmpty() && PlayListKindOf(PlayListFile) == PlayListKind::Own) {
    WritePlayList(PlayListFile);
    return;
  }
  const QString path = Application().GetDialogs().SaveFile(SaveDialog1(kPlayListsFilter));
  if (path.isEmpty()) return;
  // Kept even when the write fails, so the next Save tries the same file without asking.
  PlayListFile = path;
  WritePlayList(PlayListFile);
  SetCaption(kTitle + PlayListFile);
}

void TMainForm::ReadPlayList(const QString& path) {
  ListBox1->Items().Assign(ReadPlayListFile(path));
}

void TMainForm::WritePlayList(const QString& path) {
  WritePlayListFile(path, ListBox1->Items().Items());
}

}  // namespace ostrivo
