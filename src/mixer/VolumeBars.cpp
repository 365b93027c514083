// The six volume bars: each sets one line of the mixer's first destination when the user moves
// it, and every tick of the clock brings all six back in line with the mixer. A bar's top is
// the loudest setting: level = 65535 - position, both ways.
//
// A bar whose line does not exist (no mixer device, no first destination, fewer source lines)
// stands at the bottom and is disabled, so it neither suggests a level nor takes input; it comes
// back as soon as a refresh finds its line. Once the close query has released the mixer, the
// bars are left as they are.
#include <algorithm>
#include <cstdint>

#include "main/MainUnit.h"
#include "mixer/AMixer.h"

namespace ostrivo {

namespace {

constexpr int32_t kTop = 65535;
constexpr int32_t kDestination = 0;

void WriteBarLevel(TAudioMixer* mixer, const TTrackBar& bar, int32_t connection) {
  if (mixer) mixer->WriteLineLevel(kDestination, connection, kTop - bar.Position(), -1, 0);
}

void ShowLevel(TTrackBar& bar, bool lineExists, int32_t level) {
  if (bar.isEnabled() != lineExists) bar.setEnabled(lineExists);
  // A line without a volume control reads -1: the bar goes to the bottom.
  const int64_t position = lineExists ? int64_t{kTop} - level : kTop;
  bar.SetPosition(static_cast<int>(std::clamp<int64_t>(position, 0, kTop)));
}

}  // namespace

void TMainForm::VolumeBarChange(QObject*) {
  WriteBarLevel(Mixer.get(), *VolumeBar, -1);
}

void TMainForm::WaveVolumeBarChange(QObject*) {
  WriteBarLevel(Mixer.get(), *WaveVolumeBar, 1);
}

void TMainForm::AuxVolumeBarChange(QObject*) {
  WriteBarLevel(Mixer.get(), *AuxVolumeBar, 0);
}

void TMainForm::MicVolumeBarChange(QObject*) {
  WriteBarLevel(Mixer.get(), *MicVolumeBar, 2);
}

void TMainForm::CDVolumeBarChange(QObject*) {
  WriteBarLevel(Mixer.get(), *CDVolumeBar, 3);
}

void TMainForm::MidiVolumeBarChange(QObject*) {
  WriteBarLevel(Mixer.get(), *MidiVolumeBar, 4);
}

void TMainForm::RefreshVolumeBars() {
  if (!Mixer) return;
  const std::pair<TTrackBar*, int32_t> bars[] = {
      {VolumeBar, -1},   {AuxVolumeBar, 0}, {WaveVolumeBar, 1},
      {MicVolumeBar, 2}, {CDVolumeBar, 3},  {MidiVolumeBar, 4},
  };
  int32_t level = 0;
  int32_t scratch = 0;
  bool volumeUnavailable = false, muteUnavailable = false;
  for (const auto& [bar, connection] : bars) {
    const bool exists = Mixer->ReadLineLevel(kDestination, connection, level, scratch, scratch,
                                             volumeUnavailable, muteUnavailable);
    ShowLevel(*bar, exists, level);
  }
}

}  // namespace ostrivo
