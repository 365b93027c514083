// Placeholder design of the add-directory dialog.
#include "app/Forms.h"
#include "playlist/AddDirUnit.h"

namespace ostrivo {

TAddDirForm::TAddDirForm(Forms& forms) : QDialog(nullptr), forms_(forms) {
  setWindowTitle(QStringLiteral("Add Directory"));
}
TAddDirForm::~TAddDirForm() = default;

}  // namespace ostrivo
