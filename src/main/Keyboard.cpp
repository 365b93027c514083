// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::FormKeyDown(int, Qt::KeyboardModifiers) {}
void TMainForm::FormKeyUp(int, Qt::KeyboardModifiers) {}
void TMainForm::FormKeyPress(QChar) {}
void TMainForm::ListBox1Click(QObject*) {}
void TMainForm::ListBox1DblClick(QObject*) {}

}  // namespace ostrivo
