// The playback clock: Timer1's handler. It keeps the time of day, the status line and the
// position bar current, ends waits, pictures and CD tracks, and moves the play list on.
#include <QApplication>
#include <QCheckBox>
#include <QLocale>
#include <limits>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "player/DevicePosition.h"
#include "player/Entries.h"
#include "player/MediaPlayer.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

namespace {

// The system's long time format, without the time-zone name some locales add to it.
QString LongTimeFormat() {
  QString format = QLocale::system().timeFormat(QLocale::LongFormat);
  format.remove(QLatin1Char('t'));
  return format.trimmed();
}

unsigned SecondsInterval(int32_t seconds) {
  const long long ms = static_cast<long long>(seconds) * 1000;
  return static_cast<unsigned>(std::min<long long>(ms, std::numeric_limits<unsigned>::max()));
}

}  // namespace

void TMainForm::Timer1Timer(QObject*) {
  if (FirstTick) StartupSequence();
  TPictureForm& picture = *forms_.PictureForm;
  const TOptionsForm& options = *forms_.OptionsForm;

  // 1. Focus.
  if (picture.isVisible()) {
    picture.FocusPicture();
  } else if (isActiveWindow()) {
    const QWidget* focus = focusWidget();
    if (focus == nullptr || focus == this || focus == Client()) Panel1->setFocus();
  }

  // 2. Time of day; the label changes once a second, so it is formatted once a second.
  const QTime now = forms_.services.clock.LocalTime();
  if (now.msecsSinceStartOfDay() / 1000 != ClockSecond) {
    ClockSecond = now.msecsSinceStartOfDay() / 1000;
    static const QString format = LongTimeFormat();
    Clock->setText(
        QLocale::system().toString(QTime(now.hour(), now.minute(), now.second()), format));
  }

  // 3. Auto play.
  if (AutoPlay) {
    AutoPlay = false;
    PlayButtonClick(this);
    return;
  }

  const int index = ListBox1->ItemIndex();
  if (index >= 0) {  // 4
    const TEntryKind kind = EntryKind(ListBox1->Items()[index]);
    const bool active = Active();

    // 5. Position display (only with a device to ask: after a failed start there is none).
    if (active && IsMediaEntry(kind) && MediaPlayer1->IsOpen()) {
      const int32_t position = ClockPosition->Position(StopPosition) / 1000;
      TrackBar1->SetPosition(position);
      const QString text = PositionText(position, ClockPosition->Length() / 1000);
      if (text != StatusBar1->SimpleText()) {
        StatusBar1->SetSimpleText(text);
        StatusBar1->Refresh();
      }
    }

    const bool waits = kind == TEntryKind::PauseMark || kind == TEntryKind::Picture;
    const bool markOrPicture = IsMark(kind) || kind == TEntryKind::Picture;
    const int32_t q = active || InPause ? PauseAfterItem() : 0;

    // 6. End of a wait.
    if (active && (q > 0 || markOrPicture) && Timer1->Interval() != 1) {
      Timer1->SetInterval(1);
      picture.ResetScroll();
    }

    // 7. Advance.
    if (InPause || (active && waits && Timer1->Interval() == 1)) {
      if (q > 0 && !InPause) {  // 7a
        InPause = true;
        Timer1->SetInterval(SecondsInterval(q));
        return;
      }
      InPause = false;  // 7b
      const int count = ListBox1->Count();
      if (options.RandomBox->isChecked()) {
        forms_.Random.Randomize();
        ListBox1->SetItemIndex(forms_.Random.Random(count - 1));
      } else if (index < count - 1) {
        ListBox1->SetItemIndex(index + 1);
      } else if (options.ContinuousBox->isChecked()) {
        ListBox1->SetItemIndex(0);
      } else {
        StopButtonClick(this);
        if (QuitAtEnd) Close();
      }
      if (Active()) PlayButtonClick(this);  // 7c
    }
  }

  // 8. Track end.
  if (Active() && StopPosition != 0 && ClockPosition->Position(StopPosition) >= StopPosition)
    MediaPlayer1Notify(Timer1);

  // 9. Volume refresh.
  RefreshVolumeBars();
}

}  // namespace ostrivo
