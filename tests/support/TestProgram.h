#pragma once
// A whole program for a test: virtual time, scripted dialogs, the simulated media device and
// mixer, hive files in a temporary folder and a recording desktop. Nothing runs until the test
// advances the clock, so every tick and notice is deterministic.
//
//   TestProgram p;                 // services only
//   p.media.AddFile("/m/a.wav", 2000);
//   p.Create();                    // the six windows, in their order (first tick still due)
//   p.Start();                     // runs the first tick (the start-up sequence) and then puts
//                                  // the options back to the dialog's design values
//   p.Main().ListBox1->Items().Add("/m/a.wav");
//   p.Main().PlayButtonClick(nullptr);
//   p.time.Advance(2000);

#include <QStringList>
#include <memory>

#include "app/Forms.h"
#include "framework/Time.h"
#include "platform/media/SimulatedMediaBackend.h"
#include "platform/mixer/SimulatedMixerDriver.h"
#include "platform/registry/FileRegistryHives.h"
#include "platform/shell/ShellServices.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace ostrivo {
class TMainForm;
class TPictureForm;
class TOptionsForm;
class TAddDirForm;
class TInsPauseForm;
class TSplashForm;
}  // namespace ostrivo

namespace ostrivo::test {

// The mixer driver the tests use: no device until a test builds one before Create().
using TestMixerDriver = SimulatedMixerDriver;

class TestProgram {
 public:
  // configDir: where the hives live; a temporary folder of the test's own when empty.
  explicit TestProgram(QStringList arguments = {},
                       QString exeName = QStringLiteral("/opt/ostrivo/ostrivo"),
                       const QString& configDir = {});
  ~TestProgram();

  VirtualTime time;
  ScriptedDialogs dialogs;
  SimulatedMediaBackend media{time};
  TestMixerDriver mixer;
  TempDir config;
  FileRegistryHives hives;
  RecordingShell shell;
  std::unique_ptr<Forms> forms;

  // Creates the six windows (the first tick of the clock is then 1 ms away).
  void Create();
  // Runs the first tick, forgets the dialogs it showed (the first-start questions), and sets
  // the options back to the dialog's design values: random and continuous play off, pause 0,
  // display time 3, fit, stretch and title off.
  void Start();
  void ResetOptions();

  TMainForm& Main() const;
  TPictureForm& Picture() const;
  TOptionsForm& Options() const;
  TAddDirForm& AddDir() const;
  TInsPauseForm& InsPause() const;
  TSplashForm& Splash() const;

  // The play list's entries and selection.
  QList<QByteArray> Entries() const;
  void SetEntries(const QList<QByteArray>& entries);
  int Selected() const;
  QString Status() const;
  QString TrayHint() const;
};

}  // namespace ostrivo::test
