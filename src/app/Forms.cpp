#include "app/Forms.h"

#include <QCoreApplication>

#include "app/SplashUnit.h"
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
  // The last created goes first; the main window last, so its destruction (which stops
  // playback) still finds the others.
  delete SplashForm;
  delete InsPauseForm;
  delete AddDirForm;
  delete OptionsForm;
  delete PictureForm;
  delete MainForm;
}

void Forms::CreateAll() {
  MainForm = new TMainForm(*this);
  PictureForm = new TPictureForm(*this);
  OptionsForm = new TOptionsForm(*this);
  AddDirForm = new TAddDirForm(*this);
  InsPauseForm = new TInsPauseForm(*this);
  SplashForm = new TSplashForm(*this);
}

void Forms::Terminate() {
  terminated_ = true;
  QCoreApplication::quit();
}

}  // namespace ostrivo
