// The start-up sequence, run by the first tick of Timer1, and the command line it parses.
#include <QFile>

#include "app/Forms.h"
#include "app/SplashUnit.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "platform/registry/RegistryHives.h"
#include "playlist/EntryLines.h"
#include "settings/OptionsUnit.h"
#include "settings/Registry.h"

namespace ostrivo {

namespace {

// The set-up always writes this key, so its absence marks the first start on this machine.
const QString kPlayListCommandKey = QStringLiteral("\\Ostrivo.osp\\shell\\Open\\command");

// Switches compare after folding A-Z only; other letters keep their case.
QString FoldAscii(const QString& text) {
  QString folded = text;
  for (QChar& c : folded)
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + ('a' - 'A'));
  return folded;
}

// "/minimize" minimises the window only; the application goes into the tray when the splash
// ends. The window's own minimise would take it there at once, so the application's minimize
// handler is held back meanwhile.
void MinimizeWindowOnly(TMainForm& form) {
  TApplication& app = form.Application();
  auto handler = std::move(app.OnMinimize);
  app.OnMinimize = nullptr;
  form.setWindowState(form.windowState() | Qt::WindowMinimized);
  app.Restore();
  app.OnMinimize = std::move(handler);
}

}  // namespace

void TMainForm::StartupSequence() {
  // Ticks that arrive while a later step has a box open do only the steady work.
  FirstTick = false;
  StopPosition = 0;

  Registry = std::make_unique<TRegistry>(forms_.services.hives);
  Registry->SetRootKey(HKEY_CLASSES_ROOT);
  // The first-start questions only when their answers can be kept: else they would come back
  // at every start. The settings load then reports why nothing can be kept.
  const bool firstStart =
      !Registry->KeyExists(kPlayListCommandKey) && forms_.services.hives.CanStore();
  // The shell set-up and the settings load must not keep the rest of the start from running:
  // their errors are shown and the sequence goes on.
  if (firstStart) Application().Guard([this] { FirstStartShellSetup(); });
  Registry.reset();
  Application().Guard([this] { LoadSettings(); });

  Application().OnMinimize = [this] { Application().Guard([this] { ApplicationMinimize(this); }); };

  InPause = false;
  QuitAtEnd = false;
  PlayListFile.clear();
  AutoPlay = false;
  forms_.SplashForm->MinimizeAfterSplash = false;

  Application().Title = QStringLiteral("Ostrivo 1.0");

  // An error in a switch ends the sequence here, and the steady work of this tick with it.
  ParseCommandLine();

  SetCaption(Caption() + QStringLiteral(" - Untitled"));
  forms_.OptionsForm->OKBtnClick(forms_.OptionsForm);

  if (forms_.OptionsForm->RandomBox->isChecked()) {
    // The same draw as random play: the last entry is never the first.
    forms_.Random.Randomize();
    const int count = ListBox1->Count();
    if (count > 0) ListBox1->SetItemIndex(forms_.Random.Random(count - 1));
  }
}

void TMainForm::ParseCommandLine() {
  const QStringList& args = forms_.services.arguments;
  TOptionsForm& options = *forms_.OptionsForm;
  // Each switch acts at once, in the order given. A value is the next argument, which is
  // still examined in its own turn.
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString arg = FoldAscii(args[i]);
    const QString value = i + 1 < args.size() ? args[i + 1] : QString();
    if (arg == QLatin1String("/dir")) {
      // An empty directory text would walk the file system's root.
      if (!value.isEmpty()) AddDirectory(value);
    } else if (arg == QLatin1String("/random")) {
      options.RandomBox->setChecked(true);
    } else if (arg == QLatin1String("/continuous")) {
      options.ContinuousBox->setChecked(true);
    } else if (arg == QLatin1String("/play")) {
      AutoPlay = true;
    } else if (arg == QLatin1String("/fit")) {
      options.FitBox->setChecked(true);
    } else if (arg == QLatin1String("/delay")) {
      options.Edit1->setText(value);
    } else if (arg == QLatin1String("/minimize")) {
      MinimizeWindowOnly(*this);
      SetBorderNone(*this, true);
      forms_.SplashForm->MinimizeAfterSplash = true;
    } else if (arg == QLatin1String("/open")) {
      // A file that cannot be read leaves the list and the current file as they were.
      if (!value.isEmpty()) {
        ReadPlayList(value);
        PlayListFile = value;
      }
    } else if (arg == QLatin1String("/file")) {
      const QByteArray entry = QFile::encodeName(value);
      if (HoldsLineBreak(entry)) RefuseLineBreaks({entry});
      ListBox1->Items().Add(entry);
      SetCaption(Caption() + QStringLiteral(" - ") + value);
    } else if (arg == QLatin1String("/quit")) {
      QuitAtEnd = true;
    } else if (arg == QLatin1String("/stretch")) {
      options.StretchBox->setChecked(true);
    } else if (arg == QLatin1String("/recurse")) {
      options.RecurseBox->setChecked(true);
    } else if (arg == QLatin1String("/randomize")) {
      RandomizeButtonClick(this);
    }
  }
}

}  // namespace ostrivo
