// The options dialog's design: its controls, their captions, hints and first states, and their
// places. The handlers are in SettingsStore.cpp.
#include <QGuiApplication>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "app/Forms.h"
#include "framework/Dialogs.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

// ---- TUpDown ----

namespace {
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 100;
}  // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  for (QToolButton* b : {up_, down_}) {
    b->setFocusPolicy(Qt::NoFocus);  // an up-down never takes the keyboard focus
    b->setAutoRaise(false);
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  connect(up_, &QToolButton::pressed, this, [this] { Press(+1); });
  connect(down_, &QToolButton::pressed, this, [this] { Press(-1); });
  connect(up_, &QToolButton::released, this, [this] { Release(); });
  connect(down_, &QToolButton::released, this, [this] { Release(); });
  connect(&repeat_, &QTimer::timeout, this, [this] {
    repeat_.setInterval(kRepeatIntervalMs);
    QToolButton* held = repeatDirection_ > 0 ? up_ : down_;
    if (held->isDown()) Step(repeatDirection_);
  });
}

void TUpDown::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
}

void TUpDown::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  SetPosition(position_);
}

void TUpDown::Step(int direction) {
  const int next = position_ + direction * increment_;
  if (next > max_) {
    position_ = wrap_ ? min_ : max_;
  } else if (next < min_) {
    position_ = wrap_ ? max_ : min_;
  } else {
    position_ = next;
  }
}

void TUpDown::Press(int direction) {
  Step(direction);
  repeatDirection_ = direction;
  repeat_.start(kRepeatDelayMs);
  if (OnMouseDown) OnMouseDown(this);
}

void TUpDown::Release() {
  repeat_.stop();
}

void TUpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

// ---- TColorDialog ----

bool TColorDialog::Execute() {
  const auto chosen = dialogs_.ChooseColor(Color);
  if (!chosen) return false;
  Color = *chosen;
  return true;
}

// ---- TOptionsForm ----

TOptionsForm::TOptionsForm(Forms& forms)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      ColorDialog1(forms.services.dialogs),
      forms_(forms) {
  setWindowTitle(QStringLiteral("Options"));
  CreateControls();
  PlaceControls();
  WireHandlers();
}

TOptionsForm::~TOptionsForm() = default;

void TOptionsForm::CreateControls() {
  Panel1 = new QWidget(this);
  Panel2 = new QWidget(this);
  PageControl1 = new QTabWidget(Panel1);
  TabSheet1 = new QWidget;
  TabSheet2 = new QWidget;
  PageControl1->addTab(TabSheet1, QStringLiteral("General"));
  PageControl1->addTab(TabSheet2, QStringLiteral("Pictures"));
  PageControl1->setCurrentIndex(0);

  auto check = [](const char* caption, const char* hint, bool checked, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    if (hint) box->setToolTip(QString::fromLatin1(hint));
    box->setChecked(checked);
    return box;
  };
  // The two seconds fields take digits only, and an emptied field shows "0": the readers of
  // these options always find a whole number in them.
  auto secondsEdit = [this](const char* text, const char* hint, QWidget* parent) {
    auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
    edit->setToolTip(QString::fromLatin1(hint));
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{1,%1}").arg(kSecondsDigits)), edit));
    connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
      if (!text.isEmpty()) return;
      edit->setText(QStringLiteral("0"));
      edit->selectAll();
    });
    return edit;
  };
  auto upDown = [](int position, QWidget* parent) {
    auto* u = new TUpDown(parent);
    u->SetRange(0, 100);
    u->SetWrap(true);
    u->SetPosition(position);
    return u;
  };

  GeneralBox = new QGroupBox(QStringLiteral("General Prefferences"), TabSheet1);
  RandomBox = check("Random play", "Plays items randomly", false, GeneralBox);
  ContinuousBox = check("Continuous play", "Plays the list continously", false, GeneralBox);
  RecurseBox =
      check("Recurse subdirectories", "Add files from all subdirectories", false, GeneralBox);
  Label2 = new QLabel(QStringLiteral("Pause: "), GeneralBox);
  Edit2 = secondsEdit("0", "Number of seconds to pause after each item", GeneralBox);
  UpDown2 = upDown(0, GeneralBox);
  VolumeBox = check("Volume Bar Visible", nullptr, true, GeneralBox);
  WaveVolumeBox = check("Wave Volume Bar Visible", nullptr, true, GeneralBox);
  AuxVolumeBox = check("Line-In Volume Bar Visible", nullptr, true, GeneralBox);
  MicVolumeBox = check("Microphone Volume Bar Visible", nullptr, true, GeneralBox);
  CDVolumeBox = check("CD Volume Bar Visible", nullptr, true, GeneralBox);
  MidiVolumeBox = check("Synthesizer Volume Bar Visible", nullptr, true, GeneralBox);

  PictureBox = new QGroupBox(QStringLiteral("Pictures Prefferences"), TabSheet2);
  Label1 = new QLabel(QStringLiteral("Display time:"), PictureBox);
  Edit1 = secondsEdit("3", "How long a picture will be displayed (in seconds)", PictureBox);
  UpDown1 = upDown(3, PictureBox);
  FitBox = check("Fit picture",
                 "If picture is bigger than the screen it will be adjusted to fit the screen",
                 false, PictureBox);
  StretchBox = check("Stretch picture", "The picture will be stretched to fit the screen", false,
                     PictureBox);
  TitleBox = check("Title Visible", nullptr, false, PictureBox);
  BackgroundButton = new QPushButton(QStringLiteral("Background Color"), PictureBox);

  OKBtn = new QPushButton(QStringLiteral("OK"), Panel2);
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"), Panel2);
  HelpBtn = new QPushButton(QStringLiteral("&Help"), Panel2);
  CancelBtn->hide();
  HelpBtn->hide();
}

