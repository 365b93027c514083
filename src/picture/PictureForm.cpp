// Placeholder design of the picture window: its presentation arrives with the playback change.
#include <QPainter>
#include <QScrollArea>

#include "app/Forms.h"
#include "picture/PictureUnit.h"

namespace ostrivo {

TImage::TImage(QWidget* parent) : QWidget(parent) {}
void TImage::SetPicture(QImage picture) {
  picture_ = std::move(picture);
  rows_ = -1;
  resize(picture_.size());
  update();
}
void TImage::UpdateProgress(const QImage& partial, int rows) {
  picture_ = partial;
  rows_ = rows;
  update();
}
void TImage::SetStretch(bool on) {
  stretch_ = on;
  update();
}
int TImage::Left() const {
  return x();
}
int TImage::Top() const {
  return y();
}
void TImage::SetLeft(int v) {
  move(v, y());
}
void TImage::SetTop(int v) {
  move(x(), v);
}
void TImage::SetWidth(int v) {
  resize(v, height());
}
void TImage::SetHeight(int v) {
  resize(width(), v);
}
void TImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (stretch_)
    p.drawImage(rect(), picture_);
  else
    p.drawImage(0, 0, picture_);
}

TPictureForm::TPictureForm(Forms& forms) : QWidget(nullptr), forms_(forms) {
  scroll_ = new QScrollArea(this);
  canvas_ = new QWidget;
  scroll_->setWidget(canvas_);
  Image1 = new TImage(canvas_);
}
TPictureForm::~TPictureForm() = default;
void TPictureForm::ShowPicture(const QByteArray&) {}
int TPictureForm::ClientWidth() const {
  return width();
}
int TPictureForm::ClientHeight() const {
  return height();
}
void TPictureForm::FocusPicture() {}
void TPictureForm::ResetScroll() {}
QColor TPictureForm::Color() const {
  return palette().color(QPalette::Window);
}
void TPictureForm::SetColor(const QColor&) {}
int TPictureForm::HorzScrollPosition() const {
  return 0;
}
int TPictureForm::VertScrollPosition() const {
  return 0;
}
void TPictureForm::SetHorzScrollPosition(int) {}
void TPictureForm::SetVertScrollPosition(int) {}

}  // namespace ostrivo
