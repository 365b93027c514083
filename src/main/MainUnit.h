#pragma once
// TMainForm: the main window. It owns the play list (ListBox1), the media device
// (MediaPlayer1), the mixer (Mixer) and the playback clock (Timer1). Its handlers are defined in
// the folder of the subsystem they belong to; each group below names the file that defines it.

#include <QAction>
#include <QByteArray>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QUrl>
#include <cstdint>
#include <memory>

#include "framework/Controls.h"
#include "framework/ListBox.h"
#include "framework/Timer.h"

namespace ostrivo {

class Forms;
class TApplication;
class TMediaPlayer;
class TDevicePosition;
class TAudioMixer;
class TRegistry;
class TRxTrayIcon;

class TMainForm : public QMainWindow {
 public:
  explicit TMainForm(Forms& forms);
  ~TMainForm() override;

  Forms& GetForms() { return forms_; }
  TApplication& Application();

  // The window title (the task-bar caption follows it).
  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString& text) { setWindowTitle(text); }
  // The client area: everything below the menu bar.
  QWidget* Client() const { return client_; }
  int ClientWidth() const;
  int ClientHeight() const;

  // Closes the main window: the close query runs, then the program ends once the current
  // message has been handled.
  void Close();

  // ---- Controls (main/MainForm.cpp) ----
  TPanel* Panel1;
  TSpeedButton* NewButton;
  TSpeedButton* OpenButton;
  TSpeedButton* SaveButton;
  TSpeedButton* AddDirButton;
  TSpeedButton* RemoveDirButton;
  TSpeedButton* AddButton;
  TSpeedButton* RemoveButton;
  TSpeedButton* InsPauseButton;
  TSpeedButton* InsStopButton;
  TSpeedButton* InsQuitButton;
  TSpeedButton* DownButton;
  TSpeedButton* UpButton;
  TSpeedButton* RandomizeButton;
  TSpeedButton* SortButton;
  TSpeedButton* PlayButton;
  TSpeedButton* PauseButton;
  TSpeedButton* StopButton;
  TSpeedButton* PreviousButton;
  TSpeedButton* NextButton;
  TSpeedButton* LengthButton;
  TSpeedButton* OptionsButton;
  TSpeedButton* MarkButton;
  TSpeedButton* PlayMarkButton;
  TSpeedButton* ShellButton;  // hidden and disabled for the whole run
  QLabel* Clock;

  TListBox* ListBox1;
  TTrackBar* VolumeBar;
  TTrackBar* WaveVolumeBar;
  TTrackBar* AuxVolumeBar;
  TTrackBar* MicVolumeBar;
  TTrackBar* CDVolumeBar;
  TTrackBar* MidiVolumeBar;
  TTrackBar* TrackBar1;
  TStatusBar* StatusBar1;

  // Menu bar.
  QMenu* File1;
  QAction* New1;
  QAction* Open1;
  QAction* Save1;
  QAction* Exit1;
  QMenu* Edit2;
  QAction* Add1;
  QAction* Remove1;
  QAction* Adddirectory1;
  QAction* RemoveDirectory1;
  QAction* Options1;
  QMenu* Player1;
  QAction* Play1;
  QAction* Pause1;
  QAction* Stop1;
  QAction* Next1;
  QAction* Previous1;
  QAction* TotalLength1;
  QAction* Help1;

  // The tray menu, also the play list's context menu.
  QMenu* TrayPopup;
  QAction* PopupPlay;
  QAction* PopupPause;
  QAction* PopupStop;
  QAction* PopupPrevious;
  QAction* PopupNext;
  QAction* PopupExit;

  // Components without a place on the screen.
  TTimer* Timer1;
  TMediaPlayer* MediaPlayer1;
  // The device's position and length as the clock reads them (player/DevicePosition.h).
  std::unique_ptr<TDevicePosition> ClockPosition;
  TRxTrayIcon* RxTrayIcon1;
  // The volume bars' mixer; released (null) by the close query.
  std::unique_ptr<TAudioMixer> Mixer;
  // The registry object in use at the moment, if any (settings, shell setup).
  std::unique_ptr<TRegistry> Registry;

  // ---- Fields ----
  bool UserPaused = false;
  bool InPause = false;
  QByteArray CurrentFile;
  int32_t MarkPosition = 0;
  int32_t StopPosition = 0;
  bool AutoPlay = false;
  bool QuitAtEnd = false;
  bool KeySeek = false;
  bool FirstTick = false;
  QString PlayListFile;

  // The Active state: an entry is being played, shown or paused. Held as the Stop button's
  // enabled state, which every test for an entry being played reads.
  bool Active() const { return StopButton->isEnabled(); }

  // ---- Window life (main/MainForm.cpp) ----
  void FormCreate(QObject* Sender);
  void FormDestroy(QObject* Sender);

  // ---- Playback controller (player/PlaybackController.cpp) ----
  void PlayButtonClick(QObject* Sender);
  void PauseButtonClick(QObject* Sender);
  void StopButtonClick(QObject* Sender);
  void MediaPlayer1Notify(QObject* Sender);
  // Switches the nine Play/Pause/Stop controls to the Active (true) or Idle state.
  void SetActiveControls(bool active);
  // The status line and the tray hint.
  void ShowStatus(const QString& text);
  // "Playing " + entry + " - " h:m:s + " of " h:m:s.
  QString PositionText(int32_t positionSeconds, int32_t lengthSeconds) const;
  // The pause after each item, seconds; 0 when the option is not a whole number.
  int32_t PauseAfterItem();

  // ---- Playback clock (player/PlaybackClock.cpp) ----
  void Timer1Timer(QObject* Sender);
  int32_t ClockSecond = -1;  // the second of the day the Clock label shows

