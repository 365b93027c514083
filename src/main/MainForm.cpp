// The main window's design: its controls, menus and the wiring of every handler through the
// application's guard.

#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenuBar>
#include <QResizeEvent>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "mixer/AMixer.h"
#include "player/MediaPlayer.h"
#include "settings/Registry.h"

namespace ostrivo {

namespace {

struct ButtonDesign {
  TSpeedButton* TMainForm::*field;
  int left;
  int width;
  const char* hint;
  const char* caption;  // shown as text instead of a glyph
};

const ButtonDesign kButtons[] = {
    {&TMainForm::NewButton, 0, 20, "New", nullptr},
    {&TMainForm::OpenButton, 20, 20, "Open", nullptr},
    {&TMainForm::SaveButton, 39, 20, "Save", nullptr},
    {&TMainForm::AddDirButton, 65, 20, "Add all files in a specified directory", nullptr},
    {&TMainForm::RemoveDirButton, 85, 20, "Remove all files coming from a specified directory",
     nullptr},
    {&TMainForm::AddButton, 111, 20, "Add", nullptr},
    {&TMainForm::RemoveButton, 131, 19, "Remove", nullptr},
    {&TMainForm::InsPauseButton, 157, 19, "Insert a pause", nullptr},
    {&TMainForm::InsStopButton, 176, 20, "Insert a Stop mark", nullptr},
    {&TMainForm::InsQuitButton, 196, 19, "Insert a Quit mark", nullptr},
    {&TMainForm::DownButton, 221, 20, "Move downwards", nullptr},
    {&TMainForm::UpButton, 241, 20, "Move upwards", nullptr},
    {&TMainForm::RandomizeButton, 260, 20, "Randomize files", nullptr},
    {&TMainForm::SortButton, 280, 20, "Sorts files alphabetically", nullptr},
    {&TMainForm::PlayButton, 306, 20, "Play", nullptr},
    {&TMainForm::PauseButton, 325, 20, "Pause", nullptr},
    {&TMainForm::StopButton, 345, 19, "Stop", nullptr},
    {&TMainForm::PreviousButton, 371, 20, "Previous", nullptr},
    {&TMainForm::NextButton, 390, 20, "Next", nullptr},
    {&TMainForm::LengthButton, 416, 20, nullptr, nullptr},
    {&TMainForm::OptionsButton, 442, 20, "Options", nullptr},
    {&TMainForm::MarkButton, 469, 39, nullptr, "Mark"},
    {&TMainForm::PlayMarkButton, 508, 39, "Play", "Play"},
    {&TMainForm::ShellButton, 474, 20, "Options", nullptr},
};

}  // namespace

TMainForm::TMainForm(Forms& forms) : QMainWindow(nullptr), forms_(forms) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Ostrivo 1.0"));
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("Client"));
  setCentralWidget(client_);
  CreateControls();
  CreateMenus();
  Timer1 = new TTimer(forms_.services.scheduler, this);
  Timer1->SetInterval(1);
  MediaPlayer1 = new TMediaPlayer(forms_.services.media, this);
  RxTrayIcon1 = new TRxTrayIcon(forms_.services.shell, this);
  RxTrayIcon1->SetPopupMenu(TrayPopup);
  WireHandlers();
  client_->installEventFilter(this);
  resize(640, 400);
  Application().Guard([this] { FormCreate(this); });
}

TMainForm::~TMainForm() {
  Application().Guard([this] { FormDestroy(this); });
  Timer1->SetEnabled(false);
  Timer1->OnTimer = nullptr;
  MediaPlayer1->OnNotify = nullptr;
}

TApplication& TMainForm::Application() {
  return forms_.Application;
}

int TMainForm::ClientWidth() const {
  return client_->width();
}
int TMainForm::ClientHeight() const {
  return client_->height();
}

