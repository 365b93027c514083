#pragma once
// VideoWindow: the window of its own that a medium's picture plays in. A top-level window of the
// program (titled with the entry, carrying the program's icon) with a native surface inside it
// that the pipeline's video sink draws into through GStreamer's video overlay, so the sink never
// opens a bare window of its own.
//
// Shown at the first play of a medium that has a picture: sized to the picture's natural size,
// shrunk (shape kept) to fit the screen's work area with its frame, and placed whole on the
// screen. The surface keeps the picture's shape inside the window, on black. F11 or a double
// click toggles full screen; Escape leaves it. Closing the window hides it and then tells
// OnClose, from the event loop: what closing means is the device's business. The window goes
// with the medium: its owner destroys it after the pipeline has stopped drawing.

#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

typedef struct _GstElement GstElement;

namespace ostrivo {

class VideoWindow : public QWidget {
 public:
  // A window for the pipeline (a playbin), to be made before the pipeline prerolls: the sink
  // asks for its window while it prerolls. Null where the desktop has no windows an X11 sink
  // can draw into (Qt's offscreen platform, a Wayland session): the sink is then left alone.
  // Otherwise the system's default sink is from then on chosen among those X can show.
  static std::unique_ptr<VideoWindow> ForPipeline(GstElement* pipeline, const QString& title);
  ~VideoWindow() override;

  // Whether a sink draws pictures into windows (the overlay); a fakesink does not.
  static bool DrawsInWindows(GstElement* sink);

  // Once the medium is ready: shows the window when the medium has a picture and its sink
  // draws into this window; an audio medium never shows it. Returns whether it is shown.
  bool Present();
  void ToggleFullScreen();
  // The picture's natural size (its pixel shape applied); empty until Present found one.
  QSize PictureSize() const { return picture_; }
  // Where the picture is drawn, in the window's coordinates.
  QRect PictureRect() const;

  std::function<void()> OnClose;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  class Surface;
  VideoWindow(GstElement* pipeline, const QString& title);
  void Place();
  void Redraw();
  QMargins AssumedFrame() const;

  GstElement* pipeline_;        // a reference of our own
  GstElement* sink_ = nullptr;  // the element drawing here, once known
  Surface* surface_;
  QSize picture_;
  QSize negotiated_;     // the surface size the sink was last told about
  QMargins placedWith_;  // the frame assumed when placed
  bool frameKnown_ = false;
};

}  // namespace ostrivo
