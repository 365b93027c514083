// The program's shell registration under HKEY_CLASSES_ROOT: the first-start questions, the
// keys and commands they write, the install/uninstall toggle, and registry failures.
#include <gtest/gtest.h>

#include <QSet>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "settings/Registry.h"
#include "support/RefusingHives.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::RefusingHives;
using ostrivo::test::ShownMessage;
using ostrivo::test::TestProgram;

namespace {

const char* const kQuestionOrder[] = {"osp", "wav", "mid", "bmp", "jpg", "cda", "avi", "mov"};

QString Question(const QString& ext) {
  return "Do you want Ostrivo to be the default viewer for " + ext + " files?";
}

// Every key of a hive as "path" and every value as "path|name=text" ("@" for the default).
QSet<QString> Dump(RegistryHives& hives, Hive hive, const KeyPath& path = {}) {
  QSet<QString> out;
  const QString here = path.join('\\');
  if (!path.isEmpty()) out << here;
  for (const QString& name : hives.ValueNames(hive, path)) {
    const RegistryValue v = *hives.GetValue(hive, path, name);
    const qsizetype end = v.data.indexOf('\0');
    out << here + "|" + (name.isEmpty() ? "@" : name) + "=" +
               QString::fromUtf8(end < 0 ? v.data : v.data.first(end));
  }
  for (const QString& sub : hives.SubKeyNames(hive, path))
    out += Dump(hives, hive, path + QStringList{sub});
  return out;
}

// The text of a value, or "<none>" when the key or the value is missing.
QString Value(RegistryHives& hives, Hive hive, const QString& key, const QString& name = {}) {
  const auto v = hives.GetValue(hive, key.split('\\'), name);
  if (!v) return "<none>";
  const qsizetype end = v->data.indexOf('\0');
  return QString::fromUtf8(end < 0 ? v->data : v->data.first(end));
}

bool KeyPresent(RegistryHives& hives, Hive hive, const QString& key) {
  return hives.FindKey(hive, key.split('\\')).has_value();
}

// Runs the first-start set-up the way the start-up sequence does: on a registry object in the
// main window's field, released afterwards.
void RunFirstStartSetup(TMainForm& m) {
  m.Registry = std::make_unique<TRegistry>(m.GetForms().services.hives);
  m.Registry->SetRootKey(HKEY_CLASSES_ROOT);
  m.FirstStartShellSetup();
  m.Registry.reset();
}

QSet<QString> CommonKeys(const QString& exe) {
  return {"Ostrivo.osp",
          "Ostrivo.osp\\shell",
          "Ostrivo.osp\\shell\\Open",
          "Ostrivo.osp\\shell\\Open\\command",
          "Ostrivo.osp\\shell\\Open\\command|@=" + exe + " /open \"%l\" /play",
          "folder",
          "folder\\shell",
          "folder\\shell\\Ostrivo_View",
          "folder\\shell\\Ostrivo_View|@=Ostrivo View",
          "folder\\shell\\Ostrivo_View\\command",
          "folder\\shell\\Ostrivo_View\\command|@=" + exe + " /dir \"%l\" /play",
          "drive",
          "drive\\shell",
          "drive\\shell\\Ostrivo_View",
          "drive\\shell\\Ostrivo_View|@=Ostrivo View",
          "drive\\shell\\Ostrivo_View\\command",
          "drive\\shell\\Ostrivo_View\\command|@=" + exe + " /dir \"%l\" /play"};
}

}  // namespace

TEST(FirstStartShellSetup, EveryAnswerNoLeavesOnlyThePlayListCommandAndTheVerbs) {
  TestProgram p;
  p.Create();
  RunFirstStartSetup(p.Main());

  // One question per type, in the fixed order, each a Yes/No confirmation.
  ASSERT_EQ(p.dialogs.messages.size(), 8u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(p.dialogs.messages[i].kind, ShownMessage::Kind::Confirm);
    EXPECT_EQ(p.dialogs.messages[i].text, Question(kQuestionOrder[i]));
  }
  EXPECT_EQ(Dump(p.hives, Hive::ClassesRoot), CommonKeys("/opt/ostrivo/ostrivo"));
  EXPECT_FALSE(KeyPresent(p.hives, Hive::CurrentUser, "Software"));
  EXPECT_EQ(p.Main().Registry, nullptr);
}

