// Placeholder design of the insert-pause dialog.
#include "app/Forms.h"
#include "playlist/InsPauseUnit.h"

namespace ostrivo {

TInsPauseForm::TInsPauseForm(Forms& forms) : QDialog(nullptr), forms_(forms) {
  setWindowTitle(QStringLiteral("Insert pause"));
}
TInsPauseForm::~TInsPauseForm() = default;

}  // namespace ostrivo
