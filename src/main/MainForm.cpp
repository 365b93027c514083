// The main window's design: its controls, menus and the wiring of every handler through the
// application's guard.

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <memory>

#include "app/Forms.h"
#include "main/Glyphs.h"
#include "main/ListLines.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "mixer/AMixer.h"
#include "player/DevicePosition.h"
#include "player/MediaPlayer.h"
#include "settings/Registry.h"

namespace ostrivo {

namespace {

using glyphs::Glyph;

// How a tool-bar button shows itself: a glyph, a glyph with its own disabled look, or text.
enum class Face { Glyph, TwoGlyphs, Caption };

struct ButtonDesign {
  TSpeedButton* TMainForm::*field;
  const char* name;
  int left;
  int width;
  const char* hint;
  Face face;
  Glyph glyph;
  const char* caption;
};

const ButtonDesign kButtons[] = {
    {&TMainForm::NewButton, "NewButton", 0, 20, "New", Face::TwoGlyphs, Glyph::New, nullptr},
    {&TMainForm::OpenButton, "OpenButton", 20, 20, "Open", Face::TwoGlyphs, Glyph::Open, nullptr},
    {&TMainForm::SaveButton, "SaveButton", 39, 20, "Save", Face::TwoGlyphs, Glyph::Save, nullptr},
    {&TMainForm::AddDirButton, "AddDirButton", 65, 20, "Add all files in a specified directory",
     Face::Glyph, Glyph::AddDir, nullptr},
    {&TMainForm::RemoveDirButton, "RemoveDirButton", 85, 20,
     "Remove all files coming from a specified directory", Face::Glyph, Glyph::RemoveDir, nullptr},
    {&TMainForm::AddButton, "AddButton", 111, 20, "Add", Face::Glyph, Glyph::Add, nullptr},
    {&TMainForm::RemoveButton, "RemoveButton", 131, 19, "Remove", Face::Glyph, Glyph::Remove,
     nullptr},
    {&TMainForm::InsPauseButton, "InsPauseButton", 157, 19, "Insert a pause", Face::Glyph,
     Glyph::InsPause, nullptr},
    {&TMainForm::InsStopButton, "InsStopButton", 176, 20, "Insert a Stop mark", Face::Glyph,
     Glyph::InsStop, nullptr},
    {&TMainForm::InsQuitButton, "InsQuitButton", 196, 19, "Insert a Quit mark", Face::Glyph,
     Glyph::InsQuit, nullptr},
    {&TMainForm::DownButton, "DownButton", 221, 20, "Move downwards", Face::Glyph, Glyph::Down,
     nullptr},
    {&TMainForm::UpButton, "UpButton", 241, 20, "Move upwards", Face::Glyph, Glyph::Up, nullptr},
    {&TMainForm::RandomizeButton, "RandomizeButton", 260, 20, "Randomize files", Face::Glyph,
     Glyph::Randomize, nullptr},
    {&TMainForm::SortButton, "SortButton", 280, 20, "Sorts files alphabetically", Face::Glyph,
     Glyph::Sort, nullptr},
    {&TMainForm::PlayButton, "PlayButton", 306, 20, "Play", Face::Glyph, Glyph::Play, nullptr},
    {&TMainForm::PauseButton, "PauseButton", 325, 20, "Pause", Face::Glyph, Glyph::Pause, nullptr},
    {&TMainForm::StopButton, "StopButton", 345, 19, "Stop", Face::Glyph, Glyph::Stop, nullptr},
    {&TMainForm::PreviousButton, "PreviousButton", 371, 20, "Previous", Face::Glyph,
     Glyph::Previous, nullptr},
    {&TMainForm::NextButton, "NextButton", 390, 20, "Next", Face::Glyph, Glyph::Next, nullptr},
    {&TMainForm::LengthButton, "LengthButton", 416, 20, nullptr, Face::Glyph, Glyph::Length,
     nullptr},
    {&TMainForm::OptionsButton, "OptionsButton", 442, 20, "Options", Face::Glyph, Glyph::Options,
     nullptr},
    {&TMainForm::MarkButton, "MarkButton", 469, 39, nullptr, Face::Caption, Glyph::New, "Mark"},
    {&TMainForm::PlayMarkButton, "PlayMarkButton", 508, 39, "Play", Face::Caption, Glyph::New,
     "Play"},
    {&TMainForm::ShellButton, "ShellButton", 474, 20, "Options", Face::TwoGlyphs, Glyph::Shell,
     nullptr},
};

// Key preview: the main window sees every key of its own controls before they do. It runs
// FormKeyDown and FormKeyPress for a key going down and FormKeyUp for a key going up, then
// hands the key on to the control it was meant for. An auto-repeated key sends no key-up
// until the key is really released.
class KeyPreview : public QObject {
 public:
  explicit KeyPreview(TMainForm& form) : QObject(&form), form_(form) {
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    // Our own copy on its way to the control, and up its parents.
    if (event == forwarding_) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &form_) return false;
    // The menu bar's own keyboard navigation is not the window's business.
    if (widget == form_.menuBar()) return false;