TEST(FirstStartShellSetup, YesForPlayListsAndJpegWritesTheirClassesAndCommands) {
  TestProgram p;
  //                     osp   wav    mid    bmp    jpg   cda    avi    mov
  p.dialogs.confirmAnswers = {true, false, false, false, true, false, false, false};
  p.Create();
  RunFirstStartSetup(p.Main());

  const QString exe = "/opt/ostrivo/ostrivo";
  QSet<QString> expected = CommonKeys(exe);
  expected += {".osp", ".osp|@=Ostrivo.osp", ".osp|Content Type=Ostrivo osp file",
               "Ostrivo.osp\\shell|@=Open", "Ostrivo.osp\\shell\\Open|@=Open"};
  expected += {".jpg",
               ".jpg|@=Ostrivo.jpg",
               ".jpg|Content Type=Ostrivo jpg file",
               "Ostrivo.jpg",
               "Ostrivo.jpg\\shell",
               "Ostrivo.jpg\\shell|@=Open",
               "Ostrivo.jpg\\shell\\Open",
               "Ostrivo.jpg\\shell\\Open|@=Open",
               "Ostrivo.jpg\\shell\\Open\\command",
               "Ostrivo.jpg\\shell\\Open\\command|@=" + exe + " /file \"%L\" /play"};
  // The play-list command replaces the "/file" one that its Yes wrote first.
  EXPECT_EQ(Dump(p.hives, Hive::ClassesRoot), expected);
}

TEST(FirstStartShellSetup, AProgramPathWithBlanksStaysUnquoted) {
  const QString exe = "/home/ana maria/My Programs/ostrivo";
  TestProgram p({}, exe);
  p.dialogs.confirmAnswers = {false, true};  // wav
  p.Create();
  RunFirstStartSetup(p.Main());
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "Ostrivo.osp\\shell\\Open\\command"),
            exe + " /open \"%l\" /play");
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "Ostrivo.wav\\shell\\Open\\command"),
            exe + " /file \"%L\" /play");
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "drive\\shell\\Ostrivo_View\\command"),
            exe + " /dir \"%l\" /play");
}

TEST(ShellToggle, UninstallsWhileTheSettingsKeyExistsThenInstallsWithoutAsking) {
  TestProgram p;
  p.dialogs.confirmAnswers = {true, true, true, true, true, true, true, true};
  p.Create();
  TMainForm& m = p.Main();
  RunFirstStartSetup(m);
  // The settings key, as every start leaves it.
  p.hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"});
  p.hives.SetValue(Hive::CurrentUser, {"Software", "Ostrivo"}, "Pause", RegistryValue::String("1"));
  // Since then another program has taken over wave files.
  p.hives.SetValue(Hive::ClassesRoot, {".wav"}, "", RegistryValue::String("Other.wav"));
  p.hives.SetValue(Hive::ClassesRoot, {".wav"}, "Content Type", RegistryValue::String("audio/wav"));
  p.hives.SetValue(Hive::ClassesRoot, {".wav"}, "Other", RegistryValue::String("kept"));
  p.dialogs.messages.clear();

  m.ShellButtonClick(m.ShellButton);
  ASSERT_EQ(p.dialogs.Texts(),
            QStringList{"Shell extensions uninstalled unless you work with Windows NT"});
  EXPECT_EQ(p.dialogs.messages[0].kind, ShownMessage::Kind::Message);
  // .wav loses both values whoever wrote them; the key and its other values stay.
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, ".wav"), "<none>");
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, ".wav", "Content Type"), "<none>");
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, ".wav", "Other"), "kept");
  for (const char* ext : {"wav", "mid", "bmp", "jpg", "cda", "avi", "mov"}) {
    EXPECT_FALSE(KeyPresent(p.hives, Hive::ClassesRoot, QString("Ostrivo.") + ext)) << ext;
    EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, QString(".") + ext), "<none>") << ext;
  }
  EXPECT_FALSE(KeyPresent(p.hives, Hive::ClassesRoot, "folder\\shell\\Ostrivo_View"));
  EXPECT_TRUE(KeyPresent(p.hives, Hive::ClassesRoot, "folder\\shell"));
  // Left in place: the play-list type and the drive verb.
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, ".osp"), "Ostrivo.osp");
  EXPECT_TRUE(KeyPresent(p.hives, Hive::ClassesRoot, "Ostrivo.osp\\shell\\Open\\command"));
  EXPECT_TRUE(KeyPresent(p.hives, Hive::ClassesRoot, "drive\\shell\\Ostrivo_View\\command"));
  // The settings key is gone, "Software" stays.
  EXPECT_FALSE(KeyPresent(p.hives, Hive::CurrentUser, "Software\\Ostrivo"));
  EXPECT_TRUE(KeyPresent(p.hives, Hive::CurrentUser, "Software"));
  EXPECT_EQ(m.Registry, nullptr);

  // Without the settings key the next use installs everything, asking nothing.
  p.dialogs.messages.clear();
  m.ShellButtonClick(m.ShellButton);
  ASSERT_EQ(p.dialogs.Texts(), QStringList{"Shell extensions installed"});
  const QString exe = "/opt/ostrivo/ostrivo";
  for (const char* ext : {"wav", "mid", "bmp", "jpg", "cda", "avi", "mov"}) {
    const QString e(ext);
    EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "." + e), "Ostrivo." + e);
    EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "." + e, "Content Type"), "Ostrivo " + e + " file");
    EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "Ostrivo." + e + "\\shell"), "Open");
    EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "Ostrivo." + e + "\\shell\\Open"), "Open");
    EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "Ostrivo." + e + "\\shell\\Open\\command"),
              exe + " /file \"%L\" /play");
  }
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, ".osp", "Content Type"), "Ostrivo osp file");
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "Ostrivo.osp\\shell\\Open\\command"),
            exe + " /open \"%l\" /play");
  EXPECT_EQ(Value(p.hives, Hive::ClassesRoot, "folder\\shell\\Ostrivo_View\\command"),
            exe + " /dir \"%l\" /play");
  // Installing does not make the settings key, so a third use installs again.
  EXPECT_FALSE(KeyPresent(p.hives, Hive::CurrentUser, "Software\\Ostrivo"));
  p.dialogs.messages.clear();
  m.ShellButtonClick(m.ShellButton);
  EXPECT_EQ(p.dialogs.Texts(), QStringList{"Shell extensions installed"});
}

