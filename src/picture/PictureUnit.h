#pragma once
// TPictureForm: the full-screen picture window. Created hidden at start and kept for the whole
// run; ShowPicture loads, sizes and places a picture entry and starts its display time. Its
// zoom and pan handlers are in picture/ZoomPan.cpp.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>

class QScrollArea;

namespace ostrivo {

class Forms;

// The picture control: natural size on load (auto-size), drawn at natural size from its own
// top-left corner or, with Stretch on, scaled to fill its whole rectangle. Left and Top are in
// the window's client coordinates and may be negative.
class TImage : public QWidget {
 public:
  explicit TImage(QWidget* parent);
  const QImage& Picture() const { return picture_; }
  // Takes the picture and its natural size.
  void SetPicture(QImage picture);
  // Shows rows [0, rows) of a picture still being decoded (incremental display).
  void UpdateProgress(const QImage& partial, int rows);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  int Left() const;
  int Top() const;
  void SetLeft(int v);
  void SetTop(int v);
  void SetWidth(int v);
  void SetHeight(int v);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  int rows_ = -1;  // -1: the whole picture
  bool stretch_ = false;
};

class TPictureForm : public QWidget {
 public:
  explicit TPictureForm(Forms& forms);
  ~TPictureForm() override;

  TImage* Image1;

  // ---- Presentation (picture/ShowPicture.cpp) ----
  void ShowPicture(const QByteArray& entry);
  // The client area's size (the whole window while scrolling is off).
  int ClientWidth() const;
  int ClientHeight() const;
  void FocusPicture();
  // Both scroll positions to 0.
  void ResetScroll();
  QColor Color() const;
  void SetColor(const QColor& color);
  int HorzScrollPosition() const;
  int VertScrollPosition() const;
  void SetHorzScrollPosition(int v);  // kept within the scroll bar's range
  void SetVertScrollPosition(int v);

  // ---- Zoom and pan (picture/ZoomPan.cpp) ----
  void FormKeyPress(QChar Key);
  void FormKeyDown(int Key, Qt::KeyboardModifiers Shift);
  void FormClose(QObject* Sender);
  void Image1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  void Image1MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y);
  void Image1MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

  int32_t ZoomKeyTime = 0;
  int32_t ZoomStep = 0;
  QPoint DragAnchor;
  bool BandDrawn = false;
  QPoint BandCorner;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Forms& forms_;
  QScrollArea* scroll_;
  QWidget* canvas_;
};

}  // namespace ostrivo
