// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::AddDirButtonClick(QObject*) {}
void TMainForm::RemoveDirButtonClick(QObject*) {}
void TMainForm::AddDirectory(const QString&) {}

}  // namespace ostrivo
