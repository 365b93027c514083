// The sleeping clock against the clock that ticks every 10 ms: each scenario is played twice in
// virtual time, once on the reference driver (every beat ticks) and once on the sleeping one,
// with the same user actions at the same moments. What the user sees and hears (the texts, the
// bars, the selection, the windows, the device's commands, the message boxes, the program's
// end) is sampled every millisecond; both traces must hold the same changes, each within 10 ms
// of the other. The sleeping run must also wake far less often.
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <map>
#include <vector>

#include "PlayerFixture.h"
#include "mixer/AMixer.h"

namespace ostrivo::test {
namespace {

constexpr std::int64_t kTolerance = 10;
constexpr int kPeriod = 10;  // the real scheduler's shortest period

using Line = SimulatedMixerDriver::LineRef;
using Control = SimulatedMixerDriver::ControlRef;

// One change the user could notice: when, what, and what it shows now.
struct Change {
  std::int64_t at;
  QString value;
};
using Trace = std::map<QString, std::vector<Change>>;

// One run of a scenario on one driver.
class Session {
 public:
  Session(bool sleeping, const QStringList& arguments, TempDir& files)
      : p(arguments), files_(files) {
    p.time.SetMinimumPeriod(kPeriod);
    p.time.SetTimersMaySleep(sleeping);
  }

  // From now on a box stays open 700 ms, and the clock goes on ticking under it.
  void KeepBoxesOpen() {
    p.dialogs.whileMessageShown = [this](const ShownMessage&) { Until(p.time.Now() + 700); };
  }

  // A mixer device of a master and five sources, built before the windows.
  void AddMixer() {
    const auto dev = p.mixer.AddDevice();
    const Line master = p.mixer.AddDestination(dev, 2);
    volumes.push_back(p.mixer.AddVolume(master, 0, {60000, 60000}));
    for (std::uint32_t s = 0; s < 5; ++s)
      volumes.push_back(p.mixer.AddVolume(p.mixer.AddSource(master, 2), 0, {9000 * (s + 1), 0}));
  }
  void Create() {
    p.Create();
    Snap();
  }
  // The first tick (the start-up) and the options back to their design values.
  void Start() {
    Until(kPeriod);
    p.dialogs.messages.clear();
    p.ResetOptions();
    KeepBoxesOpen();
    Snap();
  }

  TMainForm& M() { return p.Main(); }
  TOptionsForm& O() { return p.Options(); }

  // Advances millisecond by millisecond to when, noting every change.
  void Until(std::int64_t when) {
    while (p.time.Now() < when) {
      p.time.Advance(1);
      QCoreApplication::sendPostedEvents();  // mixer notices arrive as events
      Snap();
    }
  }
  // A user's action, through the application's guard like every command.
  void Do(void (TMainForm::*handler)(QObject*)) {
    p.forms->Application.Guard([&] { (M().*handler)(nullptr); });
    Acted();
  }
  void Select(int index) {
    M().ListBox1->SetItemIndex(index);
    Acted();
  }
  void Acted() {
    QCoreApplication::sendPostedEvents();
    Snap();
  }

  QByteArray Media(const char* name, std::int64_t lengthMs) {
    const QByteArray path = QByteArray("/m/") + name;
    p.media.AddFile(path, lengthMs);
    return path;
  }
  QByteArray Picture(const char* name) {
    const QString path = files_.File(QString::fromLatin1(name));
    if (!QFile::exists(path)) {
      QImage image(40, 30, QImage::Format_RGB32);
      image.fill(qRgb(20, 90, 160));
      image.save(path, "BMP");
    }
    return path.toLocal8Bit();
  }

  TestProgram p;
  std::vector<Control> volumes;
  Trace trace;

