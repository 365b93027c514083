// The start-up sequence in virtual time: the first tick loads the settings, parses the command
// line, builds the title and applies the options; the switches act at once, in their order.
#include <gtest/gtest.h>

#include <QDir>

#include "app/SplashUnit.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::ReadAll;
using ostrivo::test::TempDir;
using ostrivo::test::TestProgram;

namespace {

using Entries = QList<QByteArray>;

// Stored settings for the next start; values not named are missing (and load as "1").
void StoreSettings(TestProgram& p, const QList<std::pair<QString, QString>>& values) {
  p.hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"});
  for (const auto& [name, text] : values)
    p.hives.SetValue(Hive::CurrentUser, {"Software", "Ostrivo"}, name,
                     RegistryValue::String(text.toUtf8()));
}

// A profile that has been started before: no first-start questions, and the options a user
// who plays lists from start to end would have.
void PlainProfile(TestProgram& p) {
  p.hives.CreateKey(Hive::ClassesRoot, {"Ostrivo.osp", "shell", "Open", "command"});
  StoreSettings(p, {{"RandomBoxChecked", "0"},
                    {"ContinuousBoxChecked", "0"},
                    {"RecurseBoxChecked", "0"},
                    {"FitBoxChecked", "0"},
                    {"StretchBoxChecked", "0"},
                    {"TitleBoxChecked", "0"},
                    {"Pause", "0"},
                    {"DisplayTime", "3"}});
}

// Creates the program and runs its first tick, keeping what the switches did.
void FirstTick(TestProgram& p) {
  p.Create();
  p.time.Advance(1);
}

}  // namespace

TEST(StartupSequence, NoArgumentsGiveAnUntitledIdleProgram) {
  TestProgram p;
  PlainProfile(p);
  p.media.AddFile("/m/a.wav", 1000);
  FirstTick(p);
  TMainForm& m = p.Main();
  EXPECT_EQ(m.Caption(), "Ostrivo 1.0 - Untitled");
  EXPECT_EQ(m.Application().Title, "Ostrivo 1.0");
  EXPECT_FALSE(m.FirstTick);
  EXPECT_TRUE(p.Entries().isEmpty());
  EXPECT_TRUE(m.PlayListFile.isEmpty());
  p.time.Advance(2000);
  EXPECT_EQ(p.media.OpenCount(), 0);
  EXPECT_FALSE(m.Active());
  EXPECT_TRUE(p.dialogs.messages.empty());
  // Later ticks do not run the sequence again.
  EXPECT_EQ(m.Caption(), "Ostrivo 1.0 - Untitled");
}

TEST(StartupSequence, TheFirstStartIsRecognisedByTheMissingPlayListCommand) {
  TestProgram first;
  first.Create();
  first.Start();
  // Eight questions were asked and forgotten by Start(); the command key is now there.
  EXPECT_TRUE(first.hives.FindKey(Hive::ClassesRoot, {"Ostrivo.osp", "shell", "Open", "command"}));

  // The next start over the same hives asks nothing.
  TestProgram second;
  second.forms = std::make_unique<Forms>(Services{second.time,
                                                  second.time,
                                                  second.dialogs,
                                                  second.media,
                                                  second.mixer,
                                                  first.hives,
                                                  second.shell,
                                                  {},
                                                  "/opt/ostrivo/ostrivo"});
  FirstTick(second);
  EXPECT_TRUE(second.dialogs.messages.empty());
  EXPECT_EQ(second.Main().Caption(), "Ostrivo 1.0 - Untitled");
}

TEST(StartupSequence, TicksWhileAFirstStartQuestionIsOpenDoNotRunTheSequenceAgain) {
  TestProgram p;
  int open = 0;
  p.dialogs.whileMessageShown = [&](const ostrivo::test::ShownMessage&) {
    // Each question stays open for half a second of ticks.
    ++open;
    p.time.Advance(500);
    --open;
  };
  FirstTick(p);
  EXPECT_EQ(open, 0);
  // A re-run from a nested tick would ask its questions again.
  EXPECT_EQ(p.dialogs.messages.size(), 8u);
  EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - Untitled");
}