    auto* key = static_cast<QKeyEvent*>(event);
    QPointer<QObject> target(watched);
    TApplication& app = form_.Application();
    if (type == QEvent::KeyPress) {
      app.Guard([&] { form_.FormKeyDown(key->key(), key->modifiers()); });
      if (!key->text().isEmpty()) app.Guard([&] { form_.FormKeyPress(key->text().at(0)); });
    } else if (!key->isAutoRepeat()) {
      app.Guard([&] { form_.FormKeyUp(key->key(), key->modifiers()); });
    }
    if (target) {
      // The copy travels the usual way (the control, then its parents while none accepts it);
      // the original stops here so that the form does not see the key twice.
      std::unique_ptr<QEvent> copy(key->clone());
      const QEvent* outer = forwarding_;
      forwarding_ = copy.get();
      QCoreApplication::sendEvent(target, copy.get());
      forwarding_ = outer;
    }
    key->accept();
    return true;
  }

 private:
  TMainForm& form_;
  const QEvent* forwarding_ = nullptr;
};

// The clock label sizes itself to its text: the time of day is wider than "Clock". A new text
// asks the label's parent for a layout, and the label is fitted then. The text changes every
// second, and measuring it costs as much as a good part of painting it; but where the figures
// of the font are all equally wide, as in most fonts, a text is as wide as the last one measured
// when the two differ in their figures alone, so only a text of a new pattern is measured.
class FitToText : public QObject {
 public:
  explicit FitToText(QLabel* label) : QObject(label), label_(label) {
    label->parentWidget()->installEventFilter(this);
    Fit();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == label_->parentWidget() && event->type() == QEvent::LayoutRequest) Fit();
    return false;
  }

 private:
  void Fit() {
    if (label_->font() != font_) {
      font_ = label_->font();
      const QFontMetricsF metrics(font_);
      const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
      evenFigures_ = true;
      for (char c = '1'; c <= '9'; ++c)
        evenFigures_ = evenFigures_ && metrics.horizontalAdvance(QLatin1Char(c)) == zero;
      pattern_.clear();
    }
    QString pattern = label_->text();
    if (evenFigures_)
      for (QChar& c : pattern)
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9')) c = QLatin1Char('0');
    if (!evenFigures_ || pattern_.isNull() || pattern != pattern_) {
      width_ = label_->sizeHint().width();
      pattern_ = pattern;
    }
    label_->resize(width_, label_->height());
  }

  QLabel* label_;
  QFont font_;
  bool evenFigures_ = false;
  QString pattern_;  // the last measured text, its figures as "0"; null: none measured
  int width_ = 0;
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
  ClockPosition = std::make_unique<TDevicePosition>(*MediaPlayer1, forms_.services.scheduler);
  RxTrayIcon1 = new TRxTrayIcon(forms_.services.shell, this);
  RxTrayIcon1->SetPopupMenu(TrayPopup);
  WireHandlers();
  client_->installEventFilter(this);
  ListBox1->viewport()->installEventFilter(this);
  new KeyPreview(*this);
  // Files dropped anywhere on the window go to the play list.
  setAcceptDrops(true);
  resize(640, 400);
  Application().Guard([this] { FormCreate(this); });
}