void TMainForm::CreateControls() {
  Panel1 = new TPanel(client_);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, 0, 640, 20);
  for (const ButtonDesign& b : kButtons) {
    auto* button = new TSpeedButton(Panel1);
    button->setGeometry(b.left, 0, b.width, 20);
    if (b.hint) button->setToolTip(QString::fromLatin1(b.hint));
    if (b.caption) {
      button->setText(QString::fromLatin1(b.caption));
      button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    this->*(b.field) = button;
  }
  ShellButton->setVisible(false);
  ShellButton->setEnabled(false);
  PauseButton->setEnabled(false);
  StopButton->setEnabled(false);

  Clock = new QLabel(QStringLiteral("Clock"), Panel1);
  Clock->setObjectName(QStringLiteral("Clock"));
  Clock->setGeometry(553, 2, 28, 15);
  QFont serif(QStringLiteral("serif"));
  serif.setStyleHint(QFont::Serif);
  serif.setPixelSize(12);
  Clock->setFont(serif);
  Clock->setStyleSheet(QStringLiteral("color: black; background: transparent;"));

  ListBox1 = new TListBox(client_);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);

  struct BarDesign {
    TTrackBar* TMainForm::*field;
    const char* name;
    const char* hint;
  };
  const BarDesign bars[] = {
      {&TMainForm::VolumeBar, "VolumeBar", "Master Volume"},
      {&TMainForm::WaveVolumeBar, "WaveVolumeBar", "Wave Volume"},
      {&TMainForm::AuxVolumeBar, "AuxVolumeBar", "Line-In Volume"},
      {&TMainForm::MicVolumeBar, "MicVolumeBar", "Microphone Volume"},
      {&TMainForm::CDVolumeBar, "CDVolumeBar", "CD Volume"},
      {&TMainForm::MidiVolumeBar, "MidiVolumeBar", "Synthesizer Volume"},
  };
  for (const BarDesign& b : bars) {
    auto* bar = new TTrackBar(Qt::Vertical, client_);
    bar->setObjectName(QString::fromLatin1(b.name));
    bar->setToolTip(QString::fromLatin1(b.hint));
    bar->SetRange(0, 65535);
    // The minimum stands at the top: the top of a bar is the loudest setting.
    bar->setInvertedAppearance(true);
    bar->setInvertedControls(true);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setTickPosition(QSlider::NoTicks);
    bar->SetPosition(15);
    bar->setGeometry(0, 20, 25, 150);
    this->*(b.field) = bar;
  }

  TrackBar1 = new TTrackBar(Qt::Horizontal, client_);
  TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
  TrackBar1->SetRange(0, 10);
  TrackBar1->setTickPosition(QSlider::TicksBelow);
  TrackBar1->setTickInterval(1);
  TrackBar1->setSingleStep(0);
  TrackBar1->setPageStep(0);
  TrackBar1->setFocusPolicy(Qt::ClickFocus);  // not in the tab order

  StatusBar1 = new TStatusBar(client_);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
}

void TMainForm::CreateMenus() {
  QMenuBar* bar = menuBar();
  File1 = bar->addMenu(QStringLiteral("&File"));
  New1 = File1->addAction(QStringLiteral("&New..."));
  Open1 = File1->addAction(QStringLiteral("&Open..."));
  Save1 = File1->addAction(QStringLiteral("&Save..."));
  File1->addSeparator();
  Exit1 = File1->addAction(QStringLiteral("E&xit"));

  Edit2 = bar->addMenu(QStringLiteral("&Edit"));
  Add1 = Edit2->addAction(QStringLiteral("&Add..."));
  Remove1 = Edit2->addAction(QStringLiteral("&Remove..."));
  Edit2->addSeparator();
  Adddirectory1 = Edit2->addAction(QStringLiteral("Add directory..."));
  RemoveDirectory1 = Edit2->addAction(QStringLiteral("Remove Directory..."));
  Edit2->addSeparator();
  Options1 = Edit2->addAction(QStringLiteral("&Options..."));

  Player1 = bar->addMenu(QStringLiteral("&Player"));
  Play1 = Player1->addAction(QStringLiteral("&Play"));
  Pause1 = Player1->addAction(QStringLiteral("Pa&use"));
  Stop1 = Player1->addAction(QStringLiteral("&Stop"));
  Player1->addSeparator();
  Next1 = Player1->addAction(QStringLiteral("&Next"));
  Previous1 = Player1->addAction(QStringLiteral("P&revious"));
  Player1->addSeparator();
  TotalLength1 = Player1->addAction(QStringLiteral("Total &Length"));
  Pause1->setEnabled(false);
  Stop1->setEnabled(false);

  // "&Help" is a command on the menu bar itself, not a menu.
  Help1 = bar->addAction(QStringLiteral("&Help"));

  TrayPopup = new QMenu(this);
  PopupPlay = TrayPopup->addAction(QStringLiteral("&Play"));
  PopupPause = TrayPopup->addAction(QStringLiteral("P&ause"));
  PopupStop = TrayPopup->addAction(QStringLiteral("&Stop"));
  TrayPopup->addSeparator();
  PopupPrevious = TrayPopup->addAction(QStringLiteral("P&revious"));
  PopupNext = TrayPopup->addAction(QStringLiteral("&Next"));
  TrayPopup->addSeparator();
  PopupExit = TrayPopup->addAction(QStringLiteral("&Close"));
  PopupPause->setEnabled(false);
  PopupStop->setEnabled(false);
}

