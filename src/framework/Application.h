#pragma once
// The application object: its title, the general error handler and the guard that every entry
// point from the toolkit (click, key, menu item, timer tick, media notice) runs through.

#include <QString>
#include <exception>
#include <functional>
#include <utility>

#include "framework/Dialogs.h"

namespace ostrivo {

class TApplication {
 public:
  explicit TApplication(Dialogs& dialogs) : dialogs_(dialogs) {}

  Dialogs& GetDialogs() { return dialogs_; }

  // The task-bar text and the caption of every message box.
  QString Title = QStringLiteral("Ostrivo");
  // The program file's full path (the shell commands and the help file are built from it).
  QString ExeName;

  // Shows the error's own text in a message box: the title as caption, an error icon, one OK
  // button, and "." appended when the text's last character sorts above ".".
  void HandleException(const std::exception& e);
  static QString ErrorText(const QString& message);

  // Runs f, handing any exception to HandleException. Commands never catch their own errors.
  template <class F>
  void Guard(F&& f) noexcept {
    try {
      std::forward<F>(f)();
    } catch (const std::exception& e) {
      HandleException(e);
    } catch (...) {
      HandleUnknown();
    }
  }

  // The application's minimize handler, and minimising the whole application.
  std::function<void()> OnMinimize;
  void Minimize();
  bool Minimized() const { return minimized_; }
  void Restore() { minimized_ = false; }

 private:
  void HandleUnknown();
  Dialogs& dialogs_;
  bool minimized_ = false;
};

}  // namespace ostrivo
