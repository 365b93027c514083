#pragma once
// The main window's file dialogs: one filter text for both; Open and Save start on the play
// lists, Add on all files. Several files may be chosen in the open dialog.

#include "framework/Dialogs.h"

namespace ostrivo {

inline const QString kPlayListFilter = QStringLiteral("Ostrivo Play Lists|*.osp|All files|*.*");
constexpr int kPlayListsFilter = 1;
constexpr int kAllFilesFilter = 2;

inline FileDialogRequest OpenDialog1(int filterIndex) {
  FileDialogRequest r;
  r.Filter = kPlayListFilter;
  r.FilterIndex = filterIndex;
  r.MultiSelect = true;
  return r;
}

inline FileDialogRequest SaveDialog1(int filterIndex) {
  FileDialogRequest r;
  r.Filter = kPlayListFilter;
  r.FilterIndex = filterIndex;
  return r;
}

}  // namespace ostrivo