// A configuration path that names a file: nothing can be kept there, so the start says so
// once, naming the path, asks none of the first-start questions (they would come back at every
// start) and runs on its defaults; the close adds nothing.
TEST(StartupSequence, AConfigurationPathThatIsAFileIsReportedOnceAndAsksNothing) {
  TempDir home;
  const QString notAFolder = home.Write("ostrivo", "I am a file\n");
  for (int start = 0; start < 2; ++start) {
    TestProgram p({}, "/opt/ostrivo/ostrivo", notAFolder);
    FirstTick(p);
    ASSERT_EQ(p.dialogs.messages.size(), 1u) << p.dialogs.Texts().join('|').toStdString();
    const auto& shown = p.dialogs.messages[0];
    EXPECT_EQ(shown.kind, ostrivo::test::ShownMessage::Kind::Message);
    EXPECT_EQ(shown.icon, MessageIcon::Warning);
    EXPECT_TRUE(shown.text.contains("\"" + notAFolder + "\"")) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains("Not a directory")) << shown.text.toStdString();
    // The defaults of a fresh profile.
    EXPECT_TRUE(p.Options().RandomBox->isChecked());
    EXPECT_EQ(p.Options().Edit1->text(), "1");
    EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - Untitled");

    p.Main().Exit1->trigger();
    EXPECT_TRUE(p.forms->Terminated());
    EXPECT_EQ(p.dialogs.messages.size(), 1u) << p.dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(ReadAll(notAFolder), "I am a file\n");
  }
}

TEST(CommandLine, SwitchesFoldAsciiCaseOnlyAndMustMatchWholly) {
  {
    TestProgram p({"/FILE", "X.Wav"});
    PlainProfile(p);
    FirstTick(p);
    EXPECT_EQ(p.Entries(), Entries{"X.Wav"});
    EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - X.Wav - Untitled");
  }
  {
    // Attached values, hyphen forms and other alphabets' letters are not switches.
    TestProgram p({"/File:x.wav", "-file", "x.wav", QString::fromUtf8("/\u017Ftretch"), "/fil"});
    PlainProfile(p);
    FirstTick(p);
    EXPECT_TRUE(p.Entries().isEmpty());
    EXPECT_FALSE(p.Options().StretchBox->isChecked());
    EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - Untitled");
  }
}

TEST(CommandLine, AValueIsExaminedAgainInItsOwnTurn) {
  TestProgram p({"/file", "/play"});
  PlainProfile(p);
  FirstTick(p);
  EXPECT_EQ(p.Entries(), Entries{"/play"});
  EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - /play - Untitled");
  // "/play" also set AutoPlay: the first tick tried to play the entry "/play".
  ASSERT_EQ(p.media.OpenCount(), 1);
  EXPECT_EQ(p.media.OpenRequests()[0].path, "/play");
}

TEST(CommandLine, FilesAppendInOrderAndLengthenTheTitle) {
  TestProgram p({"/file", "/m/a.wav", "/file", "/m/b.wav"});
  PlainProfile(p);
  FirstTick(p);
  EXPECT_EQ(p.Entries(), (Entries{"/m/a.wav", "/m/b.wav"}));
  EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - /m/a.wav - /m/b.wav - Untitled");
  EXPECT_EQ(p.Selected(), -1);
}

TEST(CommandLine, RecurseActsOnlyOnDirectoriesAfterIt) {
  TempDir media;
  media.Write("top.wav", "x");
  media.Write("sub/deep.mid", "x");
  const QString d = media.Path();
  {
    TestProgram p({"/recurse", "/dir", d});
    PlainProfile(p);
    FirstTick(p);
    EXPECT_EQ(p.Entries().size(), 2);
    EXPECT_TRUE(p.Entries().contains(QFile::encodeName(d + "/sub/deep.mid")));
    EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - " + d + " - Untitled");
  }
  {
    TestProgram p({"/dir", d, "/recurse"});
    PlainProfile(p);
    FirstTick(p);
    EXPECT_EQ(p.Entries(), Entries{QFile::encodeName(d + "/top.wav")});
    // The option is on afterwards all the same.
    EXPECT_TRUE(p.Options().RecurseBox->isChecked());
  }
}

