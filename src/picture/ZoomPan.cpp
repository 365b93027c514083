// Placeholder bodies: zoom and pan arrive with their own change.
#include <QCloseEvent>
#include <QKeyEvent>

#include "picture/PictureUnit.h"

namespace ostrivo {

void TPictureForm::FormKeyPress(QChar) {}
void TPictureForm::FormKeyDown(int, Qt::KeyboardModifiers) {}
void TPictureForm::FormClose(QObject*) {}
void TPictureForm::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TPictureForm::Image1MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int, int) {}
void TPictureForm::Image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}

void TPictureForm::keyPressEvent(QKeyEvent* event) {
  QWidget::keyPressEvent(event);
}
void TPictureForm::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
}
bool TPictureForm::eventFilter(QObject* watched, QEvent* event) {
  return QWidget::eventFilter(watched, event);
}

}  // namespace ostrivo
