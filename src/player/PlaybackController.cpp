// The playback controller: Play, Pause and Stop, the completion handler, and the command
// states and status texts they share with the clock and the stepping commands.
#include <QCheckBox>
#include <QLineEdit>
#include <exception>
#include <limits>

#include "app/Forms.h"
#include "framework/Convert.h"
#include "framework/Exceptions.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "picture/PictureUnit.h"
#include "player/Entries.h"
#include "player/MediaPlayer.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

namespace {

// Seconds as a timer interval; very long waits stay long rather than wrap around.
unsigned SecondsInterval(int32_t seconds) {
  const long long ms = static_cast<long long>(seconds) * 1000;
  return static_cast<unsigned>(std::min<long long>(ms, std::numeric_limits<unsigned>::max()));
}

// A media entry that fails to start leaves the device closed and the next Open choosing its
// device from the file again. The Active state stays on, as after any failed command, but the
// clock then finds no open device to ask for a position, so the error is reported once and not
// again on every tick.
class FailedStartCleanup {
 public:
  explicit FailedStartCleanup(TMediaPlayer& player)
      : player_(player), exceptions_(std::uncaught_exceptions()) {}
  ~FailedStartCleanup() {
    if (std::uncaught_exceptions() == exceptions_) return;
    player_.DeviceType = dtAutoSelect;
    player_.Close();
  }
  FailedStartCleanup(const FailedStartCleanup&) = delete;
  FailedStartCleanup& operator=(const FailedStartCleanup&) = delete;

 private:
  TMediaPlayer& player_;
  int exceptions_;
};

TOptionsForm& Options(TMainForm& main) {
  return *main.GetForms().OptionsForm;
}

// Whether Stop and Pause act on the device: a media entry is current, or none is (the entry
// playing was removed from the list), and a device is open.
bool DeviceEntryOpen(TMainForm& main) {
  const int index = main.ListBox1->ItemIndex();
  return (index < 0 || IsMediaEntry(main.ListBox1->Items()[index])) && main.MediaPlayer1->IsOpen();
}

// The entry the completion handler will play after the current one, when that is known now
// (in order, not at random) and is a media file: the back end may make it ready while the
// current one plays, so that no silence falls between them.
void PrepareFollowingEntry(TMainForm& main) {
  if (Options(main).RandomBox->isChecked()) return;
  const int count = main.ListBox1->Count();
  int next = main.ListBox1->ItemIndex() + 1;
  if (next >= count) {
    if (!Options(main).ContinuousBox->isChecked()) return;
    next = 0;
  }
  if (next < 0 || next >= count) return;
  const QByteArray entry = main.ListBox1->Items()[next];
  if (EntryKind(entry) == TEntryKind::MediaFile) main.MediaPlayer1->Prepare(entry);
}

}  // namespace

int32_t TMainForm::PauseAfterItem() {
  // A text that is not a whole number means no pause: the clock reads the option on every
  // tick, and an error there would come back on every tick.
  return TryStrToInt(Options(*this).Edit2->text().toLocal8Bit()).value_or(0);
}

void TMainForm::SetActiveControls(bool active) {
  PlayButton->setEnabled(!active);
  Play1->setEnabled(!active);
  PopupPlay->setEnabled(!active);
  PauseButton->setEnabled(active);
  Pause1->setEnabled(active);
  PopupPause->setEnabled(active);
  StopButton->setEnabled(active);
  Stop1->setEnabled(active);
  PopupStop->setEnabled(active);
  PlayerChanged();
}

void TMainForm::ShowStatus(const QString& text) {
  StatusBar1->SetSimpleText(text);
  RxTrayIcon1->SetHint(text);
}

QString TMainForm::PositionText(int32_t positionSeconds, int32_t lengthSeconds) const {
  auto hms = [](int32_t t) {
    return QString::number(t / 3600) + QLatin1Char(':') + QString::number((t % 3600) / 60) +
           QLatin1Char(':') + QString::number(t % 60);
  };
  return QStringLiteral("Playing ") + DisplayText(CurrentFile) + QStringLiteral(" - ") +
         hms(positionSeconds) + QStringLiteral(" of ") + hms(lengthSeconds);
}

