// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::RegisterExtension(const QString&) {}
void TMainForm::OfferAssociation(const QString&) {}
void TMainForm::UnregisterExtension(const QString&) {}
void TMainForm::FirstStartShellSetup() {}
void TMainForm::ShellButtonClick(QObject*) {}

}  // namespace ostrivo
