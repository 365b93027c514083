#pragma once
// The program as one object: the services it runs on and its six windows, created once in a
// fixed order. There are no globals: a test builds a whole program with its own services (virtual
// time, scripted dialogs, simulated media and mixer, hives in a temporary folder) and drops it.

#include <QStringList>
#include <memory>

#include "framework/Application.h"
#include "framework/Random.h"
#include "framework/Time.h"

namespace ostrivo {

class MediaBackend;
class MixerDriver;
class RegistryHives;
class ShellServices;
class TMainForm;
class TPictureForm;
class TOptionsForm;
class TAddDirForm;
class TInsPauseForm;
class TSplashForm;
class TDesktopControls;

struct Services {
  Scheduler& scheduler;
  Clock& clock;
  Dialogs& dialogs;
  MediaBackend& media;
  MixerDriver& mixer;
  RegistryHives& hives;
  ShellServices& shell;
  // The command-line arguments after the program path.
  QStringList arguments;
  // The program file's full path.
  QString exeName;
};

class Forms {
 public:
  explicit Forms(Services services);
  ~Forms();
  Forms(const Forms&) = delete;
  Forms& operator=(const Forms&) = delete;

  // Creates the windows in their fixed order: main, picture, options, add-directory,
  // insert-pause, splash.
  void CreateAll();

  // Ends the program once the current message has been handled (the main window closed).
  void Terminate();
  bool Terminated() const { return terminated_; }

  Services services;
  TApplication Application;
  TRandom Random;

  TMainForm* MainForm = nullptr;
  TPictureForm* PictureForm = nullptr;
  TOptionsForm* OptionsForm = nullptr;
  TAddDirForm* AddDirForm = nullptr;
  TInsPauseForm* InsPauseForm = nullptr;
  TSplashForm* SplashForm = nullptr;
  // The player as the desktop's player controls see it; made after the windows, gone before
  // them.
  std::unique_ptr<TDesktopControls> DesktopControls;

 private:
  bool terminated_ = false;
};

}  // namespace ostrivo
