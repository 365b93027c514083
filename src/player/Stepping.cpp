// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::NextButtonClick(QObject*) {}
void TMainForm::PreviousButtonClick(QObject*) {}
void TMainForm::TrackBar1Change(QObject*) {}
void TMainForm::MarkButtonClick(QObject*) {}
void TMainForm::PlayMarkButtonClick(QObject*) {}

}  // namespace ostrivo
