#pragma once
// TOptionsForm: the options dialog. Its controls hold the only copy of the options while the
// program runs; every reader reads the control it needs at the moment of use.

#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdint>
#include <functional>

namespace ostrivo {

class Dialogs;
class Forms;

// An up-down control: two arrow buttons that step a position within a range. It is bound to
// no edit; its owner copies between them where it wants to.
class TUpDown : public QWidget {
 public:
  explicit TUpDown(QWidget* parent);

  int Position() const { return position_; }
  void SetPosition(int position);  // kept within the range
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetRange(int min, int max);
  int Increment() const { return increment_; }
  // Stepping past one end goes on at the other.
  bool Wrap() const { return wrap_; }
  void SetWrap(bool wrap) { wrap_ = wrap; }
  // One step up (+1) or down (-1), as a click on that arrow makes.
  void Step(int direction);

  QToolButton* UpArrow() const { return up_; }
  QToolButton* DownArrow() const { return down_; }

  // Runs once per mouse press on an arrow, after the press has made its first step; the
  // further steps of a held arrow do not run it.
  std::function<void(QObject* sender)> OnMouseDown;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Press(int direction);
  void Release();

  QToolButton* up_;
  QToolButton* down_;
  QTimer repeat_;
  int repeatDirection_ = 0;
  int position_ = 0;
  int min_ = 0;
  int max_ = 100;
  int increment_ = 1;
  bool wrap_ = false;
};

// The colour picker: it opens on the colour last chosen in it (black before the first choice).
class TColorDialog {
 public:
  explicit TColorDialog(Dialogs& dialogs) : dialogs_(dialogs) {}
  // True when the user confirmed a colour, which is then Color.
  bool Execute();
  QColor Color = Qt::black;

 private:
  Dialogs& dialogs_;
};

class TOptionsForm : public QDialog {
 public:
  explicit TOptionsForm(Forms& forms);
  ~TOptionsForm() override;

  QWidget* Panel1;
  QWidget* Panel2;
  QTabWidget* PageControl1;
  QWidget* TabSheet1;  // "General"
  QWidget* TabSheet2;  // "Pictures"
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
  TColorDialog ColorDialog1;

  // The controls hold the stored settings of this run (LoadSettings has run). Until then they
  // hold the dialog's design values, which must not be saved over the stored ones.
  bool SettingsLoaded = false;

  // The most digits the two seconds edits take: a number of seconds that stays within 32 bits
  // when counted in milliseconds.
  static constexpr int kSecondsDigits = 6;

  // ---- Handlers (settings/SettingsStore.cpp) ----
  void OKBtnClick(QObject* Sender);
  void BackgroundButtonClick(QObject* Sender);
  void UpDown1MouseDown(QObject* Sender);
  void UpDown2MouseDown(QObject* Sender);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void PlaceControls();
  void WireHandlers();

  Forms& forms_;
};

}  // namespace ostrivo