void TMainForm::PlayButtonClick(QObject*) {
  // Whatever starts an entry ends a pause after an item that was still running: otherwise
  // its end, one tick later, would skip past the entry just started. The clock's own Play
  // comes after it has cleared the flag itself.
  InPause = false;
  if (Active()) StopButtonClick(this);                       // 1
  if (ListBox1->Count() == 0) return;                        // 2
  SetActiveControls(true);                                   // 3
  if (ListBox1->ItemIndex() < 0) ListBox1->SetItemIndex(0);  // 4

  const QByteArray E = ListBox1->Items()[ListBox1->ItemIndex()];  // 5
  const TEntryKind kind = EntryKind(E);
  switch (kind) {
    case TEntryKind::StopMark:
      StopButtonClick(this);
      return;
    case TEntryKind::QuitMark:
      StopButtonClick(this);
      Close();
      return;
    case TEntryKind::PauseMark: {
      const int32_t seconds = PauseSeconds(E);
      Timer1->SetInterval(seconds > 0 ? SecondsInterval(seconds) : 2);
      return;
    }
    case TEntryKind::Picture:
      forms_.PictureForm->ShowPicture(E);
      return;
    case TEntryKind::CDTrack:
    case TEntryKind::MediaFile:
      break;
  }

  const bool cd = kind == TEntryKind::CDTrack;
  forms_.PictureForm->hide();  // 5.1
  MediaPlayer1->FileName = E;  // 5.2
  CurrentFile = E;
  // 5.3; every other entry opens with automatic selection, whatever an earlier failure left.
  MediaPlayer1->DeviceType = cd ? dtCDAudio : dtAutoSelect;
  {
    FailedStartCleanup cleanup(*MediaPlayer1);
    MediaPlayer1->Open();  // 5.4
    MarkPosition = 0;      // 5.5
    if (cd) {              // 5.6
      const int32_t n = TrackNumber(E);
      MediaPlayer1->SetPosition(MediaPlayer1->TrackPosition(n));
      MediaPlayer1->SetTimeFormat(kTimeFormatMilliseconds);
      StopPosition = MediaPlayer1->TrackPosition(n) + MediaPlayer1->TrackLength(n);
    } else {
      MediaPlayer1->SetStartPos(0);
      MediaPlayer1->SetPosition(0);
    }
  }
  MediaPlayer1->DeviceType = dtAutoSelect;                  // 5.7
  MediaPlayer1->SetTimeFormat(kTimeFormatMilliseconds);     // 5.8
  TrackBar1->SetMax(MediaPlayer1->Length() / 1000);         // 5.9
  MediaPlayer1->Play();                                     // 5.10
  Timer1->SetEnabled(true);                                 // 5.11
  ShowStatus(QStringLiteral("Playing ") + DisplayText(E));  // 5.12
  PrepareFollowingEntry(*this);
}

void TMainForm::StopButtonClick(QObject*) {
  Timer1->SetEnabled(false);  // 1
  // 2. A device that failed to open, or was never opened for this entry, has nothing to stop.
  if (Active() && DeviceEntryOpen(*this)) {
    MediaPlayer1->Stop();
    MediaPlayer1->Close();
  }
  SetActiveControls(false);            // 3
  ShowStatus(QStringLiteral("Idle"));  // 4
  UserPaused = false;                  // 5
  StopPosition = 0;
  Timer1->SetInterval(1);  // 6
  Timer1->SetEnabled(true);
}

void TMainForm::PauseButtonClick(QObject*) {
  const bool device = DeviceEntryOpen(*this);
  if (!UserPaused) {
    Timer1->SetEnabled(false);
    UserPaused = true;
    if (device) MediaPlayer1->Pause();
  } else {
    if (device) MediaPlayer1->Play();
    Timer1->SetEnabled(true);
    UserPaused = false;
  }
  PlayerChanged();
}

void TMainForm::MediaPlayer1Notify(QObject* Sender) {
  if (UserPaused) return;                                                       // 1
  if (Sender != Timer1 && MediaPlayer1->NotifyValue() != nvSuccessful) return;  // 2
  StopPosition = 0;                                                             // 3
  const int32_t q = PauseAfterItem();                                           // 4
  if (q > 0) {                                                                  // 5
    InPause = true;
    Timer1->SetInterval(SecondsInterval(q));
    return;
  }
  StopButtonClick(this);  // 6
  const int count = ListBox1->Count();
  if (Options(*this).RandomBox->isChecked()) {
    forms_.Random.Randomize();
    ListBox1->SetItemIndex(forms_.Random.Random(count - 1));
    PlayButtonClick(this);
  } else if (ListBox1->ItemIndex() < count - 1) {
    ListBox1->SetItemIndex(ListBox1->ItemIndex() + 1);
    PlayButtonClick(this);
  } else {
    if (QuitAtEnd) Close();
    if (Options(*this).ContinuousBox->isChecked()) {
      ListBox1->SetItemIndex(0);
      PlayButtonClick(this);
    }
  }
}

}  // namespace ostrivo