  // ---- When the clock ticks (player/ClockSchedule.cpp) ----
  // The first moment (the scheduler's milliseconds) at which the next tick can change anything,
  // given that nothing it reads changes meanwhile; now when it may at once.
  std::int64_t ClockNextChange();
  // Wakes Timer1 whenever something a tick reads changes. Once every window exists.
  void WatchClockInputs();

  // ---- Stepping and seeking (player/Stepping.cpp) ----
  void NextButtonClick(QObject* Sender);
  void PreviousButtonClick(QObject* Sender);
  void TrackBar1Change(QObject* Sender);
  void MarkButtonClick(QObject* Sender);
  void PlayMarkButtonClick(QObject* Sender);

  // ---- Media keys and the desktop's player controls (main/DesktopControls.cpp) ----
  // Each acts as a click on the button it stands for, where that button is enabled: Play
  // starts, or resumes from a user pause; Pause pauses what plays; PlayPause is Pause while an
  // entry is active and Play otherwise.
  void MediaPlay();
  void MediaPause();
  void MediaPlayPause();
  void MediaStop();
  // Tell the desktop's player controls that what they show may have changed, or that the
  // position jumped.
  void PlayerChanged();
  void PlayerSeeked();

  // ---- Layout (main/Layout.cpp) ----
  void FormResize(QObject* Sender);

  // ---- Keyboard and mouse (main/Keyboard.cpp) ----
  void FormKeyDown(int Key, Qt::KeyboardModifiers Shift);
  void FormKeyUp(int Key, Qt::KeyboardModifiers Shift);
  void FormKeyPress(QChar Key);
  void ListBox1Click(QObject* Sender);
  void ListBox1DblClick(QObject* Sender);

  // ---- Tray icon, help and closing (main/TrayHelpClose.cpp) ----
  void ApplicationMinimize(QObject* Sender);
  void RxTrayIcon1Click(QObject* Sender);
  void Help1Click(QObject* Sender);
  void Exit1Click(QObject* Sender);
  void PopupExitClick(QObject* Sender);
  void FormCloseQuery(QObject* Sender, bool& CanClose);

  // ---- Start-up sequence and command line (app/Startup.cpp) ----
  void StartupSequence();
  void ParseCommandLine();

  // ---- Play-list files (playlist/PlayListFiles.cpp) ----
  void NewButtonClick(QObject* Sender);
  void OpenButtonClick(QObject* Sender);
  void SaveButtonClick(QObject* Sender);
  // Open without its dialog: reads the file, makes it the list's file and names it in the
  // title.
  void OpenPlayList(const QString& path);
  // Replaces the play list by the file's entries; throws EFOpenError and then leaves the list
  // as it was.
  void ReadPlayList(const QString& path);
  // Writes the play list; throws EFCreateError or EWriteError and then leaves the file as it
  // was.
  void WritePlayList(const QString& path);

  // ---- Editing commands (playlist/Editing.cpp) ----
  void AddButtonClick(QObject* Sender);
  // Add without its dialog: appends the files' paths in the order given.
  void AddFiles(const QStringList& files);
  void RemoveButtonClick(QObject* Sender);
  void UpButtonClick(QObject* Sender);
  void DownButtonClick(QObject* Sender);
  void RandomizeButtonClick(QObject* Sender);
  void SortButtonClick(QObject* Sender);
  void InsPauseButtonClick(QObject* Sender);
  void InsStopButtonClick(QObject* Sender);
  void InsQuitButtonClick(QObject* Sender);

  // ---- Directory import and removal (playlist/DirectoryImport.cpp) ----
  void AddDirButtonClick(QObject* Sender);
  void RemoveDirButtonClick(QObject* Sender);
  // Appends the directory's media files (recursing with the option) and extends the title.
  void AddDirectory(const QString& directory);

  // ---- Dropping files on the window (playlist/Dropping.cpp) ----
  // Each dropped item in turn: a folder is added as Add directory adds it, a play list is
  // opened as Open opens it, any other file is added as Add adds it. URIs that are not local
  // files are left out and named in one error afterwards.
  void DropUrls(const QList<QUrl>& urls);

  // ---- Total length (playlist/TotalLength.cpp) ----
  void LengthButtonClick(QObject* Sender);

  // ---- Settings (settings/SettingsStore.cpp) ----
  void LoadSettings();
  QString ReadSetting(const QString& Name, const QString& Default);
  void SaveSettings();
  void OptionsButtonClick(QObject* Sender);

  // ---- Volume bars (mixer/VolumeBars.cpp) ----
  void VolumeBarChange(QObject* Sender);
  void WaveVolumeBarChange(QObject* Sender);
  void AuxVolumeBarChange(QObject* Sender);
  void MicVolumeBarChange(QObject* Sender);
  void CDVolumeBarChange(QObject* Sender);
  void MidiVolumeBarChange(QObject* Sender);
  void RefreshVolumeBars();

  // ---- Shell associations (shell/ShellAssociations.cpp) ----
  void RegisterExtension(const QString& Ext);
  void OfferAssociation(const QString& Ext);
  void UnregisterExtension(const QString& Ext);
  void FirstStartShellSetup();
  void ShellButtonClick(QObject* Sender);

 protected:
  // Drops anywhere on the window go where drops on the list go (main/MainForm.cpp).
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void CreateMenus();
  void WireHandlers();
  // Connects a control's signal to a handler through the application's guard.
  template <class F>
  void Guarded(F&& f);

  Forms& forms_;
  QWidget* client_;
  bool closing_ = false;
};

}  // namespace ostrivo