TEST(CommandLine, DirAndOpenWithoutAValueDoNothing) {
  {
    TestProgram p({"/file", "/m/a.wav", "/dir"});
    PlainProfile(p);
    FirstTick(p);
    // An empty directory text must not walk the root.
    EXPECT_EQ(p.Entries(), Entries{"/m/a.wav"});
    EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - /m/a.wav - Untitled");
  }
  {
    TestProgram p({"/file", "/m/a.wav", "/open"});
    PlainProfile(p);
    FirstTick(p);
    EXPECT_EQ(p.Entries(), Entries{"/m/a.wav"});
    EXPECT_TRUE(p.Main().PlayListFile.isEmpty());
    EXPECT_TRUE(p.dialogs.messages.empty());
    EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - /m/a.wav - Untitled");
  }
}

TEST(CommandLine, OpenReplacesTheListAndALaterSaveWritesThereWithoutAsking) {
  TempDir lists;
  const QString l = lists.Write("L.osp", "/m/x.wav\r\nPause: 2\r\nQuit\r\n");
  TestProgram p({"/file", "/m/before.wav", "/open", l});
  PlainProfile(p);
  FirstTick(p);
  TMainForm& m = p.Main();
  EXPECT_EQ(p.Entries(), (Entries{"/m/x.wav", "Pause: 2", "Quit"}));
  EXPECT_EQ(m.PlayListFile, l);
  // "/open" leaves the title alone; "/file" before it had lengthened it.
  EXPECT_EQ(m.Caption(), "Ostrivo 1.0 - /m/before.wav - Untitled");

  m.ListBox1->Items().Add("/m/y.wav");
  m.SaveButtonClick(m.SaveButton);
  EXPECT_TRUE(p.dialogs.saveRequests.empty());
  EXPECT_EQ(ReadAll(l), "/m/x.wav\r\nPause: 2\r\nQuit\r\n/m/y.wav\r\n");
}

TEST(CommandLine, AnUnreadableListIsReportedAndEndsTheStartUp) {
  TempDir lists;
  const QString missing = lists.File("missing.osp");
  TestProgram p({"/file", "/m/a.wav", "/open", missing, "/file", "/m/b.wav", "/random"});
  PlainProfile(p);
  FirstTick(p);
  TMainForm& m = p.Main();
  EXPECT_EQ(p.dialogs.Errors(), QStringList{"Cannot open file " + missing + "."});
  // The list and the current file stay as they were; nothing after the error ran: no further
  // switch, no " - Untitled", no random first entry.
  EXPECT_EQ(p.Entries(), Entries{"/m/a.wav"});
  EXPECT_TRUE(m.PlayListFile.isEmpty());
  EXPECT_EQ(m.Caption(), "Ostrivo 1.0 - /m/a.wav");
  EXPECT_FALSE(p.Options().RandomBox->isChecked());
  // Not retried.
  p.time.Advance(100);
  EXPECT_EQ(p.dialogs.Errors().size(), 1);
  EXPECT_FALSE(m.FirstTick);
}

TEST(CommandLine, RandomizeShufflesOnlyWhatIsThereAndAlwaysReportsDone) {
  {
    TestProgram p({"/randomize"});
    PlainProfile(p);
    FirstTick(p);
    EXPECT_TRUE(p.Entries().isEmpty());
    EXPECT_EQ(p.Status(), "Randomizing done.");
  }
  {
    // Two entries always come out swapped; the third comes after the shuffle.
    TestProgram p({"/file", "a", "/file", "b", "/randomize", "/file", "c"});
    PlainProfile(p);
    FirstTick(p);
    EXPECT_EQ(p.Entries(), (Entries{"b", "a", "c"}));
    EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - a - b - c - Untitled");
  }
}

