// The desktop's player controls (MPRIS2) and the media keys, against the whole program over
// virtual time: the program on a private session bus, a client connection of the test's own, and
// every property, method and signal of the two interfaces.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <functional>

#include "framework/AppIdentity.h"
#include "main/DesktopControls.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "picture/PictureUnit.h"
#include "platform/shell/MprisService.h"
#include "settings/OptionsUnit.h"
#include "support/PrivateBus.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::PrivateBus;
using ostrivo::test::TestProgram;

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QString Track(int index) {
  return QStringLiteral("/org/ostrivo/Ostrivo/Track/") + QString::number(index);
}

// A value off the bus as plain Qt values: variants unwrapped, dictionaries and string lists
// read out.
QVariant Plain(const QVariant& v) {
  if (v.userType() == qMetaTypeId<QDBusVariant>()) return Plain(v.value<QDBusVariant>().variant());
  if (v.userType() == qMetaTypeId<QDBusArgument>()) {
    const QDBusArgument arg = v.value<QDBusArgument>();
    if (arg.currentSignature() == QLatin1String("a{sv}")) {
      QVariantMap map = qdbus_cast<QVariantMap>(arg);
      for (QVariant& value : map) value = Plain(value);
      return map;
    }
    if (arg.currentSignature() == QLatin1String("as")) return qdbus_cast<QStringList>(arg);
  }
  if (v.userType() == qMetaTypeId<QDBusObjectPath>()) return v.value<QDBusObjectPath>().path();
  return v;
}