TEST(ShellToggle, WithoutTheSoftwareKeyDoesNotMistakeARootKeyForTheSettings) {
  TestProgram p;
  p.Create();
  // A key "Ostrivo" straight under the root is not the settings key.
  p.hives.CreateKey(Hive::CurrentUser, {"Ostrivo"});
  p.Main().ShellButtonClick(nullptr);
  EXPECT_EQ(p.dialogs.Texts(), QStringList{"Shell extensions installed"});
  EXPECT_TRUE(KeyPresent(p.hives, Hive::CurrentUser, "Ostrivo"));
}

TEST(ShellRegistration, AKeyThatCannotBeOpenedTakesNoWritesIntoAnotherKey) {
  TestProgram p;
  p.Create();
  TMainForm& m = p.Main();
  m.Registry = std::make_unique<TRegistry>(p.hives);
  m.RegisterExtension("wav");
  const QSet<QString> before = Dump(p.hives, Hive::ClassesRoot);
  // A name with a line break cannot be a key: every open of this registration fails while
  // the wave command key is still the current one.
  m.RegisterExtension("bad\next");
  EXPECT_EQ(Dump(p.hives, Hive::ClassesRoot), before);
  m.UnregisterExtension("bad\next");
  EXPECT_EQ(Dump(p.hives, Hive::ClassesRoot), before);
  m.Registry.reset();
}

TEST(FirstStartShellSetup, FailingWritesAskEveryQuestionAndReportOnce) {
  ostrivo::test::TempDir config;
  FileRegistryHives files(config.Path());
  // Hives whose classes root takes no values: keys are made, every value write fails, as when
  // the file system refuses the change half-way.
  RefusingHives hives(files);
  hives.refuseValuesIn = Hive::ClassesRoot;
  TestProgram p;
  p.dialogs.confirmAnswers = {true, true};
  // The same program over hives that refuse every value.
  p.forms = std::make_unique<Forms>(Services{
      p.time, p.time, p.dialogs, p.media, p.mixer, hives, p.shell, {}, "/opt/ostrivo/ostrivo"});
  p.Create();
  RunFirstStartSetup(p.Main());
  QStringList questions;
  for (const char* ext : kQuestionOrder) questions << Question(ext);
  QStringList expected = questions;
  expected << "Failed to set data for ''";
  EXPECT_EQ(p.dialogs.Texts(), expected);
  EXPECT_EQ(p.dialogs.Errors(), QStringList{"Failed to set data for ''"});
}

// What the registrations carry into the desktop's own terms: the answered types, the
// play-list command and both verbs; the uninstall takes back the seven types and the folder
// verb only, as it does in the hive.
TEST(DesktopRegistrations, FollowTheAnswersAndTheToggleAsTheHiveDoes) {
  TestProgram p;
  //                     osp   wav    mid    bmp    jpg   cda    avi    mov
  p.dialogs.confirmAnswers = {false, false, false, false, true, false, false, false};
  p.Create();
  TMainForm& m = p.Main();
  RunFirstStartSetup(m);
  EXPECT_EQ(p.shell.calls, (QStringList{"+verb0", "+jpg", "+verb1", "+verb2"}));

  p.hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"});
  p.shell.calls.clear();
  m.ShellButtonClick(m.ShellButton);  // uninstall
  EXPECT_EQ(p.shell.calls,
            (QStringList{"-wav", "-mid", "-bmp", "-jpg", "-cda", "-avi", "-mov", "-verb1"}));
  p.shell.calls.clear();
  m.ShellButtonClick(m.ShellButton);  // install, without a question
  EXPECT_EQ(p.shell.calls, (QStringList{"+osp", "+verb0", "+wav", "+mid", "+bmp", "+jpg", "+cda",
                                        "+avi", "+mov", "+verb1", "+verb2"}));
}
