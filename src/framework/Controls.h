#pragma once
// The few classic controls the windows are built from, over Qt widgets. Geometry is absolute,
// in pixels of the parent's client area, as the windows' designs give it.

#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QWidget>
#include <functional>

class QSizeGrip;

namespace ostrivo {

// A flat tool-bar button: a glyph or a caption, a tooltip, a click handler.
class TSpeedButton : public QToolButton {
 public:
  explicit TSpeedButton(QWidget* parent);
  // A second glyph shown while the button is disabled (otherwise Qt greys the first).
  void SetGlyphs(const QIcon& normal, const QIcon& disabled = QIcon());
};

// A track bar whose change handler runs only when the user moves it: setting the position,
// range or maximum from the program never calls OnChange.
class TTrackBar : public QSlider {
 public:
  TTrackBar(Qt::Orientation orientation, QWidget* parent);

  int Position() const { return value(); }
  void SetPosition(int p);
  int Min() const { return minimum(); }
  int Max() const { return maximum(); }
  void SetMin(int v);
  void SetMax(int v);
  void SetRange(int lo, int hi);

  std::function<void(QObject* sender)> OnChange;

 private:
  bool programmatic_ = false;
};

// The status line: one text field across the bottom, with a size grip.
class TStatusBar : public QWidget {
 public:
  explicit TStatusBar(QWidget* parent);
  const QString& SimpleText() const { return text_; }
  void SetSimpleText(const QString& text);
  // Redraws at once, for texts shown during long work on the GUI thread.
  void Refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QString text_;
  QSizeGrip* grip_;
};

// A panel that can hold the keyboard focus (the tool bar takes it after list clicks and seeks).
class TPanel : public QWidget {
 public:
  explicit TPanel(QWidget* parent);
};

}  // namespace ostrivo