// A key as the keyboard sends it to a window.
void PressKey(QWidget* window, Qt::Key key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(window, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(window, &release);
}

class SignalLog : public QObject {
  Q_OBJECT
 public slots:
  void Received(const QDBusMessage& message) { messages << message; }

 public:
  QList<QDBusMessage> messages;
};

class Mpris : public ::testing::Test {
 protected:
  ~Mpris() override {
    p.forms.reset();
    for (const QString& name : connections_) QDBusConnection::disconnectFromBus(name);
  }

  void SetUp() override {
    if (!PrivateBus::DaemonInstalled()) GTEST_SKIP() << "dbus-daemon is not installed";
    ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon did not start";
    client = Connect();
    ASSERT_TRUE(client.isConnected());
    p.media.AddFile("/m/a.wav", 10000);
    p.media.AddFile("/m/b.wav", 20000);
    p.media.AddFile("/m/c.wav", 4000);
    p.media.AddFailingFile("/m/bad.wav", QStringLiteral("The file cannot be played"));
  }

  QDBusConnection Connect() {
    static int serial = 0;
    const QString name = QStringLiteral("mpris-test-") + QString::number(++serial);
    connections_ << name;
    return QDBusConnection::connectToBus(bus.Address(), name);
  }

  // Creates and starts the program on the private bus; `before` builds what must exist first
  // (a mixer device).
  void Launch(const std::function<void()>& before = {}) {
    if (before) before();
    p.shell.bus = Connect();
    p.Create();
    p.Start();
    service = p.forms->DesktopControls->Service().ServiceName();
    ASSERT_FALSE(service.isEmpty());
    client.connect(service, kPath, kProperties, QStringLiteral("PropertiesChanged"), &log,
                   SLOT(Received(QDBusMessage)));
    client.connect(service, kPath, kPlayer, QStringLiteral("Seeked"), &log,
                   SLOT(Received(QDBusMessage)));
    Sync();
    log.messages.clear();
  }

  // Calls a method and waits for its answer, then for the command it posted.
  QDBusMessage Call(const QString& interface, const QString& method,
                    const QVariantList& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(service, kPath, interface, method);
    m.setArguments(args);
    QDBusPendingCall call = client.asyncCall(m, 10000);
    QElapsedTimer waited;
    waited.start();
    while (!call.isFinished() && waited.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents();
    const QDBusMessage reply = call.reply();
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
  }
  QVariant Get(const QString& interface, const QString& name) {
    return Plain(Call(kProperties, QStringLiteral("Get"), {interface, name}).arguments().value(0));
  }
  QVariant Player(const char* name) { return Get(kPlayer, QLatin1String(name)); }
  QVariantMap Metadata() { return Player("Metadata").toMap(); }
  void Set(const QString& name, const QVariant& value) {
    Call(kProperties, QStringLiteral("Set"),
         {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
  }
  void Command(const char* method, const QVariantList& args = {}) {
    Call(kPlayer, QLatin1String(method), args);
  }
  // Lets every change of the program so far reach the client: a signal sent before an answer
  // arrives before it.
  void Sync() { Player("CanControl"); }

  // The changed properties of each PropertiesChanged since the last look.
  QList<QVariantMap> Changes() {
    Sync();
    QList<QVariantMap> changes;
    for (const QDBusMessage& m : std::as_const(log.messages)) {
      if (m.member() != QLatin1String("PropertiesChanged")) continue;
      EXPECT_EQ(m.arguments().value(0).toString(), kPlayer);
      changes << Plain(m.arguments().value(1)).toMap();
    }
    log.messages.removeIf(
        [](const QDBusMessage& m) { return m.member() == QLatin1String("PropertiesChanged"); });
    return changes;
  }
  // The positions of the Seeked signals since the last look.
  QList<qlonglong> Seeks() {
    Sync();
    QList<qlonglong> seeks;
    for (const QDBusMessage& m : std::as_const(log.messages))
      if (m.member() == QLatin1String("Seeked")) seeks << m.arguments().value(0).toLongLong();
    log.messages.removeIf(
        [](const QDBusMessage& m) { return m.member() == QLatin1String("Seeked"); });
    return seeks;
  }

  void Entries(const QList<QByteArray>& entries, int selected = 0) {
    p.SetEntries(entries);
    p.Main().ListBox1->SetItemIndex(selected);
    Changes();
  }
  QString Status() { return Player("PlaybackStatus").toString(); }

  PrivateBus bus;
  TestProgram p;
  QDBusConnection client{QString()};
  SignalLog log;
  QString service;

 private:
  QStringList connections_;
};

// ---- The service ----

TEST_F(Mpris, OwnsItsNameAndASecondInstanceTakesTheNameWithItsProcessId) {
  Launch();
  QDBusConnectionInterface* daemon = client.interface();
  EXPECT_EQ(service, QStringLiteral("org.mpris.MediaPlayer2.ostrivo"));
  EXPECT_TRUE(daemon->isServiceRegistered(service));

  auto second = std::make_unique<TestProgram>();
  second->shell.bus = Connect();
  second->Create();
  const QString instance = second->forms->DesktopControls->Service().ServiceName();
  EXPECT_EQ(instance, service + QStringLiteral(".instance") +
                          QString::number(QCoreApplication::applicationPid()));
  EXPECT_TRUE(daemon->isServiceRegistered(instance));

  // Each instance lets its name go when it ends.
  second.reset();
  EXPECT_FALSE(daemon->isServiceRegistered(instance));
  EXPECT_TRUE(daemon->isServiceRegistered(service));
  p.forms.reset();
  EXPECT_FALSE(daemon->isServiceRegistered(service));
}

TEST(MprisWithoutBus, NothingIsRegisteredAndNothingReported) {
  TestProgram p;  // its desktop has no bus
  p.media.AddFile("/m/a.wav", 1000);
  p.Create();
  p.Start();
  EXPECT_TRUE(p.forms->DesktopControls->Service().ServiceName().isEmpty());
  p.SetEntries({"/m/a.wav"});
  p.Main().PlayButtonClick(nullptr);
  p.Main().StopButtonClick(nullptr);
  EXPECT_TRUE(p.dialogs.messages.empty());
}

// ---- org.mpris.MediaPlayer2 ----

TEST_F(Mpris, RootInterfaceNamesTheProgramItsDesktopEntryAndWhatItOpens) {
  Launch();
  const QVariantMap all =
      Plain(Call(kProperties, QStringLiteral("GetAll"), {kRoot}).arguments().value(0)).toMap();
  EXPECT_EQ(all.value("Identity").toString(), QStringLiteral("Ostrivo"));
  EXPECT_EQ(all.value("DesktopEntry").toString(), kApplicationId);
  EXPECT_EQ(all.value("CanQuit"), QVariant(true));
  EXPECT_EQ(all.value("CanRaise"), QVariant(true));
  EXPECT_EQ(all.value("HasTrackList"), QVariant(false));
  EXPECT_EQ(Plain(all.value("SupportedUriSchemes")).toStringList(), QStringList{"file"});
  EXPECT_EQ(Plain(all.value("SupportedMimeTypes")).toStringList(), OpenedMimeTypes());
}

TEST_F(Mpris, RaiseBringsTheMainWindowOutOfTheTray) {
  Launch();
  p.Main().show();
  p.Main().ApplicationMinimize(nullptr);
  ASSERT_TRUE(p.Main().RxTrayIcon1->Active());
  ASSERT_FALSE(p.Main().isVisible());
  Call(kRoot, QStringLiteral("Raise"));
  EXPECT_FALSE(p.Main().RxTrayIcon1->Active());
  EXPECT_TRUE(p.Main().isVisible());
  EXPECT_FALSE(p.Main().windowState() & Qt::WindowMinimized);
}

TEST_F(Mpris, QuitClosesAsExitDoesAndTheSettingsAreSaved) {
  Launch();
  Entries({"/m/a.wav"});
  Command("Play");
  Set("LoopStatus", QStringLiteral("Playlist"));
  Call(kRoot, QStringLiteral("Quit"));
  EXPECT_TRUE(p.forms->Terminated());
  EXPECT_FALSE(p.Main().isVisible());
  const auto saved = p.hives.GetValue(Hive::CurrentUser, {"Software", "Ostrivo"},
                                      QStringLiteral("ContinuousBoxChecked"));
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->data, QByteArray("1", 2));
}

// ---- org.mpris.MediaPlayer2.Player: commands and status ----

TEST_F(Mpris, StatusFollowsPlayPauseAndStopWithOneAnnouncementEachAndNoneWhilePlaying) {
  Launch();
  Entries({"/m/a.wav", "/m/b.wav"});
  EXPECT_EQ(Status(), "Stopped");

  Command("Play");
  EXPECT_EQ(Status(), "Playing");
  EXPECT_TRUE(p.media.IsPlaying());
  QList<QVariantMap> c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0].value("PlaybackStatus").toString(), "Playing");
  EXPECT_EQ(c[0].value("CanSeek"), QVariant(true));
  EXPECT_EQ(c[0].value("CanPause"), QVariant(true));

  // Playing on changes nothing the properties show: the clock's ticks announce nothing.
  p.time.Advance(4000);
  EXPECT_TRUE(Changes().isEmpty());

  Command("Pause");
  EXPECT_EQ(Status(), "Paused");
  EXPECT_TRUE(p.media.IsPaused());
  c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0].value("PlaybackStatus").toString(), "Paused");
  EXPECT_EQ(c[0].value("CanSeek"), QVariant(false));

  // Pause does not toggle; Play resumes.
  Command("Pause");
  EXPECT_EQ(Status(), "Paused");
  Command("Play");
  EXPECT_EQ(Status(), "Playing");
  EXPECT_TRUE(p.media.IsPlaying());
  // Play while playing keeps the entry going where it is.
  const int plays = p.media.PlayCount();
  Command("Play");
  EXPECT_EQ(p.media.PlayCount(), plays);

  Command("PlayPause");
  EXPECT_EQ(Status(), "Paused");
  Command("PlayPause");
  EXPECT_EQ(Status(), "Playing");
  Changes();

  Command("Stop");
  EXPECT_EQ(Status(), "Stopped");
  EXPECT_EQ(p.Status(), "Idle");
  c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0].value("PlaybackStatus").toString(), "Stopped");
  Command("PlayPause");
  EXPECT_EQ(Status(), "Playing");

  // The buttons are heard as well.
  Changes();
  p.Main().StopButton->click();
  c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0].value("PlaybackStatus").toString(), "Stopped");
}

