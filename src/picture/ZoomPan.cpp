// Zooming and panning the picture: the zoom keys, the arrow keys, the rubber-band zoom with the
// mouse, and the window's close. Every key that reaches the window also goes on to the main
// window, so playback can be driven while a picture fills the screen.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "picture/PictureUnit.h"

namespace ostrivo {

namespace {

// The sizes are computed in extended precision, in the order the formulas are written, and
// truncated toward zero; a result beyond the integer range saturates instead of wrapping.
using Extended = long double;
constexpr Extended kHundredth = 0.01L;

int Trunc(Extended v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<Extended>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (v <= static_cast<Extended>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

// Half a difference of two sizes or offsets, which always fits once halved.
int Half(int64_t v) {
  return static_cast<int>(v / 2);  // truncates toward zero
}

// The zoom keys never shrink the picture below one pixel: below that the step zoom would have
// nothing to scale.
constexpr int kSmallest = 1;

const QString kBandName = QStringLiteral("RubberBand");

// The rubber band lies over the picture on the window's surface. Each rectangle is drawn with a
// black pen in the not-xor mix, which inverts the pixels under its outline; drawing the same
// rectangle again inverts them back. The overlay keeps the rectangles that are on the screen
// and paints them over whatever lies below whenever the surface is repainted.
class BandOverlay : public QWidget {
 public:
  explicit BandOverlay(QWidget* surface) : QWidget(surface) {
    setObjectName(kBandName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
  }

  // Draws the rectangle between two corners (both included) in the not-xor mix. A corner far
  // off the surface (a picture zoomed to the limit) is drawn from just outside its edge, which
  // looks the same and keeps the rectangle's size within the integer range.
  void Draw(QPoint a, QPoint b) {
    const QRect r = QRect(Near(a), Near(b)).normalized();
    // Inverting twice restores: a rectangle drawn a second time leaves the screen.
    auto same = std::find(rects_.begin(), rects_.end(), r);
    if (same != rects_.end())
      rects_.erase(same);
    else
      rects_.push_back(r);
    Refresh();
  }

  // The surface was repainted from scratch: nothing of the band is left on it.
  void Clear() {
    rects_.clear();
    Refresh();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    // Each pixel of an outline exactly once, or a corner drawn twice would cancel itself.
    for (const QRect& r : rects_) {
      p.fillRect(QRect(r.left(), r.top(), r.width(), 1), Qt::black);
      if (r.height() > 1) p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), Qt::black);
      if (r.height() > 2) {
        p.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), Qt::black);
        if (r.width() > 1) p.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), Qt::black);
      }
    }
  }

 private:
  QPoint Near(QPoint p) const {
    const QSize s = parentWidget()->size();
    return QPoint(std::clamp(p.x(), -1, s.width()), std::clamp(p.y(), -1, s.height()));
  }

  void Refresh() {
    setGeometry(parentWidget()->rect());
    setVisible(!rects_.empty());
    raise();
    update();
  }

  std::vector<QRect> rects_;
};

BandOverlay& Band(TPictureForm& form) {
  QWidget* surface = form.Client();
  if (auto* band = surface->findChild<QWidget*>(kBandName, Qt::FindDirectChildrenOnly))
    return *static_cast<BandOverlay*>(band);
  return *new BandOverlay(surface);
}

}  // namespace

void TPictureForm::FormKeyPress(QChar Key) {
  const char16_t c = Key.unicode();
  if (c == u'+' || c == u'-' || c == u'*' || c == u'/') {
    Image1->SetStretch(true);
    // A control that has no area yet zooms as if it were one pixel.
    const int w = std::max(Image1->width(), kSmallest);
    const int h = std::max(Image1->height(), kSmallest);
    int newW = w;
    int newH = h;
    if (c == u'+') {
      newW = Trunc(Extended(w) * 2);
      newH = Trunc(Extended(h) * 2);
    } else if (c == u'-') {
      newW = Trunc(w * 0.5L);
      newH = Trunc(h * 0.5L);
    } else {
      // The step zoom: keys within 500 ms of the last one step one pixel further each time.
      const int32_t now = forms_.services.clock.LocalMsOfDay();
      if (now - ZoomKeyTime < 500)
        ++ZoomStep;
      else
        ZoomStep = 1;
      ZoomKeyTime = now;
      const int d = c == u'*' ? ZoomStep : -ZoomStep;
      // The shorter side changes by d pixels, the longer one in proportion.
      if (w > h) {
        newW = Trunc((Extended(int64_t{h} + d) * 100 / h) * (w * kHundredth));
        newH = Trunc(Extended(h) + d);
      } else {
        newH = Trunc((Extended(int64_t{w} + d) * 100 / w) * (h * kHundredth));
        newW = Trunc(Extended(w) + d);
      }
    }
    Image1->SetWidth(std::max(newW, kSmallest));
    Image1->SetHeight(std::max(newH, kSmallest));

    // Centred, but a picture larger than the window starts at its top-left corner.
    Image1->SetTop(Half(int64_t{ClientHeight()} - Image1->height()));
    Image1->SetLeft(Half(int64_t{ClientWidth()} - Image1->width()));
    if (Image1->Left() < 0) Image1->SetLeft(0);
    if (Image1->Top() < 0) Image1->SetTop(0);
    Image1->DecodeDetail();
  }
  forms_.MainForm->FormKeyPress(Key);
}