 private:
  void Note(const QString& what, const QString& value) {
    auto& changes = trace[what];
    if (changes.empty() || changes.back().value != value) changes.push_back({p.time.Now(), value});
  }
  void Snap() {
    if (!p.forms || !p.forms->MainForm) return;
    TMainForm& m = M();
    const TPictureForm& pic = p.Picture();
    Note("clock", m.Clock->text());
    Note("status", m.StatusBar1->SimpleText());
    Note("hint", p.TrayHint());
    Note("position bar",
         QStringLiteral("%1 of %2").arg(m.TrackBar1->Position()).arg(m.TrackBar1->Max()));
    QString bars;
    for (const TTrackBar* bar : {m.VolumeBar, m.WaveVolumeBar, m.AuxVolumeBar, m.MicVolumeBar,
                                 m.CDVolumeBar, m.MidiVolumeBar})
      bars += QStringLiteral("%1%2 ").arg(bar->Position()).arg(bar->isEnabled() ? "" : "x");
    Note("volume bars", bars);
    Note("selection", QString::number(p.Selected()));
    Note("active", m.Active() ? "on" : "off");
    Note("main window", m.isVisible() ? "shown" : "hidden");
    Note("picture window", pic.isVisible() ? "shown " + pic.windowTitle() : "hidden");
    Note("picture scroll",
         QStringLiteral("%1,%2").arg(pic.HorzScrollPosition()).arg(pic.VertScrollPosition()));
    const QWidget* focus = QApplication::focusWidget();
    Note("focus", focus ? focus->objectName() + "/" + focus->metaObject()->className() : "none");
    Note("device", QStringLiteral("opened %1 closed %2 played %3 seeks %4 %5 %6")
                       .arg(p.media.OpenCount())
                       .arg(p.media.CloseCount())
                       .arg(p.media.PlayCount())
                       .arg(p.media.SeekCount())
                       .arg(p.media.IsPlaying()  ? "playing"
                            : p.media.IsPaused() ? "paused"
                                                 : "silent")
                       .arg(QString::fromLocal8Bit(p.media.OpenPath())));
    Note("message boxes",
         QString::number(p.dialogs.messages.size()) +
             (p.dialogs.messages.empty() ? QString() : " " + p.dialogs.messages.back().text));
    Note("program", p.forms->Terminated() ? "ended" : "running");
  }

  TempDir& files_;
};

class Equivalence : public ::testing::Test {
 protected:
  // Plays the scenario on both drivers and compares what the user saw.
  void Check(const std::function<void(Session&)>& scenario, const QStringList& arguments = {}) {
    Session reference(false, arguments, files);
    scenario(reference);
    Session sleeping(true, arguments, files);
    scenario(sleeping);
    Compare(reference.trace, sleeping.trace);
    if (std::getenv("OSTRIVO_DUMP_TRACE"))
      for (const auto& [what, changes] : reference.trace)
        for (const Change& c : changes)
          std::printf("%6lld %s: %s\n", static_cast<long long>(c.at), qPrintable(what),
                      qPrintable(c.value));
    wakeups = {reference.p.time.FiredCount(), sleeping.p.time.FiredCount()};
    queries = {reference.p.media.PositionQueryCount(), sleeping.p.media.PositionQueryCount()};
    if (std::getenv("OSTRIVO_DUMP_TRACE"))
      std::printf("wake-ups %llu / %llu, position queries %d / %d\n",
                  static_cast<unsigned long long>(wakeups.first),
                  static_cast<unsigned long long>(wakeups.second), queries.first, queries.second);
    // Sleeping must actually pay: far fewer wake-ups than one every 10 ms.
    EXPECT_LT(sleeping.p.time.FiredCount() * 4, reference.p.time.FiredCount());
  }

  static void Compare(const Trace& want, const Trace& got) {
    for (const auto& [what, changes] : want) {
      SCOPED_TRACE(what.toStdString());
      const auto it = got.find(what);
      ASSERT_NE(it, got.end());
      const auto& other = it->second;
      const std::size_t n = std::min(changes.size(), other.size());
      for (std::size_t i = 0; i < n; ++i) {
        ASSERT_EQ(changes[i].value, other[i].value)
            << "change " << i << " at " << changes[i].at << " (sleeping: " << other[i].at << ")";
        ASSERT_LE(std::abs(changes[i].at - other[i].at), kTolerance)
            << "change " << i << " to " << changes[i].value.toStdString();
      }
      ASSERT_EQ(changes.size(), other.size())
          << "the first extra change: "
          << (changes.size() > n ? changes[n].value : other[n].value).toStdString();
    }
    EXPECT_EQ(want.size(), got.size());
  }

