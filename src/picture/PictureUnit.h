#pragma once
// TPictureForm: the full-screen picture window. Created hidden at start and kept for the whole
// run; ShowPicture loads, sizes and places a picture entry and starts its display time. Its
// zoom and pan handlers are in picture/ZoomPan.cpp.
//
// The client area scrolls the way the classic scrolling window does: scrolling moves the
// picture control, so Image1's Left and Top are always relative to the visible client area,
// and the scroll positions count from the origin the picture was placed against. While
// automatic scrolling is on, the scroll ranges follow the picture control wherever it moves.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

#include "picture/PictureLoader.h"

class QScrollBar;

namespace ostrivo {

class Forms;

// Positions and sizes of a zoomed picture are worked out in 64 bits and kept within the
// window system's integer range: a picture zoomed to the limit scrolls like any other.
inline int SaturatedInt(int64_t v) {
  return static_cast<int>(
      std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The picture control: natural size on load (auto-size), drawn at natural size from its own
// top-left corner or, with Stretch on, scaled to fill its whole rectangle, smoothly. Left and
// Top are in the window's client coordinates and may be negative.
//
// The picture's natural size is its file's (upright) size, whatever detail was decoded: a JPEG
// shown much smaller is decoded smaller (libjpeg's DCT scaling), and decoded again in full when
// a zoom needs more detail than that.
class TImage : public QWidget {
 public:
  explicit TImage(QWidget* parent);
  // The picture as decoded: its natural size, or smaller.
  const QImage& Picture() const { return picture_; }
  QSize NaturalSize() const { return natural_; }
  // Takes a picture whose header is read: the control takes its natural size. Nothing is
  // drawn until Decode.
  void Load(PictureFile file);
  // Decodes the loaded picture with the detail the control's present size needs; the rows show
  // in place as they decode.
  void Decode();
  // Decodes the whole picture when the control has grown beyond the detail decoded (a zoom).
  void DecodeDetail();
  // Takes a whole picture and its natural size.
  void SetPicture(QImage picture);
  // Shows rows [0, rows) of a picture still being decoded (incremental display), scaled as the
  // whole picture will be, and is drawn at once. The picture is only borrowed for the call, so
  // the decoder's buffer is never copied.
  void UpdateProgress(const QImage& partial, int rows);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  int Left() const;
  int Top() const;
  void SetLeft(int v);
  void SetTop(int v);
  void SetWidth(int v);
  void SetHeight(int v);
  // Moves the control by the offsets (scrolling).
  void MoveBy(int64_t dx, int64_t dy);

  // Called after every move or resize (the window's automatic scrolling follows them).
  std::function<void()> OnBoundsChanged;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Where the picture is drawn: the whole control with Stretch on, else its natural size.
  QSize Shown() const;

  std::optional<PictureFile> source_;  // while more detail can be decoded
  QSize natural_;
  QImage picture_;
  QImage smaller_;                   // the picture averaged down to the size it is shown at
  const QImage* partial_ = nullptr;  // during UpdateProgress only
  int rows_ = 0;
  bool stretch_ = false;
};

class TPictureForm : public QWidget {
 public:
  explicit TPictureForm(Forms& forms);
  ~TPictureForm() override;

  TImage* Image1;

  // ---- Presentation (picture/ShowPicture.cpp) ----
  void ShowPicture(const QByteArray& entry);
  // The fit step: shrinks a picture control larger than the client area, keeping its shape.
  void FitPicture();

  // ---- Design and operations (picture/PictureForm.cpp) ----
  // The client area's size (the whole window while scrolling is off).
  int ClientWidth() const;
  int ClientHeight() const;
  // The surface the picture control lies on (the client area).
  QWidget* Client() const { return client_; }
  void FocusPicture();
  // Both scroll positions to 0.
  void ResetScroll();
  QColor Color() const;
  void SetColor(const QColor& color);
  int HorzScrollPosition() const { return hpos_; }
  int VertScrollPosition() const { return vpos_; }
  void SetHorzScrollPosition(int v);  // kept within the scroll bar's range
  void SetVertScrollPosition(int v);
  QScrollBar* HorzScrollBar() const { return hbar_; }
  QScrollBar* VertScrollBar() const { return vbar_; }

  // A single fixed border with a caption bar (on), or no border at all (off).
  void SetTitleVisible(bool on);
  bool TitleVisible() const { return titleVisible_; }
  // Automatic scrolling. Off: both ranges drop to zero (the view returns to the origin), the
  // scroll bars are hidden and thumb tracking is off. On: the ranges follow the picture
  // control, the scroll bars show where there is something to scroll, thumbs track.
  void SetAutoScroll(bool on);
  bool AutoScroll() const { return autoScroll_; }
  // Shows the window maximized, on top and in front.
  void ShowMaximized();
  // The area a maximized window fills; empty (the default) means the screen's available
  // area. Lets a headless run give the window any size it needs.
  QRect WorkArea;

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
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateScrollRanges();
  void LayoutClient();
  void ScrollTo(int h, int v);

  Forms& forms_;
  QWidget* client_;
  QScrollBar* hbar_;
  QScrollBar* vbar_;
  int hpos_ = 0;
  int vpos_ = 0;
  bool autoScroll_ = true;
  bool titleVisible_ = true;
  bool updatingRanges_ = false;
};

}  // namespace ostrivo
