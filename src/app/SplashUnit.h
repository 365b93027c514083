#pragma once
// TSplashForm: the splash window shown for the first three seconds.

#include <QWidget>

#include "framework/Timer.h"

namespace ostrivo {

class Forms;

class TSplashForm : public QWidget {
 public:
  explicit TSplashForm(Forms& forms);
  ~TSplashForm() override;

  TTimer* Timer1;
  bool MinimizeAfterSplash = false;

  void FormActivate(QObject* Sender);
  void Timer1Timer(QObject* Sender);

 private:
  Forms& forms_;
};

}  // namespace ostrivo