  TempDir files;
  std::pair<std::uint64_t, std::uint64_t> wakeups;
  std::pair<int, int> queries;  // the device's position asked, reference and sleeping
};

// Media files, pictures, Pause, Stop and Quit marks and a CD track, pause option off and on.
TEST_F(Equivalence, AMixedListWithAndWithoutThePauseAfterEachItem) {
  for (const char* pause : {"0", "2"}) {
    SCOPED_TRACE(pause);
    Check([&](Session& r) {
      r.p.media.SetCD({3000, 4300, 2000});
      const QByteArray a = r.Media("a.wav", 2500), b = r.Media("b.wav", 1700),
                       c = r.Media("c.wav", 1200), pic = r.Picture("p.bmp");
      r.Create();
      r.Start();
      r.O().Edit1->setText("2");
      r.O().Edit2->setText(pause);
      r.p.SetEntries({a, pic, "Pause: 2", "/cdrom/Track02.cda", b, "Stop", c, "Quit"});
      r.Until(1234);
      r.Do(&TMainForm::PlayButtonClick);
      r.Until(30000);
      EXPECT_FALSE(r.M().Active());
      EXPECT_EQ(r.p.Selected(), 5);  // the Stop mark ended the run
      r.Select(6);
      r.Do(&TMainForm::PlayButtonClick);
      r.Until(40000);
      EXPECT_TRUE(r.p.forms->Terminated());  // the Quit mark
    });
  }
}

// The reference asks the device on every tick; the sleeping clock once a second of playback,
// after the start, a seek and each command, and at the CD track's end, showing the same.
TEST_F(Equivalence, TheDevicesPositionIsAskedOnlyWhenWhatItShowsCanChange) {
  Check([&](Session& r) {
    r.p.media.SetCD({3000, 4300, 2000});
    const QByteArray a = r.Media("a.wav", 20500);
    r.Create();
    r.Start();
    r.p.SetEntries({a, "/cdrom/Track02.cda"});
    r.Until(250);
    r.Do(&TMainForm::PlayButtonClick);
    r.Until(7404);
    r.M().TrackBar1->setValue(15);  // the user drags the bar: a seek to 15 s
    r.Acted();
    r.Until(9100);
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(10000);
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(25000);  // a ends, then track 2 plays to its end
    EXPECT_FALSE(r.M().Active());
  });
  // About 17 s of playback: 7 s, 5.5 s after the seek, 4.3 s of the CD track.
  EXPECT_GT(queries.first, 3000);
  EXPECT_LE(queries.second, 17 + 8);
}

TEST_F(Equivalence, RandomAndContinuousPlay) {
  Check([&](Session& r) {
    r.p.media.SetCD({2500, 3100});
    const QByteArray a = r.Media("a.wav", 1300), b = r.Media("b.wav", 2100),
                     pic = r.Picture("p.bmp");
    r.Create();
    r.Start();
    r.O().Edit1->setText("1");
    r.O().Edit2->setText("1");
    r.O().RandomBox->setChecked(true);
    r.p.SetEntries({a, pic, "Pause: 1", "/cdrom/Track01.cda", b, "/cdrom/Track02.cda"});
    r.Until(517);
    r.Do(&TMainForm::PlayButtonClick);
    r.Until(25000);
    r.O().RandomBox->setChecked(false);
    r.O().ContinuousBox->setChecked(true);
    r.O().Edit2->setText("0");
    r.Until(50000);
    EXPECT_TRUE(r.M().Active());
    r.Do(&TMainForm::StopButtonClick);
    r.Until(52000);
  });
}

// Pause and Stop while media plays, during a picture, a Pause mark and the pause after an item.
TEST_F(Equivalence, PauseAndStopDuringEachKindOfWait) {
  Check([&](Session& r) {
    const QByteArray a = r.Media("a.wav", 1500), b = r.Media("b.wav", 2000),
                     pic = r.Picture("p.bmp");
    r.Create();
    r.Start();
    r.O().Edit1->setText("3");
    r.O().Edit2->setText("3");
    r.p.SetEntries({a, pic, "Pause: 4", b, pic});
    r.Until(300);
    r.Do(&TMainForm::PlayButtonClick);
    r.Until(1000);  // media plays
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(2333);
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(3000);  // the pause after a (1333 ms of a left)
    r.Until(3500);
    EXPECT_TRUE(r.M().InPause);
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(4100);
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(8000);  // the picture
    EXPECT_TRUE(r.p.Picture().isVisible());
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(9200);
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(14500);  // the pause after the picture, then the Pause mark
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(15100);
    r.Do(&TMainForm::PauseButtonClick);
    r.Until(17000);
    r.Do(&TMainForm::StopButtonClick);  // during the Pause mark
    r.Until(18000);
    r.Select(3);
    r.Do(&TMainForm::PlayButtonClick);
    r.Until(21000);  // b ended at 20000: the pause after it
    EXPECT_TRUE(r.M().InPause);
    r.Do(&TMainForm::StopButtonClick);  // the next tick moves the selection on, plays nothing
    r.Until(22000);
    r.Do(&TMainForm::PlayButtonClick);  // the picture at the end
    r.Until(22800);
    r.Do(&TMainForm::StopButtonClick);
    r.Until(25000);
  });
}

TEST_F(Equivalence, ASelectionChangeAndOptionChangesWhilePlaying) {
  Check([&](Session& r) {
    const QByteArray a = r.Media("a.wav", 10000), b = r.Media("b.wav", 3000),
                     c = r.Media("c.wav", 2600), pic = r.Picture("p.bmp");
    r.Create();
    r.Start();
    r.O().Edit1->setText("2");
    r.p.SetEntries({a, pic, b, c, "Pause: 1"});
    r.Until(100);
    r.Do(&TMainForm::PlayButtonClick);
    r.Until(2345);
    r.Select(1);  // the picture line: ends a, moves on
    r.Until(3100);
    r.O().Edit2->setText("2");  // b ends into a pause of 2 s
    r.Until(4000);
    r.Select(3);  // a media line: its position is shown with b's device
    r.Until(5600);
    r.O().Edit2->setText("x");  // not a number: no pause
    r.O().ContinuousBox->setChecked(true);
    r.Until(9000);
    r.Select(2);
    r.Until(9500);
    r.Do(&TMainForm::NextButtonClick);
    r.Until(12000);
    r.Do(&TMainForm::StopButtonClick);
    r.Until(13000);
  });
}

TEST_F(Equivalence, AMixerChangeFromOutsideAndABarMovedByTheUser) {
  Check([&](Session& r) {
    const QByteArray a = r.Media("a.wav", 8000);
    r.AddMixer();
    r.Create();
    r.Start();
    r.Until(1500);
    r.p.mixer.SetValues(r.volumes[0], {30000, 30000});  // idle
    r.Until(2500);
    r.p.SetEntries({a});
    r.Do(&TMainForm::PlayButtonClick);
    r.Until(3777);
    r.p.mixer.SetValues(r.volumes[2], {12345, 12345});  // playing
    r.Until(4300);
    r.M().WaveVolumeBar->setValue(20000);  // as the user drags it
    r.Acted();
    r.Until(5000);
    r.M().MidiVolumeBar->setValue(100);
    r.Acted();
    r.Until(6000);
  });
}

TEST_F(Equivalence, AnErrorBoxOpenedInsideATick) {
  Check([&](Session& r) {
    const QByteArray a = r.Media("a.wav", 1500), pic = r.Picture("p.bmp");
    r.p.media.AddFailingFile("/m/bad.wav", "The file is damaged");
    r.p.media.AddFileFailingInPlay("/m/cut.wav", 3000, 1200);
    r.Create();
    r.Start();
    r.O().Edit1->setText("1");
    r.p.SetEntries({pic, "/m/bad.wav", a, "/m/cut.wav", a});
    r.Until(400);
    r.Do(&TMainForm::PlayButtonClick);
    r.Until(3000);  // the picture's end plays bad.wav inside a tick: its box is open 700 ms
    EXPECT_EQ(r.p.dialogs.Errors().size(), 1);
    r.Select(2);
    r.Do(&TMainForm::PlayButtonClick);
    r.Until(8000);
    r.Do(&TMainForm::StopButtonClick);
    r.Until(9000);
  });
}

TEST_F(Equivalence, TheFirstTickWithSwitches) {
  Check(
      [&](Session& r) {
        r.Media("a.wav", 2200);
        r.Media("b.wav", 1100);
        // Settings that play the list once, in order, without pauses.
        QFile settings(r.p.config.Path() + "/HKEY_CURRENT_USER.reg");
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Ostrivo]\n"
            "\"RandomBoxChecked\"=\"0\"\n\"ContinuousBoxChecked\"=\"0\"\n\"Pause\"=\"0\"\n\n");
        settings.close();
        r.KeepBoxesOpen();  // the first start's questions, with the clock ticking under them
        r.Create();
        r.Until(12000);  // the start-up plays the list and quits at its end
        EXPECT_TRUE(r.p.forms->Terminated());
      },
      {"/file", "/m/a.wav", "/file", "/m/b.wav", "/play", "/quit"});
}

TEST_F(Equivalence, IdleWithAnEmptyListWakesOnceASecond) {
  Check([&](Session& r) {
    r.Create();
    r.Start();
    r.Until(60000);
  });
  EXPECT_GE(wakeups.first, 5900u);
  EXPECT_LE(wakeups.second, 60u + 5);  // once a second, the start and the options set back
}

}  // namespace
}  // namespace ostrivo::test
