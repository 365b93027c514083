// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::AddButtonClick(QObject*) {}
void TMainForm::RemoveButtonClick(QObject*) {}
void TMainForm::UpButtonClick(QObject*) {}
void TMainForm::DownButtonClick(QObject*) {}
void TMainForm::RandomizeButtonClick(QObject*) {}
void TMainForm::SortButtonClick(QObject*) {}
void TMainForm::InsPauseButtonClick(QObject*) {}
void TMainForm::InsStopButtonClick(QObject*) {}
void TMainForm::InsQuitButtonClick(QObject*) {}

}  // namespace ostrivo
