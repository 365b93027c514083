// The insert-pause dialog's design and handlers.

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>

#include "app/Forms.h"
#include "framework/Convert.h"
#include "main/MainUnit.h"
#include "player/Entries.h"
#include "playlist/InsPauseUnit.h"

namespace ostrivo {

TAssociatedUpDown::TAssociatedUpDown(QLineEdit* associate, QWidget* parent)
    : QWidget(parent),
      associate_(associate),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
  for (QToolButton* b : {up_, down_}) {
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRepeat(true);  // a held arrow keeps stepping
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TAssociatedUpDown::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  if (associate_) associate_->setText(QString::number(position_));
}

void TAssociatedUpDown::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  position_ = std::clamp(position_, min_, max_);
}

void TAssociatedUpDown::Step(int direction) {
  if (associate_) {
    const auto typed = TryStrToInt(associate_->text().toUtf8());
    if (typed && *typed >= min_ && *typed <= max_) position_ = *typed;
  }
  SetPosition(position_ + direction);
}

void TAssociatedUpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

TInsPauseForm::TInsPauseForm(Forms& forms) : QDialog(nullptr), forms_(forms) {
  setObjectName(QStringLiteral("InsPauseForm"));
  setWindowTitle(QStringLiteral("Insert pause"));
  setModal(true);
  setFixedSize(226, 96);

  Label1 = new QLabel(QStringLiteral("Insert number of seconds to pause for:"), this);
  Label1->setGeometry(8, 8, 210, 16);
  Edit1 = new QLineEdit(QStringLiteral("0"), this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(8, 30, 50, 21);
  UpDown1 = new TAssociatedUpDown(Edit1, this);
  UpDown1->setObjectName(QStringLiteral("UpDown1"));
  UpDown1->setGeometry(58, 30, 15, 21);
  UpDown1->SetRange(0, 100);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(62, 62, 75, 25);
  OKButton->setDefault(true);
  OKButton->setAutoDefault(true);
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setGeometry(143, 62, 75, 25);
  CancelButton->setAutoDefault(false);

  connect(OKButton, &QPushButton::clicked, this,
          [this] { forms_.Application.Guard([this] { OKButtonClick(OKButton); }); });
  connect(CancelButton, &QPushButton::clicked, this,
          [this] { forms_.Application.Guard([this] { CancelButtonClick(CancelButton); }); });
}

TInsPauseForm::~TInsPauseForm() = default;

void TInsPauseForm::showEvent(QShowEvent* event) {
  // Centred on the screen each time it shows.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  QDialog::showEvent(event);
}

void TInsPauseForm::OKButtonClick(QObject*) {
  TListBox& list = *forms_.MainForm->ListBox1;
  // The text goes in exactly as typed: no check that it is a number.
  list.Items().Insert(list.ItemIndex() + 1, kPausePrefix + Edit1->text().toLocal8Bit());
  accept();
}

void TInsPauseForm::CancelButtonClick(QObject*) {
  reject();
}

}  // namespace ostrivo
