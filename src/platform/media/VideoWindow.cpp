#include "platform/media/VideoWindow.h"

#include <gst/gst.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QWindow>

namespace ostrivo {

namespace {

// The element of the sink that draws into windows (a new reference), or null.
GstElement* OverlayIn(GstElement* sink) {
  if (!sink) return nullptr;
  if (GST_IS_VIDEO_OVERLAY(sink)) return GST_ELEMENT(gst_object_ref(sink));
  if (GST_IS_BIN(sink)) return gst_bin_get_by_interface(GST_BIN(sink), GST_TYPE_VIDEO_OVERLAY);
  return nullptr;
}

// autovideosink tries the sinks of one rank in the order of their names, so the kernel's
// mode-setting sink comes before ximagesink. Under an X display it cannot show a picture in our
// window (the X server holds the screen); where it opens a DRM device it might even be chosen,
// and where there is none its probe holds up every video's start by about a second and a half.
void LeaveOutTheModeSettingSink() {
  static const bool once = [] {
    if (GstElementFactory* kms = gst_element_factory_find("kmssink")) {
      gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(kms), GST_RANK_NONE);
      gst_object_unref(kms);
    }
    return true;
  }();
  (void)once;
}

}  // namespace

// The native window the sink draws into. The toolkit never paints it (the sink does), and the
// mouse passes through it to the window.
class VideoWindow::Surface : public QWidget {
 public:
  explicit Surface(VideoWindow* owner) : QWidget(owner), owner_(owner) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }
  QPaintEngine* paintEngine() const override { return nullptr; }

 protected:
  void paintEvent(QPaintEvent*) override { owner_->Redraw(); }

 private:
  VideoWindow* owner_;
};

std::unique_ptr<VideoWindow> VideoWindow::ForPipeline(GstElement* pipeline, const QString& title) {
  // The overlay hands the sink an X11 window; other platforms have none to give.
  if (!pipeline || !GST_IS_VIDEO_OVERLAY(pipeline) ||
      QGuiApplication::platformName() != QLatin1String("xcb"))
    return nullptr;
  LeaveOutTheModeSettingSink();
  return std::unique_ptr<VideoWindow>(new VideoWindow(pipeline, title));
}

VideoWindow::VideoWindow(GstElement* pipeline, const QString& title)
    : QWidget(nullptr), pipeline_(GST_ELEMENT(gst_object_ref(pipeline))) {
  setObjectName(QStringLiteral("VideoWindow"));
  setWindowTitle(title);  // the icon is the application's, as on every window of the program
  setFocusPolicy(Qt::StrongFocus);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);  // the bars beside a picture of another shape
  setPalette(pal);
  setAutoFillBackground(true);
  surface_ = new Surface(this);
  resize(640, 480);
  // The playbin hands the window to whichever sink asks for one while prerolling. The window
  // takes the keys and the mouse itself, so the sink watches none of its events.
  GstVideoOverlay* overlay = GST_VIDEO_OVERLAY(pipeline_);
  gst_video_overlay_set_window_handle(overlay, static_cast<guintptr>(surface_->winId()));
  gst_video_overlay_handle_events(overlay, FALSE);
  g_object_set(pipeline_, "force-aspect-ratio", TRUE, nullptr);
}

VideoWindow::~VideoWindow() {
  if (sink_) gst_object_unref(sink_);
  gst_object_unref(pipeline_);
}

bool VideoWindow::DrawsInWindows(GstElement* sink) {
  GstElement* overlay = OverlayIn(sink);
  if (!overlay) return false;
  gst_object_unref(overlay);
  return true;
}

