// The main window's keyboard commands (its own keys and those the picture window passes on)
// and the mouse on the play list.
#include "app/Forms.h"
#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "player/MediaPlayer.h"

namespace ostrivo {

namespace {

// While a picture fills the screen the keys must keep reaching it; otherwise the tool bar
// takes them.
void FocusPlaybackView(TMainForm& form) {
  TPictureForm* picture = form.GetForms().PictureForm;
  if (picture && picture->isVisible())
    picture->FocusPicture();
  else
    form.Panel1->setFocus();
}

// One step of a seek with the Left or Right key. The device goes on playing from where it was;
// the key's release plays from the position reached.
void KeySeekStep(TMainForm& form, int seconds) {
  form.Timer1->SetEnabled(false);
  form.KeySeek = true;
  FocusPlaybackView(form);
  form.TrackBar1->SetPosition(form.TrackBar1->Position() + seconds);
  form.MediaPlayer1->SetStartPos(form.TrackBar1->Position() * 1000);
  FocusPlaybackView(form);
}

}  // namespace

void TMainForm::FormKeyDown(int Key, Qt::KeyboardModifiers) {
  switch (Key) {
    case Qt::Key_PageDown:
      NextButtonClick(this);
      break;
    case Qt::Key_PageUp:
      PreviousButtonClick(this);
      break;
    case Qt::Key_Right:
      if (TrackBar1->Position() < TrackBar1->Max()) KeySeekStep(*this, +1);
      break;
    case Qt::Key_Left:
      if (TrackBar1->Position() > TrackBar1->Min()) KeySeekStep(*this, -1);
      break;
    // The play/pause key of most keyboards arrives as "play".
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause:
      MediaPlayPause();
      break;
    case Qt::Key_MediaPause:
      MediaPause();
      break;
    case Qt::Key_MediaStop:
      MediaStop();
      break;
    case Qt::Key_MediaNext:
      NextButtonClick(this);
      break;
    case Qt::Key_MediaPrevious:
      PreviousButtonClick(this);
      break;
    default:
      break;
  }
}

void TMainForm::FormKeyUp(int Key, Qt::KeyboardModifiers) {
  if (Key != Qt::Key_Right && Key != Qt::Key_Left) return;
  // An error here (no device open while a picture or mark is current) leaves the clock
  // stopped and the seek flag set until the next command.
  if (Active()) MediaPlayer1->Play();
  Timer1->SetEnabled(true);
  KeySeek = false;
  PlayerSeeked();
}

void TMainForm::FormKeyPress(QChar Key) {
  if (Key == QLatin1Char('P') || Key == QLatin1Char('p'))
    PlayButtonClick(this);
  else if (Key == QLatin1Char('S') || Key == QLatin1Char('s'))
    StopButtonClick(this);
}

void TMainForm::ListBox1Click(QObject*) {
  // The list box has already selected the clicked entry.
  Panel1->setFocus();
}

void TMainForm::ListBox1DblClick(QObject*) {
  Panel1->setFocus();
  if (Active()) StopButtonClick(this);
  PlayButtonClick(this);
}

}  // namespace ostrivo
