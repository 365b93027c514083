#include "app/Forms.h"

#include <QCoreApplication>

#include "app/SplashUnit.h"
#include "main/DesktopControls.h"
#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "playlist/AddDirUnit.h"
#include "playlist/InsPauseUnit.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

Forms::Forms(Services s)
    : services(std::move(s)), Application(services.dialogs), Random(services.clock) {
  Application.ExeName = services.exeName;
}

Forms::~Forms() {
  DesktopControls.reset();
  // The last created goes first, the main window last: its destruction stops playback, which
  // needs the main window only. A window already gone is null from then on.
  delete SplashForm;
  SplashForm = nullptr;
  delete InsPauseForm;
  InsPauseForm = nullptr;
  delete AddDirForm;
  AddDirForm = nullptr;
  delete OptionsForm;
  OptionsForm = nullptr;
  delete PictureForm;
  PictureForm = nullptr;
  delete MainForm;
  MainForm = nullptr;
}

void Forms::CreateAll() {
  MainForm = new TMainForm(*this);
  PictureForm = new TPictureForm(*this);
  OptionsForm = new TOptionsForm(*this);
  AddDirForm = new TAddDirForm(*this);
  InsPauseForm = new TInsPauseForm(*this);
  SplashForm = new TSplashForm(*this);
  MainForm->WatchClockInputs();
  DesktopControls = std::make_unique<TDesktopControls>(*this);
}

void Forms::Terminate() {
  terminated_ = true;
  QCoreApplication::quit();
}

}  // namespace ostrivo
