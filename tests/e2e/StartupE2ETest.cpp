// The built program as a script meets it: started under X with switches and a prepared
// configuration folder, it plays, quits by itself and leaves its settings behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdint>

#include "e2e/E2EProgram.h"
#include "platform/registry/FileRegistryHives.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::TempDir;
using ostrivo::test::e2e::Config;
using ostrivo::test::e2e::Program;
using ostrivo::test::e2e::Wav;

namespace {

const char* const kSettingNames[] = {
    "AuxVolumeBoxChecked", "CDVolumeBoxChecked",  "ContinuousBoxChecked", "DisplayTime",
    "FitBoxChecked",       "MicVolumeBoxChecked", "MidiVolumeBoxChecked", "Pause",
    "RandomBoxChecked",    "RecurseBoxChecked",   "StretchBoxChecked",    "TitleBoxChecked",
    "VolumeBoxChecked",    "WaveVolumeBoxChecked"};

struct ProgramRun {
  bool finished = false;
  int exitCode = -1;
  qint64 ms = 0;
  QByteArray output;
};

// Runs the program to its end (or kills it after limitMs), on a virtual X display when the
// tests have none.
ProgramRun RunProgram(const QStringList& args, const QString& configDir, const QString& workDir,
                      int limitMs) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("OSTRIVO_CONFIG_DIR", configDir);
  env.insert("OSTRIVO_AUDIO_SINK", "fakesink sync=true");
  env.insert("OSTRIVO_VIDEO_SINK", "fakesink");
  env.remove("QT_QPA_PLATFORM");  // the real X platform, as a user runs it
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(workDir);
  process.setProcessChannelMode(QProcess::MergedChannels);
  if (env.value("DISPLAY").isEmpty())
    process.start("xvfb-run", QStringList{"-a", "-s", "-screen 0 1024x768x24", Program()} + args);
  else
    process.start(Program(), args);
  ProgramRun run;
  QElapsedTimer clock;
  clock.start();
  if (!process.waitForStarted(10000)) return run;
  run.finished = process.waitForFinished(limitMs);
  run.ms = clock.elapsed();
  if (!run.finished) {
    process.kill();
    process.waitForFinished(5000);
  }
  run.exitCode = process.exitCode();
  run.output = process.readAll();
  return run;
}

}  // namespace

TEST(EndToEnd, FilePlayQuitExitsAfterTheFileAndLeavesTheSettingsWithTheSwitchesEffects) {
  ASSERT_TRUE(QFile::exists(Program())) << Program().toStdString();
  Config config({{"RandomBoxChecked", "0"},
                 {"ContinuousBoxChecked", "0"},
                 {"Pause", "0"},
                 {"FitBoxChecked", "0"},
                 {"StretchBoxChecked", "0"},
                 {"DisplayTime", "3"}});
  TempDir media;
  const QString wav = media.Write("a.wav", Wav(1500));
  const ProgramRun run = RunProgram({"/file", wav, "/play", "/quit", "/fit", "/delay", "9"},
                                    config.dir.Path(), media.Path(), 30000);
  ASSERT_TRUE(run.finished) << run.output.toStdString();
  EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
  // It played the file through before it quit.
  EXPECT_GE(run.ms, 1500);

  for (const char* name : kSettingNames) EXPECT_NE(config.Setting(name), "<none>") << name;
  EXPECT_EQ(config.Setting("FitBoxChecked"), "1");
  EXPECT_EQ(config.Setting("DisplayTime"), "9");
  EXPECT_EQ(config.Setting("StretchBoxChecked"), "0");
  EXPECT_EQ(config.Setting("RandomBoxChecked"), "0");
  EXPECT_EQ(config.Setting("Pause"), "0");
}

// Arguments that spell Qt's own options are the program's: switch values, here two files in
// the working folder and a display time, which Qt must neither take nor act on.
TEST(EndToEnd, QtsOptionNamesAreValuesOfTheProgramsSwitches) {
  Config config({{"RandomBoxChecked", "0"},
                 {"ContinuousBoxChecked", "0"},
                 {"Pause", "0"},
                 {"DisplayTime", "3"}});
  TempDir media;
  media.Write("-platformpluginpath", Wav(700));
  media.Write("-stylesheet", Wav(700));
  const ProgramRun run = RunProgram({"/file", "-platformpluginpath", "/file", "-stylesheet",
                                     "/delay", "-platform", "/play", "/quit"},
                                    config.dir.Path(), media.Path(), 30000);
  ASSERT_TRUE(run.finished) << run.output.toStdString();
  EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
  EXPECT_GE(run.ms, 1400);  // both files played
  EXPECT_EQ(config.Setting("DisplayTime"), "-platform");
}

TEST(EndToEnd, TheBundledDemoPlaysToItsQuitMark) {
  const QString demo = qEnvironmentVariable("OSTRIVO_BINARY_DIR") + "/demo";
  ASSERT_TRUE(QFile::exists(demo + "/demo.osp"));
  Config config({{"RandomBoxChecked", "0"},
                 {"ContinuousBoxChecked", "0"},
                 {"Pause", "0"},
                 {"DisplayTime", "1"}});
  // The demo names its files relative to its own folder.
  const ProgramRun run = RunProgram({"/open", "demo.osp", "/play"}, config.dir.Path(), demo, 90000);
  // An error box would keep the program open: it ends only by reaching the Quit mark.
  ASSERT_TRUE(run.finished) << run.output.toStdString();
  EXPECT_EQ(run.exitCode, 0);
  // Two tones, a tune, two pictures and the two-second pause.
  EXPECT_GE(run.ms, 1200 + 1500 + 5000 + 2000 + 2000);
  // The list was opened, not changed: the settings were written at the close.
  EXPECT_EQ(config.Setting("DisplayTime"), "1");
}