TEST(CommandLine, OptionSwitchesSetTheDialogsControls) {
  TestProgram p(
      {"/random", "/continuous", "/fit", "/stretch", "/recurse", "/delay", "7", "/quit", "/play"});
  PlainProfile(p);
  StoreSettings(p, {{"FitBoxChecked", "0"}, {"StretchBoxChecked", "0"}, {"DisplayTime", "3"}});
  FirstTick(p);
  TOptionsForm& o = p.Options();
  for (QCheckBox* b : {o.RandomBox, o.ContinuousBox, o.FitBox, o.StretchBox, o.RecurseBox})
    EXPECT_TRUE(b->isChecked()) << b->text().toStdString();
  EXPECT_EQ(o.Edit1->text(), "7");
  // The up-down keeps what the settings gave it.
  EXPECT_EQ(o.UpDown1->Position(), 3);
  EXPECT_TRUE(p.Main().QuitAtEnd);
}

TEST(CommandLine, RandomPlayStartsOnARandomEntryButNeverTheLast) {
  QSet<int> firsts;
  for (int second = 0; second < 40; ++second) {
    TestProgram p({"/random", "/file", "a", "/file", "b", "/file", "c"});
    p.time.SetLocalTime(QTime(9, 0, second, 7 * second));
    PlainProfile(p);
    FirstTick(p);
    firsts << p.Selected();
  }
  EXPECT_EQ(firsts, (QSet<int>{0, 1}));
}

TEST(CommandLine, QuitEndsTheProgramAfterTheListButNeverWithRandomPlay) {
  {
    TestProgram p({"/file", "/m/a.wav", "/file", "/m/b.wav", "/play", "/quit"});
    p.media.AddFile("/m/a.wav", 1000);
    p.media.AddFile("/m/b.wav", 1000);
    PlainProfile(p);
    FirstTick(p);
    EXPECT_TRUE(p.time.AdvanceUntil([&] { return p.forms->Terminated(); }, 10000));
    EXPECT_EQ(p.media.PlayCount(), 2);
  }
  {
    TestProgram p({"/random", "/file", "/m/a.wav", "/file", "/m/b.wav", "/play", "/quit"});
    p.media.AddFile("/m/a.wav", 1000);
    p.media.AddFile("/m/b.wav", 1000);
    PlainProfile(p);
    FirstTick(p);
    p.time.Advance(60000);
    EXPECT_FALSE(p.forms->Terminated());
    EXPECT_GT(p.media.PlayCount(), 10);
  }
}

TEST(CommandLine, MinimizeGoesIntoTheTrayWhenTheSplashEnds) {
  TestProgram p({"/minimize"});
  PlainProfile(p);
  FirstTick(p);
  TMainForm& m = p.Main();
  EXPECT_TRUE(m.windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(m.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(p.Splash().MinimizeAfterSplash);
  EXPECT_FALSE(m.RxTrayIcon1->Active());
  p.time.Advance(3000);
  EXPECT_TRUE(m.RxTrayIcon1->Active());
  EXPECT_FALSE(p.Splash().isVisible());
}

TEST(CommandLine, FileRefusesAPathWithALineBreakByName) {
  TestProgram p({"/file", "/m/a.wav", "/file", "/m/b\nc.wav", "/play"});
  PlainProfile(p);
  p.media.AddFile("/m/a.wav", 1000);
  FirstTick(p);
  EXPECT_EQ(p.Entries(), Entries{"/m/a.wav"});
  EXPECT_EQ(p.dialogs.Errors(),
            QStringList{"\"/m/b\u240Ac.wav\" holds a line break and cannot be a play-list entry."});
  // As with any switch that fails, the rest of the line is not carried out.
  EXPECT_EQ(p.Main().Caption(), "Ostrivo 1.0 - /m/a.wav");
  EXPECT_FALSE(p.Main().Active());
}