TEST_F(Mpris, NextAndPreviousMoveTheSelectionAndTheMetadataFollowsTheCurrentEntry) {
  Launch();
  Entries({"/m/a.wav", "Pause: 5", "/m/b.wav"});
  QVariantMap m = Metadata();
  EXPECT_EQ(m.value("mpris:trackid").toString(), Track(0));
  EXPECT_EQ(m.value("xesam:url").toString(), "file:///m/a.wav");
  EXPECT_EQ(m.value("xesam:title").toString(), "a.wav");
  EXPECT_FALSE(m.contains("mpris:length"));  // nothing is open

  Command("Play");
  EXPECT_EQ(Metadata().value("mpris:length").toLongLong(), 10000000);
  Changes();

  Command("Next");
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_EQ(Status(), "Playing");
  m = Metadata();
  EXPECT_EQ(m.value("mpris:trackid").toString(), Track(1));
  EXPECT_EQ(m.value("xesam:title").toString(), "Pause: 5");
  EXPECT_FALSE(m.contains("xesam:url"));
  EXPECT_FALSE(m.contains("mpris:length"));
  // Stop and play again inside Next: one announcement, of the new entry, no "Stopped" between.
  QList<QVariantMap> c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_FALSE(c[0].contains("PlaybackStatus"));
  EXPECT_EQ(c[0].value("Metadata").toMap().value("mpris:trackid").toString(), Track(1));

  Command("Next");
  EXPECT_EQ(p.Selected(), 2);
  EXPECT_EQ(Metadata().value("mpris:length").toLongLong(), 20000000);
  Command("Previous");
  EXPECT_EQ(p.Selected(), 1);

  // The selection moved by the user, and the list changed under it, are announced as well.
  Changes();
  p.Main().ListBox1->SetItemIndex(0);
  c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0].value("Metadata").toMap().value("mpris:trackid").toString(), Track(0));
  p.Main().ListBox1->Items().Insert(0, "/m/c.wav");
  c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0].value("Metadata").toMap().value("mpris:trackid").toString(), Track(1));
}

