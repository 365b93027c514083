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
#include <optional>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "mixer/AMixer.h"
#include "picture/PictureUnit.h"
#include "player/Entries.h"
#include "player/MediaPlayer.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

namespace {

constexpr std::int64_t kSecond = 1000;

// Milliseconds until value, counted in milliseconds, reaches its next whole second.
std::int64_t ToNextSecond(std::int64_t ms) {
  return kSecond - ((ms % kSecond) + kSecond) % kSecond;
}

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
  std::int64_t next = now + ToNextSecond(forms_.services.clock.LocalMsOfDay());

  const bool active = Active();
  const bool playing = MediaPlayer1->IsOpen() && MediaPlayer1->Mode() == mpPlaying &&
                       MediaPlayer1->TimeFormat() == kTimeFormatMilliseconds;
  // A playing device's position moves no faster than the clock; it is asked once.
  std::optional<std::int64_t> position;
  auto Position = [&] {
    if (!position) position = MediaPlayer1->Position();
    return *position;
  };

  const int index = ListBox1->ItemIndex();
  if (index >= 0) {
    const TEntryKind kind = EntryKind(ListBox1->Items()[index]);
    // A picture or Pause mark current at interval 1: the next tick moves on.
    if (active && (kind == TEntryKind::PauseMark || kind == TEntryKind::Picture)) return now;
    // The position bar and the status line: at once when they do not show the position yet,
    // else at the next whole second of the position.
    if (active && IsMediaEntry(kind) && MediaPlayer1->IsOpen()) {
      const auto seconds = static_cast<int32_t>(Position() / kSecond);
      if (TrackBar1->Position() != seconds ||
          StatusBar1->SimpleText() != PositionText(seconds, MediaPlayer1->Length() / 1000))
        return now;
      if (playing) next = std::min(next, now + ToNextSecond(Position()));
    }
  }

  // A CD track's end.
  if (active && StopPosition != 0) {
    if (Position() >= StopPosition) return now;
    if (playing) next = std::min(next, now + (StopPosition - Position()));
  }
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

  // The device, the mixer and the time of day.
  MediaPlayer1->OnChange = wake;
  if (Mixer) {
    Mixer->OnLineChange = [wake](QObject*, int32_t, int32_t) { wake(); };
    Mixer->OnControlChange = [wake](QObject*, int32_t, int32_t) { wake(); };
  }
  forms_.services.clock.OnTimeSet = wake;
}

}  // namespace ostrivo
