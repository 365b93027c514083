// The tray icon, the help command and the close: moving into the notification area and back,
// the hint, the help file's path, and the order of work when the main window closes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "app/Forms.h"
#include "app/SplashUnit.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "mixer/AMixer.h"
#include "settings/OptionsUnit.h"
#include "support/RefusingHives.h"
#include "support/TempDir.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::RefusingHives;
using ostrivo::test::TempDir;
using ostrivo::test::TestProgram;

namespace {

// A profile started before: no first-start questions.
void NotTheFirstStart(TestProgram& p) {
  p.hives.CreateKey(Hive::ClassesRoot, {"Ostrivo.osp", "shell", "Open", "command"});
}

// A card whose playback mix has a master volume, for the volume bars to follow.
void AddCard(TestProgram& p) {
  const auto dev = p.mixer.AddDevice();
  const auto master = p.mixer.AddDestination(dev, 2);
  p.mixer.AddVolume(master, 0, {30000, 30000});
  p.mixer.AddMute(master);
}

QStringList StoredSettingNames(TestProgram& p) {
  return p.hives.ValueNames(Hive::CurrentUser, {"Software", "Ostrivo"});
}

// The user's minimise button.
void MinimiseButton(TMainForm& m) {
  m.setWindowState(m.windowState() | Qt::WindowMinimized);
}

}  // namespace

TEST(TrayIcon, ShowsItsHintCutTo63CharactersAndFollowsChangesWhileShown) {
  RecordingShell shell;
  QObject owner;
  TRxTrayIcon icon(shell, &owner);
  EXPECT_FALSE(icon.Active());
  EXPECT_EQ(icon.SystemIcon(), nullptr);
  // Our own 32 x 32 artwork.
  EXPECT_EQ(icon.Icon().pixmap(32, 32).size(), QSize(32, 32));
  EXPECT_FALSE(icon.Icon().pixmap(32, 32).toImage().pixelColor(16, 16) == QColor(0, 0, 0, 0));

  const QString longHint = "Playing /home/someone/music/a very long folder name/track 01.wav";
  ASSERT_GT(longHint.size(), 63);
  icon.SetHint(longHint);
  icon.SetActive(true);
  ASSERT_NE(icon.SystemIcon(), nullptr);
  EXPECT_EQ(icon.SystemIcon()->toolTip(), longHint.left(63));
  EXPECT_EQ(icon.Hint(), longHint);
  icon.SetHint("Idle");
  EXPECT_EQ(icon.SystemIcon()->toolTip(), "Idle");
  icon.SetActive(false);
  EXPECT_EQ(icon.SystemIcon(), nullptr);
  // A hint set while hidden is used when the icon is next shown.
  icon.SetHint("Showing /p/x.jpg");
  icon.SetActive(true);
  EXPECT_EQ(icon.SystemIcon()->toolTip(), "Showing /p/x.jpg");
}

