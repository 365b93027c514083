// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::ApplicationMinimize(QObject*) {}
void TMainForm::RxTrayIcon1Click(QObject*) {}
void TMainForm::Help1Click(QObject*) {}
void TMainForm::Exit1Click(QObject*) {
  Close();
}
void TMainForm::PopupExitClick(QObject*) {
  Close();
}
void TMainForm::FormCloseQuery(QObject*, bool& CanClose) {
  CanClose = true;
}

}  // namespace ostrivo