TEST_F(Mpris, TheAbilitiesFollowTheListAndTheActiveState) {
  Launch();
  EXPECT_EQ(Player("CanPlay"), QVariant(false));
  EXPECT_EQ(Player("CanGoNext"), QVariant(false));
  EXPECT_EQ(Player("CanGoPrevious"), QVariant(false));
  EXPECT_EQ(Player("CanPause"), QVariant(false));
  EXPECT_EQ(Player("CanSeek"), QVariant(false));
  EXPECT_EQ(Player("CanControl"), QVariant(true));
  EXPECT_EQ(Metadata().value("mpris:trackid").toString(),
            "/org/mpris/MediaPlayer2/TrackList/NoTrack");
  EXPECT_EQ(Player("Rate").toDouble(), 1.0);
  EXPECT_EQ(Player("MinimumRate").toDouble(), 1.0);
  EXPECT_EQ(Player("MaximumRate").toDouble(), 1.0);

  p.SetEntries({"/m/a.wav", "Pause: 5"});
  QList<QVariantMap> c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0].value("CanPlay"), QVariant(true));
  EXPECT_EQ(c[0].value("CanGoNext"), QVariant(true));
  EXPECT_EQ(c[0].value("CanGoPrevious"), QVariant(true));

  // A Pause mark is active but has nothing to seek in.
  p.Main().ListBox1->SetItemIndex(1);
  Command("Play");
  EXPECT_EQ(Player("CanPause"), QVariant(true));
  EXPECT_EQ(Player("CanSeek"), QVariant(false));
}