void TPictureForm::FormKeyDown(int Key, Qt::KeyboardModifiers Shift) {
  // One step is a hundredth of the picture, kept in eight bits as it always was: a picture
  // 25,600 pixels wide or more gets a wrapped step.
  const int sx = (Image1->width() / 100) % 256;
  const int sy = (Image1->height() / 100) % 256;
  switch (Key) {
    case Qt::Key_Left:
      SetHorzScrollPosition(SaturatedInt(int64_t{HorzScrollPosition()} - sx));
      break;
    case Qt::Key_Right:
      SetHorzScrollPosition(SaturatedInt(int64_t{HorzScrollPosition()} + sx));
      break;
    case Qt::Key_Up:
      SetVertScrollPosition(SaturatedInt(int64_t{VertScrollPosition()} - sy));
      break;
    case Qt::Key_Down:
      SetVertScrollPosition(SaturatedInt(int64_t{VertScrollPosition()} + sy));
      break;
    default:
      break;
  }
  forms_.MainForm->FormKeyDown(Key, Shift);
}

void TPictureForm::FormClose(QObject*) {
  forms_.MainForm->StopButtonClick(this);
}

void TPictureForm::Image1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
  if (Button == Qt::LeftButton) DragAnchor = QPoint(X, Y);
  BandDrawn = false;
  // A band left over from an earlier drag was gone with the repaint its zoom caused.
  Band(*this).Clear();
}

void TPictureForm::Image1MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers, int X, int Y) {
  if (Buttons & Qt::LeftButton) {
    BandOverlay& band = Band(*this);
    // Picture-control points on the window's surface.
    auto onSurface = [this](QPoint pt) {
      return QPoint(SaturatedInt(int64_t{Image1->Left()} + pt.x()),
                    SaturatedInt(int64_t{Image1->Top()} + pt.y()));
    };
    if (BandDrawn) band.Draw(onSurface(DragAnchor), onSurface(BandCorner));  // erases it
    BandCorner = QPoint(X, Y);
    band.Draw(onSurface(DragAnchor), onSurface(BandCorner));
  }
  BandDrawn = true;
}

void TPictureForm::Image1MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
  // Only the left button zooms (the anchor is where it was pressed).
  if (Button != Qt::LeftButton) return;
  const int64_t a = std::abs(int64_t{X} - DragAnchor.x());
  const int64_t b = std::abs(int64_t{Y} - DragAnchor.y());
  // Released where it was pressed, or moved along one axis only: there is no area to zoom to.
  // The band goes; the picture stays as it is.
  if (a == 0 || b == 0) {
    Band(*this).Clear();
    BandDrawn = false;
    return;
  }
  // The factor that makes the dragged rectangle cover the window.
  const Extended fw = frameGeometry().width();
  const Extended fh = frameGeometry().height();
  const Extended s = fh / b >= fw / a ? fh / b : fw / a;
  // The drag zooms the picture itself, not only its control.
  Image1->SetStretch(true);
  Image1->SetHeight(Trunc(s * Image1->height()));
  Image1->SetWidth(Trunc(s * Image1->width()));
  Image1->SetTop(0);
  Image1->SetLeft(0);
  // The anchor point of the zoomed picture comes to the window's top-left corner.
  SetHorzScrollPosition(Trunc(s * DragAnchor.x()));
  SetVertScrollPosition(Trunc(s * DragAnchor.y()));
  Image1->DecodeDetail();
  // The zoom redraws the whole surface.
  Band(*this).Clear();
}

void TPictureForm::keyPressEvent(QKeyEvent* event) {
  // The key going down, then its character; the window has no key-release handler.
  forms_.Application.Guard([&] { FormKeyDown(event->key(), event->modifiers()); });
  if (!event->text().isEmpty())
    forms_.Application.Guard([&] { FormKeyPress(event->text().at(0)); });
  event->accept();
}

void TPictureForm::closeEvent(QCloseEvent* event) {
  forms_.Application.Guard([&] { FormClose(this); });
  // Hidden, not destroyed: the window is kept for the whole run.
  event->accept();
}

bool TPictureForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Image1) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* e = static_cast<QMouseEvent*>(event);
      const QPoint pt = e->position().toPoint();
      forms_.Application.Guard(
          [&] { Image1MouseDown(e->button(), e->modifiers(), pt.x(), pt.y()); });
      return true;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      const QPoint pt = e->position().toPoint();
      forms_.Application.Guard(
          [&] { Image1MouseMove(e->buttons(), e->modifiers(), pt.x(), pt.y()); });
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      const QPoint pt = e->position().toPoint();
      forms_.Application.Guard([&] { Image1MouseUp(e->button(), e->modifiers(), pt.x(), pt.y()); });
      return true;
    }
    default:
      return QWidget::eventFilter(watched, event);
  }
}

}  // namespace ostrivo
