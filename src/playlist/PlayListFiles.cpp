// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::NewButtonClick(QObject*) {}
void TMainForm::OpenButtonClick(QObject*) {}
void TMainForm::SaveButtonClick(QObject*) {}
void TMainForm::ReadPlayList(const QString&) {}
void TMainForm::WritePlayList(const QString&) {}

}  // namespace ostrivo
