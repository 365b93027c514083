// When the playback clock ticks. Timer1 asks for a tick every millisecond, but a tick changes
// something only when the time of day or the device's position reaches a whole second, when a
// wait ends, when a CD track reaches its end, or after something the tick reads has changed.
// After each tick the clock sleeps until the first of these moments; what the tick reads wakes
// it when it changes. The tick itself (PlaybackClock.cpp) does not know.
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QWindow>
#include <algorithm>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "mixer/AMixer.h"
#include "picture/PictureUnit.h"
#include "player/DevicePosition.h"
#include "player/Entries.h"
#include "player/MediaPlayer.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

namespace {

// Window events that change what the clock's focus step does.
class ClockWakeFilter : public QObject {
 public:
  ClockWakeFilter(TTimer* timer, QObject* parent) : QObject(parent), timer_(timer) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::EnabledChange:  // the Stop button: the Active state
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::WindowActivate:
      case QEvent::WindowDeactivate:
      case QEvent::ActivationChange:
        if (timer_) timer_->Wake();
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QPointer<TTimer> timer_;  // windows go on sending events while the main window is destroyed
};

}  // namespace

std::int64_t TMainForm::ClockNextChange() {
  const std::int64_t now = forms_.services.scheduler.Now();
  // The first tick runs the start-up; a wait (a longer interval) ends on its own beat; the pause
  // after an item and the auto play act on the next tick.
  if (FirstTick || AutoPlay || InPause || Timer1->Interval() != 1) return now;

  // The Clock label: the next second of the time of day.
  std::int64_t next = now + MsToNextSecond(forms_.services.clock.LocalMsOfDay());

  const bool active = Active();
  // The device's answers: the tick reads the same ones, and they say when they run out (the
  // position's next whole second, a CD track's end).
  TDevicePosition& device = *ClockPosition;
  bool asked = false;

  const int index = ListBox1->ItemIndex();
  if (index >= 0) {
    const TEntryKind kind = EntryKind(ListBox1->Items()[index]);
    // A picture or Pause mark current at interval 1: the next tick moves on.
    if (active && (kind == TEntryKind::PauseMark || kind == TEntryKind::Picture)) return now;
    // The position bar and the status line: at once when they do not show the position yet.
    if (active && IsMediaEntry(kind) && MediaPlayer1->IsOpen()) {
      const int32_t seconds = device.Position(StopPosition) / 1000;
      asked = true;
      if (TrackBar1->Position() != seconds ||
          StatusBar1->SimpleText() != PositionText(seconds, device.Length() / 1000))
        return now;
    }
  }

  // A CD track's end.
  if (active && StopPosition != 0) {
    if (device.Position(StopPosition) >= StopPosition) return now;
    asked = true;
  }
  if (asked) next = std::min(next, device.NextAnswer(StopPosition));
  return std::max(next, now);
}

void TMainForm::WatchClockInputs() {
  QPointer<TTimer> timer = Timer1;
  auto wake = [timer] {
    if (timer) timer->Wake();
  };

  // The selection and the entries.
  TStringsModel& items = ListBox1->Items();
  connect(&items, &TStringsModel::ItemIndexChanged, this, wake);
  connect(&items, &QAbstractItemModel::rowsInserted, this, wake);
  connect(&items, &QAbstractItemModel::rowsRemoved, this, wake);
  connect(&items, &QAbstractItemModel::rowsMoved, this, wake);
  connect(&items, &QAbstractItemModel::dataChanged, this, wake);
  connect(&items, &QAbstractItemModel::modelReset, this, wake);
  connect(&items, &QAbstractItemModel::layoutChanged, this, wake);

  // The options the tick reads.
  const TOptionsForm& options = *forms_.OptionsForm;
  connect(options.RandomBox, &QCheckBox::toggled, this, wake);
  connect(options.ContinuousBox, &QCheckBox::toggled, this, wake);
  connect(options.Edit2, &QLineEdit::textChanged, this, wake);

  // The Active state, the focus and the picture window; a modal box moves the focus too.
  auto* filter = new ClockWakeFilter(Timer1, this);
  StopButton->installEventFilter(filter);
  installEventFilter(filter);
  forms_.PictureForm->installEventFilter(filter);
  connect(qApp, &QApplication::focusChanged, this, wake);
  connect(qApp, &QGuiApplication::focusWindowChanged, this, wake);

  // The bars the tick sets: a user's move is overwritten by the next tick.
  for (TTrackBar* bar : {TrackBar1, VolumeBar, WaveVolumeBar, AuxVolumeBar, MicVolumeBar,
                         CDVolumeBar, MidiVolumeBar})
    connect(bar, &QSlider::valueChanged, this, wake);

  // The device, the mixer and the time of day. A command or a notice may move the device: its
  // next answers are asked afresh.
  MediaPlayer1->OnChange = [this, wake] {
    ClockPosition->Forget();
    wake();
  };
  if (Mixer) {
    Mixer->OnLineChange = [wake](QObject*, int32_t, int32_t) { wake(); };
    Mixer->OnControlChange = [wake](QObject*, int32_t, int32_t) { wake(); };
  }
  forms_.services.clock.OnTimeSet = wake;
}

}  // namespace ostrivo
