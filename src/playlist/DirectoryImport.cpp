// Add directory and Remove directory: both show the add-directory dialog, whose OK does the
// work; the walk is also used by "/dir".

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "playlist/AddDirUnit.h"

namespace ostrivo {

void TMainForm::AddDirButtonClick(QObject*) {
  forms_.AddDirForm->AddMode = true;
  Application().GetDialogs().ExecModal(*forms_.AddDirForm);
}

void TMainForm::RemoveDirButtonClick(QObject*) {
  forms_.AddDirForm->AddMode = false;
  Application().GetDialogs().ExecModal(*forms_.AddDirForm);
}

void TMainForm::AddDirectory(const QString& directory) {
  forms_.AddDirForm->adddir(directory);
  // The title grows even when the directory held nothing or could not be listed.
  SetCaption(Caption() + QStringLiteral(" - ") + directory);
}

}  // namespace ostrivo