void TMainForm::WireHandlers() {
  auto click = [this](TSpeedButton* b, void (TMainForm::*handler)(QObject*)) {
    connect(b, &QToolButton::clicked, this,
            [this, b, handler] { Application().Guard([&] { (this->*handler)(b); }); });
  };
  auto item = [this](QAction* a, void (TMainForm::*handler)(QObject*)) {
    connect(a, &QAction::triggered, this,
            [this, a, handler] { Application().Guard([&] { (this->*handler)(a); }); });
  };

  click(NewButton, &TMainForm::NewButtonClick);
  click(OpenButton, &TMainForm::OpenButtonClick);
  click(SaveButton, &TMainForm::SaveButtonClick);
  click(AddDirButton, &TMainForm::AddDirButtonClick);
  click(RemoveDirButton, &TMainForm::RemoveDirButtonClick);
  click(AddButton, &TMainForm::AddButtonClick);
  click(RemoveButton, &TMainForm::RemoveButtonClick);
  click(InsPauseButton, &TMainForm::InsPauseButtonClick);
  click(InsStopButton, &TMainForm::InsStopButtonClick);
  click(InsQuitButton, &TMainForm::InsQuitButtonClick);
  click(DownButton, &TMainForm::DownButtonClick);
  click(UpButton, &TMainForm::UpButtonClick);
  click(RandomizeButton, &TMainForm::RandomizeButtonClick);
  click(SortButton, &TMainForm::SortButtonClick);
  click(PlayButton, &TMainForm::PlayButtonClick);
  click(PauseButton, &TMainForm::PauseButtonClick);
  click(StopButton, &TMainForm::StopButtonClick);
  click(PreviousButton, &TMainForm::PreviousButtonClick);
  click(NextButton, &TMainForm::NextButtonClick);
  click(LengthButton, &TMainForm::LengthButtonClick);
  click(OptionsButton, &TMainForm::OptionsButtonClick);
  click(MarkButton, &TMainForm::MarkButtonClick);
  click(PlayMarkButton, &TMainForm::PlayMarkButtonClick);
  click(ShellButton, &TMainForm::ShellButtonClick);

  item(New1, &TMainForm::NewButtonClick);
  item(Open1, &TMainForm::OpenButtonClick);
  item(Save1, &TMainForm::SaveButtonClick);
  item(Exit1, &TMainForm::Exit1Click);
  item(Add1, &TMainForm::AddButtonClick);
  item(Remove1, &TMainForm::RemoveButtonClick);
  item(Adddirectory1, &TMainForm::AddDirButtonClick);
  item(RemoveDirectory1, &TMainForm::RemoveDirButtonClick);
  item(Options1, &TMainForm::OptionsButtonClick);
  item(Play1, &TMainForm::PlayButtonClick);
  item(Pause1, &TMainForm::PauseButtonClick);
  item(Stop1, &TMainForm::StopButtonClick);
  item(Next1, &TMainForm::NextButtonClick);
  item(Previous1, &TMainForm::PreviousButtonClick);
  item(TotalLength1, &TMainForm::LengthButtonClick);
  item(Help1, &TMainForm::Help1Click);
  item(PopupPlay, &TMainForm::PlayButtonClick);
  item(PopupPause, &TMainForm::PauseButtonClick);
  item(PopupStop, &TMainForm::StopButtonClick);
  item(PopupPrevious, &TMainForm::PreviousButtonClick);
  item(PopupNext, &TMainForm::NextButtonClick);
  item(PopupExit, &TMainForm::PopupExitClick);

  auto bar = [this](TTrackBar* b, void (TMainForm::*handler)(QObject*)) {
    b->OnChange = [this, handler](QObject* sender) {
      Application().Guard([&] { (this->*handler)(sender); });
    };
  };
  bar(TrackBar1, &TMainForm::TrackBar1Change);
  bar(VolumeBar, &TMainForm::VolumeBarChange);
  bar(WaveVolumeBar, &TMainForm::WaveVolumeBarChange);
  bar(AuxVolumeBar, &TMainForm::AuxVolumeBarChange);
  bar(MicVolumeBar, &TMainForm::MicVolumeBarChange);
  bar(CDVolumeBar, &TMainForm::CDVolumeBarChange);
  bar(MidiVolumeBar, &TMainForm::MidiVolumeBarChange);

  Timer1->OnTimer = [this](QObject* sender) { Application().Guard([&] { Timer1Timer(sender); }); };
  MediaPlayer1->OnNotify = [this](QObject* sender) {
    Application().Guard([&] { MediaPlayer1Notify(sender); });
  };
  RxTrayIcon1->OnClick = [this](QObject* sender) {
    Application().Guard([&] { RxTrayIcon1Click(sender); });
  };

  connect(ListBox1, &QAbstractItemView::clicked, this,
          [this] { Application().Guard([&] { ListBox1Click(ListBox1); }); });
  connect(ListBox1, &QAbstractItemView::doubleClicked, this,
          [this] { Application().Guard([&] { ListBox1DblClick(ListBox1); }); });
  connect(ListBox1, &QWidget::customContextMenuRequested, this,
          [this] { TrayPopup->popup(QCursor::pos()); });
}

void TMainForm::FormCreate(QObject*) {
  FirstTick = true;
  Mixer = std::make_unique<TAudioMixer>(forms_.services.mixer, this);
}

void TMainForm::FormDestroy(QObject*) {
  if (Active()) StopButtonClick(this);
}

void TMainForm::Close() {
  if (closing_) return;
  bool canClose = true;
  Application().Guard([&] { FormCloseQuery(this, canClose); });
  if (!canClose) return;
  closing_ = true;
  hide();
  forms_.Terminate();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // Every way of closing runs the same close; Qt's own close is not used.
  event->ignore();
  Close();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) &&
      !Application().Minimized())
    Application().Minimize();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize)
    Application().Guard([&] { FormResize(this); });
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace ostrivo
