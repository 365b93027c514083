// Placeholder bodies: these commands arrive with their own change.
#include "main/MainUnit.h"

namespace ostrivo {

void TMainForm::VolumeBarChange(QObject*) {}
void TMainForm::WaveVolumeBarChange(QObject*) {}
void TMainForm::AuxVolumeBarChange(QObject*) {}
void TMainForm::MicVolumeBarChange(QObject*) {}
void TMainForm::CDVolumeBarChange(QObject*) {}
void TMainForm::MidiVolumeBarChange(QObject*) {}
void TMainForm::RefreshVolumeBars() {}

}  // namespace ostrivo