TEST_F(Mpris, PositionSeekAndSetPositionSeekAsThePositionBarAndAnnounceTheJump) {
  Launch();
  Entries({"/m/a.wav", "/m/b.wav"});
  Command("Play");
  p.time.Advance(2500);
  EXPECT_EQ(Player("Position").toLongLong(), 2500000);
  EXPECT_TRUE(Seeks().isEmpty());

  // The bar counts whole seconds: 2.5 s + 3 s is second 5.
  Command("Seek", {qlonglong{3000000}});
  EXPECT_EQ(Player("Position").toLongLong(), 5000000);
  EXPECT_EQ(Seeks(), QList<qlonglong>{5000000});
  EXPECT_EQ(p.Main().TrackBar1->Position(), 5);
  EXPECT_EQ(Status(), "Playing");

  Command("SetPosition", {QVariant::fromValue(QDBusObjectPath(Track(0))), qlonglong{7000000}});
  EXPECT_EQ(Player("Position").toLongLong(), 7000000);
  EXPECT_EQ(Seeks(), QList<qlonglong>{7000000});

  // A request for another entry, or past the end, is stale and ignored.
  Command("SetPosition", {QVariant::fromValue(QDBusObjectPath(Track(1))), qlonglong{1000000}});
  Command("SetPosition", {QVariant::fromValue(QDBusObjectPath(Track(0))), qlonglong{11000000}});
  EXPECT_TRUE(Seeks().isEmpty());
  EXPECT_EQ(Player("Position").toLongLong(), 7000000);

  // Before the start is the start.
  Command("Seek", {qlonglong{-60000000}});
  EXPECT_EQ(Seeks(), QList<qlonglong>{0});

  // The user's own seek with the bar is announced too.
  p.Main().TrackBar1->setValue(4);
  EXPECT_EQ(Seeks(), QList<qlonglong>{4000000});
  // So are a seek with the Right key (on its release) and Play from mark.
  PressKey(p.Main().Panel1, Qt::Key_Right);
  EXPECT_EQ(Seeks(), QList<qlonglong>{5000000});
  p.Main().MarkButton->click();
  p.time.Advance(1500);
  EXPECT_TRUE(Seeks().isEmpty());
  p.Main().PlayMarkButton->click();
  EXPECT_EQ(Seeks(), QList<qlonglong>{5000000});

  // Paused, there is no seeking.
  Command("Pause");
  const int bar = p.Main().TrackBar1->Position();
  Command("Seek", {qlonglong{1000000}});
  EXPECT_TRUE(Seeks().isEmpty());
  EXPECT_EQ(p.Main().TrackBar1->Position(), bar);
  Command("Play");

  // Past the end is the next entry.
  Command("Seek", {qlonglong{60000000}});
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_EQ(Status(), "Playing");
  EXPECT_EQ(Player("Position").toLongLong(), 0);
}

TEST_F(Mpris, LoopStatusAndShuffleAreTheContinuousAndRandomPlayOptions) {
  Launch();
  TOptionsForm& o = p.Options();
  EXPECT_EQ(Player("LoopStatus").toString(), "None");
  EXPECT_EQ(Player("Shuffle"), QVariant(false));

  Set("LoopStatus", QStringLiteral("Playlist"));
  EXPECT_TRUE(o.ContinuousBox->isChecked());
  EXPECT_EQ(Player("LoopStatus").toString(), "Playlist");
  QList<QVariantMap> c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0], (QVariantMap{{"LoopStatus", "Playlist"}}));

  // Repeating one track is not an option of this player.
  Set("LoopStatus", QStringLiteral("Track"));
  EXPECT_TRUE(o.ContinuousBox->isChecked());
  Set("LoopStatus", QStringLiteral("None"));
  EXPECT_FALSE(o.ContinuousBox->isChecked());

  Set("Shuffle", true);
  EXPECT_TRUE(o.RandomBox->isChecked());
  Changes();
  // Ticked in the dialog, announced on the bus.
  o.RandomBox->setChecked(false);
  c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_EQ(c[0], (QVariantMap{{"Shuffle", false}}));
}

TEST_F(Mpris, VolumeIsTheMasterBarWhereTheMasterLineExists) {
  SimulatedMixerDriver::ControlRef master{};
  Launch([&] {
    const auto dev = p.mixer.AddDevice();
    const auto destination = p.mixer.AddDestination(dev, 2);
    master = p.mixer.AddVolume(destination, 0, {49151, 49151});
  });
  p.time.Advance(1);  // a tick brings the bars in line with the mixer
  Changes();
  EXPECT_DOUBLE_EQ(Player("Volume").toDouble(), 49151.0 / 65535);

  Set("Volume", 0.5);
  EXPECT_EQ(p.Main().VolumeBar->Position(), 65535 - 32768);
  EXPECT_EQ(p.mixer.Values(master), (std::vector<std::uint32_t>{32768, 32768}));
  QList<QVariantMap> c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_DOUBLE_EQ(c[0].value("Volume").toDouble(), 32768.0 / 65535);

  // A change made elsewhere reaches the bar on the next tick, and the bus with it.
  p.mixer.SetValues(master, {65535, 65535});
  p.time.Advance(1);
  c = Changes();
  ASSERT_EQ(c.size(), 1);
  EXPECT_DOUBLE_EQ(c[0].value("Volume").toDouble(), 1.0);
}

