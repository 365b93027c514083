// The tray icon, the help command and the main window's close.
#include <QDir>
#include <QFileInfo>

#include "app/Forms.h"
#include "app/SplashUnit.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "mixer/AMixer.h"
#include "platform/shell/ShellServices.h"

namespace ostrivo {

void TMainForm::ApplicationMinimize(QObject*) {
  // Minimising within the first seconds ends the splash early.
  TSplashForm& splash = *forms_.SplashForm;
  splash.Timer1->SetEnabled(false);
  splash.hide();
  splash.setEnabled(false);

  if (!forms_.services.shell.TrayAvailable()) {
    // Without a notification area an icon could never bring the window back: it stays an
    // ordinary minimised window, with its border and its task-bar button, and the
    // application counts as restored so that the next minimise comes here again.
    SetBorderNone(*this, false);
    setWindowState(windowState() | Qt::WindowMinimized);
    Application().Restore();
    return;
  }
  RxTrayIcon1->SetActive(true);
  SetBorderNone(*this, true);
  setWindowState(windowState() | Qt::WindowMinimized);
  // The task-bar button goes with the window.
  hide();
}

void TMainForm::RxTrayIcon1Click(QObject*) {
  RxTrayIcon1->SetActive(false);
  show();
  Application().Restore();
  SetBorderNone(*this, false);
  setWindowState(windowState() &
                 ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  show();
  raise();
  activateWindow();
}

void TMainForm::Help1Click(QObject*) {
  // The program's folder without a trailing separator; the root keeps its own, which gives
  // "//help/index.htm" there, a path the system reads as "/help/index.htm".
  const QString& exe = Application().ExeName;
  const qsizetype slash = exe.lastIndexOf(QLatin1Char('/'));
  const QString folder = slash < 0    ? QStringLiteral(".")
                         : slash == 0 ? QStringLiteral("/")
                                      : exe.left(slash);
  // The manual beside the program (a build tree), else the installed one in the data folder.
  QString manual = folder + QStringLiteral("/help/index.htm");
  const QString installed = folder + QStringLiteral("/../share/ostrivo/help/index.htm");
  if (!QFileInfo::exists(manual) && QFileInfo::exists(installed))
    manual = QFileInfo(installed).canonicalFilePath();
  // A missing file is not reported (the handler says so); a desktop without a program for
  // web pages is, since nothing would happen at all.
  if (!forms_.services.shell.OpenDocument(manual))
    Application().GetDialogs().ShowMessage(
        Application().Title,
        QStringLiteral("The user's guide cannot be shown: no program on this desktop opens web "
                       "pages. The guide is ") +
            QDir::toNativeSeparators(manual) + QLatin1Char('.'),
        MessageIcon::Warning);
}

void TMainForm::Exit1Click(QObject*) {
  Close();
}

void TMainForm::PopupExitClick(QObject*) {
  Close();
}

void TMainForm::FormCloseQuery(QObject*, bool& CanClose) {
  // The close is never refused, also when writing the settings fails: that error reaches the
  // general error handler and the close goes on.
  CanClose = true;
  // From here on nothing may use the mixer: the volume bars check for it.
  Mixer.reset();
  SaveSettings();
}

}  // namespace ostrivo
