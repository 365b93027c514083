// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::LoadSettings() {}
QString TMainForm::ReadSetting(const QString&, const QString& Default) {
  return Default;
}
void TMainForm::SaveSettings() {}
void TMainForm::OptionsButtonClick(QObject*) {}

}  // namespace ostrivo
