// The program entry: the real services, the six windows in their fixed order, the message loop.
#include <QApplication>
#include <QIcon>

#include "app/Forms.h"
#include "app/SplashUnit.h"
#include "framework/AppIdentity.h"
#include "framework/Dialogs.h"
#include "framework/Time.h"
#include "main/MainUnit.h"
#include "platform/media/GstMediaBackend.h"
#include "platform/mixer/AlsaMixerDriver.h"
#include "platform/registry/FileRegistryHives.h"
#include "platform/shell/ShellServices.h"

int main(int argc, char** argv) {
  // Qt is given the program's name alone: it would take its own options ("-platform",
  // "-stylesheet", "-platformpluginpath", ...) out of the command line, even where they are
  // values of this program's switches. The display and the like come from the environment.
  // With shared-memory images, Qt waits for the X server's answer before it paints again over
  // an area it has sent: a round trip that wakes the main thread once more for every repaint
  // of the clock label, a wake-up a second more while idle. The plain protocol needs no answer;
  // the windows are small, and video is drawn by the media sink. A setting of the user's own
  // stands; the programs this one starts (the help viewer) choose for themselves.
  const bool chooseShm = !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
  if (chooseShm) qputenv("QT_XCB_NO_MITSHM", "1");
  static char fallbackName[] = "ostrivo";
  int qtArgc = 1;
  char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
  QApplication app(qtArgc, qtArgv);
  if (chooseShm) qunsetenv("QT_XCB_NO_MITSHM");
  app.setApplicationName(QStringLiteral("Ostrivo"));
  // The desktop matches the windows to the program's entry, and every window (main, picture,
  // dialogs) carries its icon: the theme's when installed, the bundled copy otherwise.
  app.setDesktopFileName(ostrivo::kApplicationId);
  QIcon bundled;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    bundled.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
  app.setWindowIcon(QIcon::fromTheme(ostrivo::kApplicationId, bundled));
  // Closing the main window ends the program, whatever other window is open.
  app.setQuitOnLastWindowClosed(false);

  ostrivo::QtScheduler scheduler;
  ostrivo::SystemClock clock;
  ostrivo::QtDialogs dialogs;
  ostrivo::GstMediaBackend media;
  ostrivo::AlsaMixerDriver mixer;
  ostrivo::FileRegistryHives hives;
  ostrivo::DesktopShell shell(QCoreApplication::applicationFilePath());

  // Decoded as Qt decodes its own arguments; the switches turn them back into bytes unchanged.
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
  ostrivo::Forms forms(ostrivo::Services{scheduler, clock, dialogs, media, mixer, hives, shell,
                                         arguments, QCoreApplication::applicationFilePath()});
  forms.CreateAll();
  dialogs.SetParent(forms.MainForm);
  forms.MainForm->show();
  // The splash stays above the main window, also where no window manager keeps it on top.
  if (forms.SplashForm->isVisible()) forms.SplashForm->raise();
  if (forms.Terminated()) return 0;
  return app.exec();
}
