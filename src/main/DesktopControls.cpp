// Media keys and the desktop's player controls: the commands they share with the buttons, and
// the player's state as the desktop shows it.
#include "main/DesktopControls.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <exception>

#include "app/Forms.h"
#include "framework/Exceptions.h"
#include "main/MainUnit.h"
#include "mixer/AMixer.h"
#include "platform/shell/MprisService.h"
#include "platform/shell/ShellServices.h"
#include "player/Entries.h"
#include "player/MediaPlayer.h"
#include "playlist/PlayListEdit.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

// ---- The commands of media keys and player controls (on the main window) ----

void TMainForm::MediaPlay() {
  if (UserPaused)
    PauseButtonClick(this);
  else if (PlayButton->isEnabled())
    PlayButtonClick(this);
}

void TMainForm::MediaPause() {
  if (PauseButton->isEnabled() && !UserPaused) PauseButtonClick(this);
}

void TMainForm::MediaPlayPause() {
  if (PauseButton->isEnabled())
    PauseButtonClick(this);
  else if (PlayButton->isEnabled())
    PlayButtonClick(this);
}

void TMainForm::MediaStop() {
  if (StopButton->isEnabled()) StopButtonClick(this);
}

void TMainForm::PlayerChanged() {
  if (forms_.DesktopControls) forms_.DesktopControls->Service().Changed();
}

void TMainForm::PlayerSeeked() {
  if (forms_.DesktopControls) forms_.DesktopControls->Service().Seeked();
}

// ---- TDesktopControls ----

TDesktopControls::TDesktopControls(Forms& forms) : forms_(forms) {
  TMainForm& main = Main();
  service_ = std::make_unique<MprisService>(forms_.services.shell.SessionBus(), *this);
  // What the controls show changes with these; the Active state and the user pause tell
  // through the main window's PlayerChanged.
  auto changed = [this] { service_->Changed(); };
  TStringsModel* list = &main.ListBox1->Items();
  QObject::connect(list, &TStringsModel::ItemIndexChanged, &events_, changed);
  QObject::connect(list, &QAbstractItemModel::rowsInserted, &events_, changed);
  QObject::connect(list, &QAbstractItemModel::rowsRemoved, &events_, changed);
  QObject::connect(list, &QAbstractItemModel::modelReset, &events_, changed);
  QObject::connect(list, &QAbstractItemModel::dataChanged, &events_, changed);
  QObject::connect(list, &QAbstractItemModel::layoutChanged, &events_, changed);
  TOptionsForm& options = *forms_.OptionsForm;
  QObject::connect(options.RandomBox, &QCheckBox::toggled, &events_, changed);
  QObject::connect(options.ContinuousBox, &QCheckBox::toggled, &events_, changed);
  QObject::connect(main.VolumeBar, &QSlider::valueChanged, &events_, changed);
}

TDesktopControls::~TDesktopControls() = default;

TMainForm& TDesktopControls::Main() const {
  return *forms_.MainForm;
}

template <class F>
void TDesktopControls::Command(F&& f) {
  forms_.Application.Guard(std::forward<F>(f));
}

bool TDesktopControls::CurrentEntryOpen() const {
  const TMainForm& m = Main();
  const int index = m.ListBox1->ItemIndex();
  if (index < 0 || !m.MediaPlayer1->IsOpen()) return false;
  const QByteArray& entry = m.ListBox1->Items()[index];
  return IsMediaEntry(entry) && entry == m.CurrentFile;
}

