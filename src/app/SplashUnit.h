#pragma once
// TSplashForm: the splash window that covers the first three seconds of a run.

#include <QLabel>
#include <QWidget>

#include "framework/Timer.h"

namespace ostrivo {

class Forms;

class TSplashForm : public QWidget {
 public:
  explicit TSplashForm(Forms& forms);
  ~TSplashForm() override;

  // The splash artwork, centred in the client area it fills.
  QLabel* Image1;
  TTimer* Timer1;
  // When the timer fires, minimise the whole application (into the tray); set by "/minimize".
  bool MinimizeAfterSplash = false;

  void FormActivate(QObject* Sender);
  void Timer1Timer(QObject* Sender);

  // The design client size, by which the window is centred on the screen.
  static constexpr int kDesignWidth = 312;
  static constexpr int kDesignHeight = 213;
  // The client size once the window is active: the artwork's own size.
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 240;

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  Forms& forms_;
};

}  // namespace ostrivo