TEST(TrayIcon, OnlyALeftClickIsAClickAndTheMenuIsTheTrayPopup) {
  RecordingShell shell;
  QMenu menu;
  TRxTrayIcon icon(shell, nullptr);
  icon.SetPopupMenu(&menu);
  int clicks = 0;
  icon.OnClick = [&](QObject* sender) {
    EXPECT_EQ(sender, &icon);
    ++clicks;
  };
  icon.SetActive(true);
  EXPECT_EQ(icon.SystemIcon()->contextMenu(), &menu);
  icon.Activated(QSystemTrayIcon::Context);
  icon.Activated(QSystemTrayIcon::MiddleClick);
  EXPECT_EQ(clicks, 0);
  // A double click is the click before it and nothing more.
  icon.Activated(QSystemTrayIcon::Trigger);
  icon.Activated(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(clicks, 1);
}

TEST(TrayIcon, WithoutANotificationAreaStaysActiveWithoutASystemIcon) {
  RecordingShell shell;
  shell.trayAvailable = false;
  TRxTrayIcon icon(shell, nullptr);
  icon.SetActive(true);
  EXPECT_TRUE(icon.Active());
  EXPECT_EQ(icon.SystemIcon(), nullptr);
}

TEST(Tray, MinimisingMovesIntoTheTrayAndAClickBringsTheWindowBack) {
  TestProgram p;
  NotTheFirstStart(p);
  p.Create();
  p.Start();
  TMainForm& m = p.Main();
  m.show();
  ASSERT_TRUE(p.Splash().Timer1->Enabled());

  MinimiseButton(m);
  EXPECT_TRUE(m.RxTrayIcon1->Active());
  ASSERT_NE(m.RxTrayIcon1->SystemIcon(), nullptr);
  EXPECT_EQ(m.RxTrayIcon1->SystemIcon()->contextMenu(), m.TrayPopup);
  EXPECT_FALSE(m.isVisible());
  EXPECT_TRUE(m.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(m.windowState() & Qt::WindowMinimized);
  // Minimising within the first seconds ended the splash.
  EXPECT_FALSE(p.Splash().Timer1->Enabled());
  EXPECT_FALSE(p.Splash().isVisible());
  EXPECT_FALSE(p.Splash().isEnabled());

  m.RxTrayIcon1->Activated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(m.RxTrayIcon1->Active());
  EXPECT_TRUE(m.isVisible());
  EXPECT_FALSE(m.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(m.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), Qt::WindowNoState);
  EXPECT_FALSE(m.Application().Minimized());

  // And again: the way into the tray works every time.
  MinimiseButton(m);
  EXPECT_TRUE(m.RxTrayIcon1->Active());
  EXPECT_FALSE(m.isVisible());
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST(Tray, WithoutANotificationAreaMinimisingKeepsAWindowTheUserCanGetBack) {
  TestProgram p;
  p.shell.trayAvailable = false;
  NotTheFirstStart(p);
  p.Create();
  p.Start();
  TMainForm& m = p.Main();
  m.show();
  for (int round = 0; round < 2; ++round) {
    MinimiseButton(m);
    EXPECT_FALSE(m.RxTrayIcon1->Active());
    // Still a window with its border and task-bar button, minimised.
    EXPECT_TRUE(m.isVisible());
    EXPECT_FALSE(m.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(m.windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(m.Application().Minimized());
    EXPECT_FALSE(p.Splash().isVisible());
    m.setWindowState(Qt::WindowNoState);  // the task-bar button brings it back
  }
}

TEST(Tray, TheHintFollowsPlaybackWhileInTheTray) {
  TestProgram p;
  NotTheFirstStart(p);
  const QByteArray longPath =
      "/home/someone/music/a folder with a rather long name/and another one/song.wav";
  p.media.AddFile(longPath, 2000);
  p.Create();
  p.Start();
  TMainForm& m = p.Main();
  m.show();
  p.SetEntries({longPath});
  MinimiseButton(m);
  m.PopupPlay->trigger();
  p.time.Advance(10);
  ASSERT_TRUE(m.Active());
  EXPECT_TRUE(m.RxTrayIcon1->Hint().startsWith("Playing " + QString::fromUtf8(longPath)));
  EXPECT_EQ(m.RxTrayIcon1->SystemIcon()->toolTip(), m.RxTrayIcon1->Hint().left(63));
  m.PopupStop->trigger();
  EXPECT_EQ(m.RxTrayIcon1->SystemIcon()->toolTip(), "Idle");
}

TEST(Help, OpensTheManualBesideTheProgram) {
  {
    TestProgram p({}, "/opt/ostrivo 1.0/bin/ostrivo");
    p.Create();
    p.Main().Help1->trigger();
    EXPECT_EQ(p.shell.opened, QStringList{"/opt/ostrivo 1.0/bin/help/index.htm"});
    EXPECT_TRUE(p.dialogs.messages.empty());
  }
  {
    // In the root the folder keeps its separator.
    TestProgram p({}, "/ostrivo");
    p.Create();
    p.Main().Help1->trigger();
    EXPECT_EQ(p.shell.opened, QStringList{"//help/index.htm"});
  }
}

TEST(Help, AnInstalledProgramOpensTheManualInItsDataFolder) {
  TempDir root;
  QDir().mkpath(root.Path() + "/usr/bin");
  QDir().mkpath(root.Path() + "/usr/share/ostrivo/help");
  QFile(root.Path() + "/usr/share/ostrivo/help/index.htm").open(QIODevice::WriteOnly);
  TestProgram p({}, root.Path() + "/usr/bin/ostrivo");
  p.Create();
  p.Main().Help1->trigger();
  EXPECT_EQ(p.shell.opened,
            QStringList{
                QFileInfo(root.Path() + "/usr/share/ostrivo/help/index.htm").canonicalFilePath()});
  EXPECT_TRUE(p.dialogs.messages.empty());

  // A build tree's own copy beside the program comes first.
  QDir().mkpath(root.Path() + "/usr/bin/help");
  QFile(root.Path() + "/usr/bin/help/index.htm").open(QIODevice::WriteOnly);
  p.shell.opened.clear();
  p.Main().Help1->trigger();
  EXPECT_EQ(p.shell.opened, QStringList{root.Path() + "/usr/bin/help/index.htm"});
}

TEST(Help, ADesktopWithoutAProgramForWebPagesIsToldSoOnce) {
  TestProgram p({}, "/opt/ostrivo/ostrivo");
  p.shell.hasHandler = false;
  p.Create();
  p.Main().Help1->trigger();
  ASSERT_EQ(p.dialogs.messages.size(), 1u);
  EXPECT_TRUE(p.dialogs.messages[0].text.contains("no program on this desktop opens web pages"))
      << p.dialogs.messages[0].text.toStdString();
  EXPECT_TRUE(p.dialogs.messages[0].text.contains("/opt/ostrivo/help/index.htm"));
}

TEST(Closing, EveryWayReleasesTheMixerAndWritesTheSettings) {
  for (int way = 0; way < 3; ++way) {
    TestProgram p;
    NotTheFirstStart(p);
    AddCard(p);
    p.Create();
    p.Start();
    TMainForm& m = p.Main();
    p.hives.DeleteKey(Hive::CurrentUser, {"Software", "Ostrivo"});
    p.hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"});
    p.Options().FitBox->setChecked(true);
    if (way == 0) m.Exit1->trigger();
    if (way == 1) m.PopupExit->trigger();
    if (way == 2) m.close();  // the window's own close button
    EXPECT_TRUE(p.forms->Terminated()) << way;
    EXPECT_EQ(m.Mixer, nullptr) << way;
    EXPECT_EQ(p.mixer.OpenDeviceCount(), 0u) << way;
    EXPECT_EQ(StoredSettingNames(p).size(), 14) << way;
    EXPECT_EQ(p.hives.GetValue(Hive::CurrentUser, {"Software", "Ostrivo"}, "FitBoxChecked"),
              RegistryValue::String("1"))
        << way;
    EXPECT_TRUE(p.dialogs.messages.empty()) << way;
  }
}

TEST(Closing, ASaveThatFailsIsReportedAndTheProgramStillCloses) {
  TestProgram p;
  RefusingHives hives(p.hives);
  p.forms = std::make_unique<Forms>(Services{
      p.time, p.time, p.dialogs, p.media, p.mixer, hives, p.shell, {}, "/opt/ostrivo/ostrivo"});
  NotTheFirstStart(p);
  AddCard(p);
  p.Create();
  p.Start();
  hives.refuseValuesIn = Hive::CurrentUser;
  p.Main().Exit1->trigger();
  EXPECT_TRUE(p.forms->Terminated());
  EXPECT_EQ(p.Main().Mixer, nullptr);
  EXPECT_EQ(p.dialogs.Errors().size(), 1);
}

TEST(Closing, SettingsAreWrittenBeforePlaybackStops) {
  TestProgram p;
  NotTheFirstStart(p);
  p.media.AddFile("/m/a.wav", 5000);
  p.Create();
  p.Start();
  TMainForm& m = p.Main();
  p.SetEntries({"/m/a.wav"});
  m.PlayButtonClick(m.PlayButton);
  p.time.Advance(100);
  ASSERT_TRUE(p.media.IsPlaying());
  p.hives.DeleteKey(Hive::CurrentUser, {"Software", "Ostrivo"});
  p.hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"});

  m.Exit1->trigger();
  // The close query has written the settings; the entry still plays until the window goes.
  EXPECT_EQ(StoredSettingNames(p).size(), 14);
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_TRUE(m.Active());
  p.forms.reset();
  EXPECT_FALSE(p.media.IsPlaying());
}

TEST(Closing, NoMixerUseAfterACloseInsideATick) {
  // A Quit mark reached by the first tick's Play closes inside that tick, whose last step is
  // the volume refresh.
  TestProgram p({"/file", "Quit", "/play"});
  NotTheFirstStart(p);
  AddCard(p);
  p.Create();
  p.time.Advance(1);
  ASSERT_TRUE(p.forms->Terminated());
  EXPECT_EQ(p.Main().Mixer, nullptr);
  const auto calls = p.mixer.calls.Total();
  p.time.Advance(500);
  EXPECT_EQ(p.mixer.calls.Total(), calls);
}

TEST(Closing, NoMixerUseAfterTheQuitAtTheEndOfTheList) {
  TestProgram p({"/file", "/m/a.wav", "/play", "/quit"});
  NotTheFirstStart(p);
  p.hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"});
  for (const char* name : {"RandomBoxChecked", "ContinuousBoxChecked", "Pause"})
    p.hives.SetValue(Hive::CurrentUser, {"Software", "Ostrivo"}, name, RegistryValue::String("0"));
  AddCard(p);
  p.media.AddFile("/m/a.wav", 3000);
  p.Create();
  p.time.Advance(100);
  ASSERT_FALSE(p.forms->Terminated());
  // While playing, every tick follows the mixer (the clock ticks at least each second).
  auto calls = p.mixer.calls.Total();
  p.time.Advance(1000);
  EXPECT_GT(p.mixer.calls.Total(), calls);
  ASSERT_TRUE(p.time.AdvanceUntil([&] { return p.forms->Terminated(); }, 5000));
  calls = p.mixer.calls.Total();
  p.time.Advance(500);
  EXPECT_EQ(p.mixer.calls.Total(), calls);
}

TEST(Closing, AWindowThatStaysAfterTheCloseQueryNoLongerUsesTheMixer) {
  // The close query of a shutdown that is called off: the program runs on without its mixer.
  TestProgram p;
  NotTheFirstStart(p);
  AddCard(p);
  p.Create();
  p.Start();
  TMainForm& m = p.Main();
  bool canClose = false;
  m.FormCloseQuery(&m, canClose);
  EXPECT_TRUE(canClose);
  EXPECT_FALSE(p.forms->Terminated());
  const auto calls = p.mixer.calls.Total();
  p.time.Advance(500);
  m.VolumeBar->setValue(1000);
  m.WaveVolumeBar->setValue(2000);
  p.time.Advance(500);
  EXPECT_EQ(p.mixer.calls.Total(), calls);
  EXPECT_TRUE(p.dialogs.messages.empty());
}