PlayerControls::State TDesktopControls::Read() const {
  const TMainForm& m = Main();
  const TOptionsForm& o = *forms_.OptionsForm;
  State s;
  const bool active = m.Active();
  s.status = !active ? Status::Stopped : m.UserPaused ? Status::Paused : Status::Playing;
  const int index = m.ListBox1->ItemIndex();
  if (index >= 0) {
    const QByteArray& entry = m.ListBox1->Items()[index];
    s.track.index = index;
    if (IsMark(EntryKind(entry))) {
      s.track.title = DisplayText(entry);
    } else {
      const QFileInfo file(QFile::decodeName(entry));
      s.track.url = QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded);
      s.track.title = file.fileName();
    }
    if (CurrentEntryOpen()) {
      try {
        s.track.lengthUs = int64_t{m.MediaPlayer1->Length()} * 1000;
      } catch (const std::exception&) {
        // A device that cannot tell has no length to show; the clock reports its error.
      }
    }
  }
  const int count = m.ListBox1->Count();
  s.canPlay = count > 0;
  s.canPause = m.PauseButton->isEnabled();
  s.canGoNext = count > 0;
  s.canGoPrevious = count > 0;
  // A seek while paused would play on: the position bar's seek plays an Active entry.
  s.canSeek = active && !m.UserPaused && CurrentEntryOpen();
  s.loop = o.ContinuousBox->isChecked();
  s.shuffle = o.RandomBox->isChecked();
  // The bar's top is the loudest setting; a bar without its line is disabled.
  if (m.Mixer && m.VolumeBar->isEnabled())
    s.volume = double(m.VolumeBar->Max() - m.VolumeBar->Position()) / m.VolumeBar->Max();
  return s;
}

int64_t TDesktopControls::PositionUs() const {
  const TMainForm& m = Main();
  if (!m.Active() || !CurrentEntryOpen()) return 0;
  try {
    return int64_t{m.MediaPlayer1->Position()} * 1000;
  } catch (const std::exception&) {
    return 0;
  }
}

void TDesktopControls::Play() {
  Command([this] { Main().MediaPlay(); });
}

void TDesktopControls::Pause() {
  Command([this] { Main().MediaPause(); });
}

void TDesktopControls::PlayPause() {
  Command([this] { Main().MediaPlayPause(); });
}

void TDesktopControls::Stop() {
  Command([this] { Main().MediaStop(); });
}

void TDesktopControls::Next() {
  Command([this] { Main().NextButtonClick(Main().NextButton); });
}

void TDesktopControls::Previous() {
  Command([this] { Main().PreviousButtonClick(Main().PreviousButton); });
}

void TDesktopControls::SeekTo(int64_t positionUs) {
  // As the user moving the position bar, which counts whole seconds.
  Command([this, positionUs] {
    TMainForm& m = Main();
    const int64_t seconds = positionUs / 1000000;
    m.TrackBar1->SetPosition(
        static_cast<int>(std::clamp<int64_t>(seconds, m.TrackBar1->Min(), m.TrackBar1->Max())));
    m.TrackBar1Change(m.TrackBar1);
  });
}

void TDesktopControls::OpenFile(const QString& path) {
  Command([this, &path] {
    TMainForm& m = Main();
    AppendEntries(*m.ListBox1, {QFile::encodeName(path)});
    m.ListBox1->SetItemIndex(m.ListBox1->Count() - 1);
    m.PlayButtonClick(m.PlayButton);
  });
}

void TDesktopControls::Raise() {
  // Also out of the tray, as a click on the tray icon.
  Command([this] { Main().RxTrayIcon1Click(nullptr); });
}

void TDesktopControls::Quit() {
  Command([this] { Main().Exit1Click(Main().Exit1); });
}

void TDesktopControls::SetLoop(bool on) {
  forms_.OptionsForm->ContinuousBox->setChecked(on);
}

void TDesktopControls::SetShuffle(bool on) {
  forms_.OptionsForm->RandomBox->setChecked(on);
}

void TDesktopControls::SetVolume(double volume) {
  Command([this, volume] {
    TMainForm& m = Main();
    if (!m.Mixer || !m.VolumeBar->isEnabled()) return;
    const int top = m.VolumeBar->Max();
    m.VolumeBar->SetPosition(top -
                             static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * top)));
    // As the user moving the bar.
    m.VolumeBarChange(m.VolumeBar);
  });
}

}  // namespace ostrivo