bool VideoWindow::Present() {
  if (isVisible()) return true;
  gint videoStreams = 0;
  g_object_get(pipeline_, "n-video", &videoStreams, nullptr);
  if (videoStreams <= 0) return false;
  if (!sink_) {
    GstElement* sink = nullptr;
    g_object_get(pipeline_, "video-sink", &sink, nullptr);
    sink_ = OverlayIn(sink);
    if (sink) gst_object_unref(sink);
    if (!sink_) return false;  // a sink that draws nowhere: nothing to show
  }
  if (picture_.isEmpty()) {
    GstPad* pad = nullptr;
    g_signal_emit_by_name(pipeline_, "get-video-pad", 0, &pad);
    if (pad) {
      if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        GstVideoInfo info;
        if (gst_video_info_from_caps(&info, caps) && info.width > 0 && info.height > 0) {
          const int width =
              info.par_n > 0 && info.par_d > 0
                  ? int(gst_util_uint64_scale_int(guint64(info.width), info.par_n, info.par_d))
                  : info.width;
          picture_ = QSize(std::max(width, 1), info.height);
        }
        gst_caps_unref(caps);
      }
      gst_object_unref(pad);
    }
  }
  if (picture_.isEmpty()) picture_ = size();
  Place();
  show();
  raise();
  return true;
}

// The frame the window manager will put around the window: the window's own once known, else
// that of another framed window of the program (they all get the same), else none.
QMargins VideoWindow::AssumedFrame() const {
  if (frameKnown_ && windowHandle()) return windowHandle()->frameMargins();
  for (QWindow* other : QGuiApplication::topLevelWindows()) {
    if (other == windowHandle() || !other->isVisible()) continue;
    const QMargins frame = other->frameMargins();
    if (!frame.isNull()) return frame;
  }
  return QMargins();
}

// The picture's size, shrunk to fit the screen's work area with the frame, in the middle of it.
void VideoWindow::Place() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QMargins frame = AssumedFrame();
  placedWith_ = frame;
  const QSize room = area.size().shrunkBy(frame).expandedTo(QSize(1, 1));
  QSize inside = picture_;
  if (inside.width() > room.width() || inside.height() > room.height())
    inside = inside.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  const QSize outer = inside.grownBy(frame);
  const QPoint corner(area.x() + (area.width() - outer.width()) / 2,
                      area.y() + (area.height() - outer.height()) / 2);
  setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), inside));
}

QRect VideoWindow::PictureRect() const {
  return surface_->geometry();
}

void VideoWindow::ToggleFullScreen() {
  if (isFullScreen())
    showNormal();
  else
    showFullScreen();
}

void VideoWindow::Redraw() {
  if (!sink_) return;
  gst_video_overlay_expose(GST_VIDEO_OVERLAY(pipeline_));
  if (surface_->size() == negotiated_) return;
  negotiated_ = surface_->size();
  // A sink that cannot scale (ximagesink) has the picture made at its window's size: it asks
  // for that size again once told to renegotiate. A scaling sink keeps what it has.
  if (GstPad* pad = gst_element_get_static_pad(sink_, "sink")) {
    gst_pad_push_event(pad, gst_event_new_reconfigure());
    gst_object_unref(pad);
  }
}

void VideoWindow::closeEvent(QCloseEvent* event) {
  event->accept();  // hidden at once; the owner may then close the medium, and this window
  QPointer<VideoWindow> self(this);
  QMetaObject::invokeMethod(
      qApp,
      [self] {
        if (!self || !self->OnClose) return;
        const std::function<void()> handler = self->OnClose;  // it may destroy this window
        handler();
      },
      Qt::QueuedConnection);
}

void VideoWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F11) {
    ToggleFullScreen();
  } else if (event->key() == Qt::Key_Escape && isFullScreen()) {
    showNormal();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void VideoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    ToggleFullScreen();
  else
    QWidget::mouseDoubleClickEvent(event);
}

// The picture keeps its shape: the surface is the largest rectangle of that shape in the middle
// of the window.
void VideoWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QSize shape = picture_.isEmpty() ? size() : picture_.scaled(size(), Qt::KeepAspectRatio);
  surface_->setGeometry(
      QRect(QPoint((width() - shape.width()) / 2, (height() - shape.height()) / 2), shape));
}

// The frame is known only once the window manager has framed the window (by its first drawing
// at the latest): a window placed with a wrong guess is placed again, once.
bool VideoWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (!frameKnown_ && isVisible() && !isFullScreen() && windowHandle() &&
      (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
       event->type() == QEvent::UpdateRequest || event->type() == QEvent::WindowActivate)) {
    const QMargins frame = windowHandle()->frameMargins();
    if (!frame.isNull()) {
      frameKnown_ = true;
      if (frame != placedWith_) Place();
    }
  }
  return handled;
}

}  // namespace ostrivo
