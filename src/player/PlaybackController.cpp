// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::PlayButtonClick(QObject*) {}
void TMainForm::PauseButtonClick(QObject*) {}
void TMainForm::StopButtonClick(QObject*) {}
void TMainForm::MediaPlayer1Notify(QObject*) {}
void TMainForm::SetActiveControls(bool) {}
void TMainForm::ShowStatus(const QString&) {}
QString TMainForm::PositionText(int32_t, int32_t) const {
  return {};
}

}  // namespace ostrivo
