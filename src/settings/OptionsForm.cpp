// Placeholder design of the options dialog: the controls with their initial states; the full
// design arrives with the settings change.
#include <QKeyEvent>

#include "app/Forms.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

TOptionsForm::TOptionsForm(Forms& forms) : QDialog(nullptr), forms_(forms) {
  setWindowTitle(QStringLiteral("Options"));
  Panel1 = new QWidget(this);
  Panel2 = new QWidget(this);
  PageControl1 = new QTabWidget(Panel1);
  GeneralBox = new QGroupBox(QStringLiteral("General Prefferences"));
  PictureBox = new QGroupBox(QStringLiteral("Pictures Prefferences"));
  PageControl1->addTab(GeneralBox, QStringLiteral("General"));
  PageControl1->addTab(PictureBox, QStringLiteral("Pictures"));
  RandomBox = new QCheckBox(QStringLiteral("Random play"), GeneralBox);
  ContinuousBox = new QCheckBox(QStringLiteral("Continuous play"), GeneralBox);
  RecurseBox = new QCheckBox(QStringLiteral("Recurse subdirectories"), GeneralBox);
  Label2 = new QLabel(QStringLiteral("Pause: "), GeneralBox);
  Edit2 = new QLineEdit(QStringLiteral("0"), GeneralBox);
  UpDown2 = nullptr;
  VolumeBox = new QCheckBox(QStringLiteral("Volume Bar Visible"), GeneralBox);
  WaveVolumeBox = new QCheckBox(QStringLiteral("Wave Volume Bar Visible"), GeneralBox);
  AuxVolumeBox = new QCheckBox(QStringLiteral("Line-In Volume Bar Visible"), GeneralBox);
  MicVolumeBox = new QCheckBox(QStringLiteral("Microphone Volume Bar Visible"), GeneralBox);
  CDVolumeBox = new QCheckBox(QStringLiteral("CD Volume Bar Visible"), GeneralBox);
  MidiVolumeBox = new QCheckBox(QStringLiteral("Synthesizer Volume Bar Visible"), GeneralBox);
  for (QCheckBox* b :
       {VolumeBox, WaveVolumeBox, AuxVolumeBox, MicVolumeBox, CDVolumeBox, MidiVolumeBox})
    b->setChecked(true);
  Label1 = new QLabel(QStringLiteral("Display time:"), PictureBox);
  Edit1 = new QLineEdit(QStringLiteral("3"), PictureBox);
  UpDown1 = nullptr;
  FitBox = new QCheckBox(QStringLiteral("Fit picture"), PictureBox);
  StretchBox = new QCheckBox(QStringLiteral("Stretch picture"), PictureBox);
  TitleBox = new QCheckBox(QStringLiteral("Title Visible"), PictureBox);
  BackgroundButton = new QPushButton(QStringLiteral("Background Color"), PictureBox);
  OKBtn = new QPushButton(QStringLiteral("OK"), Panel2);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"), Panel2);
  HelpBtn = new QPushButton(QStringLiteral("&Help"), Panel2);
  CancelBtn->hide();
  HelpBtn->hide();
}

TOptionsForm::~TOptionsForm() = default;

void TOptionsForm::keyPressEvent(QKeyEvent* event) {
  QDialog::keyPressEvent(event);
}

void TOptionsForm::OKBtnClick(QObject*) {}
void TOptionsForm::BackgroundButtonClick(QObject*) {}
void TOptionsForm::UpDown1MouseDown(QObject*) {}
void TOptionsForm::UpDown2MouseDown(QObject*) {}

}  // namespace ostrivo
