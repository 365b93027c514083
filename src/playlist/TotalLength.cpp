// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::LengthButtonClick(QObject*) {}

}  // namespace ostrivo