namespace {

// The width an edit needs to show digits characters without clipping: the text, the edit's
// own inner margin (2 pixels a side), its text margins, its frame and the cursor.
int EditWidthFor(const QLineEdit* edit, int digits) {
  const QFontMetrics fm(edit->font());
  const QMargins m = edit->textMargins();
  const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
  return fm.horizontalAdvance(QString(digits, QLatin1Char('0'))) + 4 + m.left() + m.right() +
         2 * frame + 2;
}

int Right(const QWidget* w) {
  return w->x() + w->width();
}
int Bottom(const QWidget* w) {
  return w->y() + w->height();
}

}  // namespace

// The design's places are for a smaller font than the desktop's. Each control keeps its place
// but grows to what its text needs; rows move apart when the desktop font's rows are taller,
// what stands right of a widened control moves along, and the boxes, pages and the window
// grow to hold everything.
void TOptionsForm::PlaceControls() {
  const double sy = std::max(1.0, RandomBox->sizeHint().height() / 18.0);
  const auto Y = [sy](int y) { return static_cast<int>(std::lround(y * sy)); };
  const auto fit = [&](QWidget* w, int x, int y, int width, int height) {
    const QSize hint = w->sizeHint();
    w->setGeometry(x, Y(y), std::max(width, hint.width()), std::max(Y(height), hint.height()));
  };
  // A label, then its edit and up-down on one row; the label centred on the edit's height.
  const auto field = [&](QLabel* label, QLineEdit* edit, TUpDown* upDown, int labelX, int editX,
                         int editY, int editW, int editH, int upDownW) {
    label->adjustSize();
    edit->setGeometry(std::max(editX, labelX + label->width() + 3), Y(editY),
                      std::max(editW, EditWidthFor(edit, 3)),
                      std::max(Y(editH), edit->sizeHint().height()));
    label->move(labelX, edit->y() + (edit->height() - label->height()) / 2);
    upDown->setGeometry(Right(edit), edit->y(), std::max(upDownW, Y(upDownW)), edit->height());
  };

  // "General": two columns.
  fit(RandomBox, 17, 18, 98, 18);
  fit(ContinuousBox, 17, 41, 104, 18);
  fit(RecurseBox, 17, 67, 128, 18);
  field(Label2, Edit2, UpDown2, 17, 56, 90, 52, 21, 13);
  int left = 0;
  for (QWidget* w : {static_cast<QWidget*>(RandomBox), static_cast<QWidget*>(ContinuousBox),
                     static_cast<QWidget*>(RecurseBox), static_cast<QWidget*>(UpDown2)})
    left = std::max(left, Right(w));
  const int column = std::max(208, left + 12);
  fit(VolumeBox, column, 24, 121, 17);
  fit(WaveVolumeBox, column, 48, 145, 17);
  fit(AuxVolumeBox, column, 72, 145, 17);
  fit(MicVolumeBox, column, 96, 169, 17);
  fit(CDVolumeBox, column, 120, 145, 17);
  fit(MidiVolumeBox, column, 144, 177, 17);

  // "Pictures".
  field(Label1, Edit1, UpDown1, 17, 86, 26, 28, 24, 13);
  fit(FitBox, 20, 59, 65, 18);
  fit(StretchBox, 20, 86, 104, 17);
  fit(TitleBox, 20, 112, 104, 17);
  fit(BackgroundButton, 20, 137, 104, 20);

  // The two boxes, as wide as each other and as their contents need.
  const auto extent = [](QGroupBox* box) {
    QSize s;
    for (QWidget* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      s = s.expandedTo(QSize(Right(w), Bottom(w)));
    return s + QSize(10, 10);
  };
  const int boxWidth = std::max({397, extent(GeneralBox).width(), extent(PictureBox).width()});
  GeneralBox->setGeometry(7, 7, boxWidth, std::max(Y(221), extent(GeneralBox).height()));
  PictureBox->setGeometry(7, 7, boxWidth, std::max(Y(215), extent(PictureBox).height()));

  // The page control around the pages; Panel1 around it with its 5-pixel margin.
  const QSize page(7 + boxWidth + 5, std::max(Bottom(GeneralBox), Bottom(PictureBox)));
  TabSheet1->setMinimumSize(page);
  TabSheet2->setMinimumSize(page);
  const QSize pages = PageControl1->minimumSizeHint().expandedTo(QSize(417, Y(256)));

  // Panel2: the buttons keep their places from the right edge, as in the design.
  for (QPushButton* b : {OKBtn, CancelBtn, HelpBtn}) b->adjustSize();
  const int buttonHeight = std::max(Y(25), OKBtn->sizeHint().height());
  const int panel2Height = std::max(Y(34), buttonHeight + 9);
  const int width = std::max(427, pages.width() + 10);
  const int height = pages.height() + 10 + panel2Height;
  setFixedSize(width, height);
  Panel1->setGeometry(0, 0, width, height - panel2Height);
  PageControl1->setGeometry(5, 5, width - 10, height - panel2Height - 10);
  Panel2->setGeometry(0, height - panel2Height, width, panel2Height);
  const int shift = width - 427;
  const int buttonWidth = std::max(
      {75, OKBtn->sizeHint().width(), CancelBtn->sizeHint().width(), HelpBtn->sizeHint().width()});
  OKBtn->setGeometry(180 + shift, Y(2), buttonWidth, buttonHeight);
  CancelBtn->setGeometry(261 + shift, Y(2), buttonWidth, buttonHeight);
  HelpBtn->setGeometry(340 + shift, Y(2), buttonWidth, buttonHeight);
}

void TOptionsForm::WireHandlers() {
  TApplication& app = forms_.Application;
  // OK runs its handler, then closes the dialog with result OK whatever the handler did.
  connect(OKBtn, &QPushButton::clicked, this, [this, &app] {
    app.Guard([&] { OKBtnClick(OKBtn); });
    accept();
  });
  connect(BackgroundButton, &QPushButton::clicked, this,
          [this, &app] { app.Guard([&] { BackgroundButtonClick(BackgroundButton); }); });
  UpDown1->OnMouseDown = [this, &app](QObject* sender) {
    app.Guard([&] { UpDown1MouseDown(sender); });
  };
  UpDown2->OnMouseDown = [this, &app](QObject* sender) {
    app.Guard([&] { UpDown2MouseDown(sender); });
  };
}

void TOptionsForm::keyPressEvent(QKeyEvent* event) {
  // No button answers Escape: the dialog stays open. Enter reaches the default button.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TOptionsForm::showEvent(QShowEvent* event) {
  // Centred on the screen each time it opens.
  if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
    move(s->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

}  // namespace ostrivo
