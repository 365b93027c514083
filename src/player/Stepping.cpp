// Stepping and seeking: Next and Previous, the position bar, Mark and Play from mark.
#include <QCheckBox>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "player/MediaPlayer.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

void TMainForm::NextButtonClick(QObject*) {
  const bool wasIdle = !Active();  // 1
  if (!wasIdle) StopButtonClick(this);
  const int count = ListBox1->Count();  // 2
  if (forms_.OptionsForm->RandomBox->isChecked()) {
    forms_.Random.Randomize();
    ListBox1->SetItemIndex(forms_.Random.Random(count - 1));
  } else if (ListBox1->ItemIndex() < count - 1) {
    ListBox1->SetItemIndex(ListBox1->ItemIndex() + 1);
  } else if (forms_.OptionsForm->ContinuousBox->isChecked()) {
    ListBox1->SetItemIndex(0);
  }
  PlayButtonClick(this);               // 3
  if (wasIdle) StopButtonClick(this);  // 4
}

void TMainForm::PreviousButtonClick(QObject*) {
  const bool wasIdle = !Active();
  if (!wasIdle) StopButtonClick(this);
  const int count = ListBox1->Count();
  if (forms_.OptionsForm->RandomBox->isChecked()) {
    forms_.Random.Randomize();
    ListBox1->SetItemIndex(forms_.Random.Random(count));
  } else if (ListBox1->ItemIndex() > 0) {
    ListBox1->SetItemIndex(ListBox1->ItemIndex() - 1);
  }
  PlayButtonClick(this);
  if (wasIdle) StopButtonClick(this);
}

void TMainForm::TrackBar1Change(QObject*) {
  if (!KeySeek) {
    Timer1->SetEnabled(false);  // 2
    MediaPlayer1->SetStartPos(TrackBar1->Position() * 1000);
    StatusBar1->SetSimpleText(PositionText(TrackBar1->Position(), TrackBar1->Max()));  // 3
    if (Active()) MediaPlayer1->Play();                                                // 4
    Timer1->SetEnabled(true);
    PlayerSeeked();
  }
  if (forms_.PictureForm->isVisible())  // 5
    forms_.PictureForm->FocusPicture();
  else
    Panel1->setFocus();
}

void TMainForm::MarkButtonClick(QObject*) {
  MarkPosition = MediaPlayer1->Position();
}

void TMainForm::PlayMarkButtonClick(QObject*) {
  MediaPlayer1->SetPosition(MarkPosition);
  MediaPlayer1->Play();
  PlayerSeeked();
}

}  // namespace ostrivo
