#pragma once
// TOptionsForm: the options dialog. Its controls hold the only copy of the options while the
// program runs; every reader reads the control it needs at the moment of use.

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace ostrivo {

class Forms;
class TUpDown;

class TOptionsForm : public QDialog {
 public:
  explicit TOptionsForm(Forms& forms);
  ~TOptionsForm() override;

  QWidget* Panel1;
  QWidget* Panel2;
  QTabWidget* PageControl1;
  QGroupBox* GeneralBox;
  QCheckBox* RandomBox;
  QCheckBox* ContinuousBox;
  QCheckBox* RecurseBox;
  QLabel* Label2;
  QLineEdit* Edit2;  // pause after each item, seconds
  TUpDown* UpDown2;
  QCheckBox* VolumeBox;
  QCheckBox* WaveVolumeBox;
  QCheckBox* AuxVolumeBox;
  QCheckBox* MicVolumeBox;
  QCheckBox* CDVolumeBox;
  QCheckBox* MidiVolumeBox;
  QGroupBox* PictureBox;
  QLabel* Label1;
  QLineEdit* Edit1;  // picture display time, seconds
  TUpDown* UpDown1;
  QCheckBox* FitBox;
  QCheckBox* StretchBox;
  QCheckBox* TitleBox;
  QPushButton* BackgroundButton;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

  // ---- Handlers (settings/SettingsStore.cpp) ----
  void OKBtnClick(QObject* Sender);
  void BackgroundButtonClick(QObject* Sender);
  void UpDown1MouseDown(QObject* Sender);
  void UpDown2MouseDown(QObject* Sender);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Forms& forms_;
};

}  // namespace ostrivo
