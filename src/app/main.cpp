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
  QApplication app(argc, argv);
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

  QStringList arguments = app.arguments();
  arguments.removeFirst();
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