TMainForm::~TMainForm() {
  Application().Guard([this] { FormDestroy(this); });
  Timer1->SetEnabled(false);
  Timer1->OnTimer = nullptr;
  MediaPlayer1->OnNotify = nullptr;
  MediaPlayer1->OnChange = nullptr;
  MediaPlayer1->OnWindowClose = nullptr;
  forms_.services.clock.OnTimeSet = nullptr;
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
  // The window's font, which its controls share: the desktop's UI font with 10-pixel
  // characters.
  QFont font = QApplication::font();
  font.setPixelSize(10);
  client_->setFont(font);

  Panel1 = new TPanel(client_);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, 0, 640, 20);
  for (const ButtonDesign& b : kButtons) {
    auto* button = new TSpeedButton(Panel1);
    button->setObjectName(QString::fromLatin1(b.name));
    button->setGeometry(b.left, 0, b.width, 20);
    if (b.hint) button->setToolTip(QString::fromLatin1(b.hint));
    switch (b.face) {
      case Face::Glyph:
        button->SetGlyphs(glyphs::Icon(b.glyph));
        break;
      case Face::TwoGlyphs:
        button->SetGlyphs(glyphs::Icon(b.glyph), glyphs::DisabledIcon(b.glyph));
        break;
      case Face::Caption:
        button->setText(QString::fromLatin1(b.caption));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        break;
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
  // Black on the tool bar, whose background shows through (a label fills none). A palette,
  // not a style sheet: the label is repainted every second, and a style sheet's rules are
  // looked up again on each paint.
  QPalette black = Clock->palette();
  black.setColor(QPalette::WindowText, Qt::black);
  Clock->setPalette(black);
  new FitToText(Clock);

  ListBox1 = new TListBox(client_);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
  ListBox1->setItemDelegate(new LineDelegate(ListBox1));

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
  TrackBar1->setGeometry(0, 0, 640, 20);

  StatusBar1 = new TStatusBar(client_);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setGeometry(0, 0, 640, 20);
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

  Timer1->OnTimer = [this](QObject* sender) {
    Application().Guard([&] { Timer1Timer(sender); });
    Timer1->SleepUntil(ClockNextChange());
  };
  MediaPlayer1->OnNotify = [this](QObject* sender) {
    Application().Guard([&] { MediaPlayer1Notify(sender); });
  };
  // Closing the window a video plays in stops, as closing the picture window does.
  MediaPlayer1->OnWindowClose = [this](QObject* sender) {
    Application().Guard([&] { StopButtonClick(sender); });
  };
  RxTrayIcon1->OnClick = [this](QObject* sender) {
    Application().Guard([&] { RxTrayIcon1Click(sender); });
  };

  connect(ListBox1, &QAbstractItemView::clicked, this,
          [this] { Application().Guard([&] { ListBox1Click(ListBox1); }); });
  connect(ListBox1, &QAbstractItemView::doubleClicked, this,
          [this] { Application().Guard([&] { ListBox1DblClick(ListBox1); }); });
  ListBox1->OnDropUrls = [this](const QList<QUrl>& urls) {
    Application().Guard([&] { DropUrls(urls); });
  };
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

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  ListBox1->TakeDrag(event);
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
  ListBox1->TakeDrag(event);
}

void TMainForm::dragLeaveEvent(QDragLeaveEvent*) {
  ListBox1->LeaveDrag();
}

void TMainForm::dropEvent(QDropEvent* event) {
  ListBox1->TakeDrop(event);
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
  if (watched == client_ && event->type() == QEvent::Resize) {
    // The tool bar and the status line are docked to the top and bottom edges at full width;
    // the layout rule places the rest.
    Panel1->setGeometry(0, 0, client_->width(), Panel1->height());
    StatusBar1->setGeometry(0, StatusBar1->y(), client_->width(), StatusBar1->height());
    Application().Guard([&] { FormResize(this); });
  } else if (watched == ListBox1->viewport() &&
             (event->type() == QEvent::MouseButtonPress ||
              event->type() == QEvent::MouseButtonDblClick ||
              event->type() == QEvent::MouseButtonRelease) &&
             static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    // The right button opens the context menu and leaves the selection where it is.
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace ostrivo