TEST_F(Mpris, VolumeWithoutAMasterLineIsSilenceAndCannotBeSet) {
  Launch();  // no mixer device
  p.time.Advance(1);
  EXPECT_EQ(Player("Volume").toDouble(), 0.0);
  const int before = p.Main().VolumeBar->Position();
  Set("Volume", 0.7);
  EXPECT_EQ(p.Main().VolumeBar->Position(), before);
  EXPECT_EQ(Player("Volume").toDouble(), 0.0);
}

TEST_F(Mpris, OpenUriAppendsTheFileSelectsItAndPlaysIt) {
  Launch();
  Entries({"/m/a.wav"});
  Command("Play");
  Command("OpenUri", {QStringLiteral("file:///m/c.wav")});
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"/m/a.wav", "/m/c.wav"}));
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_EQ(Status(), "Playing");
  EXPECT_EQ(Metadata().value("mpris:length").toLongLong(), 4000000);

  // Other schemes are not this player's.
  Command("OpenUri", {QStringLiteral("http://example.org/c.wav")});
  EXPECT_EQ(p.Entries().size(), 2);
}

TEST_F(Mpris, AFailingCommandShowsTheErrorBoxAClickShows) {
  Launch();
  Entries({"/m/bad.wav", "/m/bad.wav"});
  p.Main().PlayButton->click();
  p.Main().StopButton->click();
  p.Main().NextButton->click();
  p.Main().StopButton->click();
  const QStringList byClicks = p.dialogs.Errors();
  ASSERT_EQ(byClicks.size(), 2);

  p.dialogs.messages.clear();
  p.Main().ListBox1->SetItemIndex(0);
  Command("Play");
  Command("Stop");
  Command("Next");
  Command("Stop");
  EXPECT_EQ(p.dialogs.Errors(), byClicks);
  // The call itself succeeded: the error is the user's to see, not the caller's.
}

// ---- Media keys ----

TEST_F(Mpris, MediaKeysInTheMainAndPictureWindowsActAsTheButtons) {
  Launch();
  Entries({"/m/a.wav", "/m/b.wav"});
  QWidget* main = p.Main().Panel1;
  PressKey(main, Qt::Key_MediaPlay);
  EXPECT_EQ(Status(), "Playing");
  // The play/pause key of most keyboards arrives as "play" and toggles.
  PressKey(main, Qt::Key_MediaPlay);
  EXPECT_EQ(Status(), "Paused");
  PressKey(main, Qt::Key_MediaPause);
  EXPECT_EQ(Status(), "Paused");
  PressKey(main, Qt::Key_MediaTogglePlayPause);
  EXPECT_EQ(Status(), "Playing");
  PressKey(main, Qt::Key_MediaPause);
  EXPECT_EQ(Status(), "Paused");
  PressKey(main, Qt::Key_MediaTogglePlayPause);

  PressKey(&p.Picture(), Qt::Key_MediaNext);
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_EQ(Status(), "Playing");
  PressKey(&p.Picture(), Qt::Key_MediaPrevious);
  EXPECT_EQ(p.Selected(), 0);
  PressKey(&p.Picture(), Qt::Key_MediaStop);
  EXPECT_EQ(Status(), "Stopped");
  // Stop while stopped is a disabled button.
  PressKey(main, Qt::Key_MediaStop);
  EXPECT_EQ(Status(), "Stopped");
  EXPECT_TRUE(p.dialogs.messages.empty());
}

}  // namespace

#include "DesktopControlsTest.moc"
