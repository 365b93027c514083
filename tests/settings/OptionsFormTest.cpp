#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "main/MainUnit.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

class OptionsForm : public ::testing::Test {
 protected:
  void SetUp() override { p.Create(); }
  void TearDown() override { o().hide(); }
  TestProgram p;
  TOptionsForm& o() { return p.Options(); }

  // A mouse press and release on one arrow of an up-down.
  static void Click(QToolButton* arrow) {
    QTest::mousePress(arrow, Qt::LeftButton);
    QTest::mouseRelease(arrow, Qt::LeftButton);
  }
};

}  // namespace

TEST_F(OptionsForm, ControlsCarryTheirCaptionsHintsAndFirstStates) {
  struct Box {
    QCheckBox* box;
    const char* caption;
    const char* hint;
    bool checked;
  };
  const Box boxes[] = {
      {o().RandomBox, "Random play", "Plays items randomly", false},
      {o().ContinuousBox, "Continuous play", "Plays the list continously", false},
      {o().RecurseBox, "Recurse subdirectories", "Add files from all subdirectories", false},
      {o().VolumeBox, "Volume Bar Visible", "", true},
      {o().WaveVolumeBox, "Wave Volume Bar Visible", "", true},
      {o().AuxVolumeBox, "Line-In Volume Bar Visible", "", true},
      {o().MicVolumeBox, "Microphone Volume Bar Visible", "", true},
      {o().CDVolumeBox, "CD Volume Bar Visible", "", true},
      {o().MidiVolumeBox, "Synthesizer Volume Bar Visible", "", true},
      {o().FitBox, "Fit picture",
       "If picture is bigger than the screen it will be adjusted to fit the screen", false},
      {o().StretchBox, "Stretch picture", "The picture will be stretched to fit the screen", false},
      {o().TitleBox, "Title Visible", "", false},
  };
  for (const Box& b : boxes) {
    EXPECT_EQ(b.box->text(), b.caption);
    EXPECT_EQ(b.box->toolTip(), b.hint) << b.caption;
    EXPECT_EQ(b.box->isChecked(), b.checked) << b.caption;
  }
  EXPECT_EQ(o().windowTitle(), "Options");
  EXPECT_EQ(o().GeneralBox->title(), "General Prefferences");
  EXPECT_EQ(o().PictureBox->title(), "Pictures Prefferences");
  EXPECT_EQ(o().Label2->text(), "Pause: ");
  EXPECT_EQ(o().Label1->text(), "Display time:");
  EXPECT_EQ(o().Edit2->text(), "0");
  EXPECT_EQ(o().Edit2->toolTip(), "Number of seconds to pause after each item");
  EXPECT_EQ(o().Edit1->text(), "3");
  EXPECT_EQ(o().Edit1->toolTip(), "How long a picture will be displayed (in seconds)");
  EXPECT_EQ(o().BackgroundButton->text(), "Background Color");
  EXPECT_EQ(o().OKBtn->text(), "OK");
  EXPECT_TRUE(o().OKBtn->isDefault());
  EXPECT_TRUE(o().CancelBtn->isHidden());
  EXPECT_TRUE(o().HelpBtn->isHidden());
  EXPECT_EQ(o().HelpBtn->text(), "&Help");

  for (TUpDown* u : {o().UpDown1, o().UpDown2}) {
    EXPECT_EQ(u->Min(), 0);
    EXPECT_EQ(u->Max(), 100);
    EXPECT_EQ(u->Increment(), 1);
    EXPECT_TRUE(u->Wrap());
  }
  EXPECT_EQ(o().UpDown1->Position(), 3);
  EXPECT_EQ(o().UpDown2->Position(), 0);

  ASSERT_EQ(o().PageControl1->count(), 2);
  EXPECT_EQ(o().PageControl1->tabText(0), "General");
  EXPECT_EQ(o().PageControl1->tabText(1), "Pictures");
  EXPECT_EQ(o().PageControl1->currentWidget(), o().TabSheet1);
  EXPECT_TRUE(o().TabSheet1->isAncestorOf(o().Edit2));
  EXPECT_TRUE(o().TabSheet2->isAncestorOf(o().BackgroundButton));
}

TEST_F(OptionsForm, ReopensOnThePageItWasClosedOn) {
  o().show();
  o().PageControl1->setCurrentWidget(o().TabSheet2);
  o().close();
  EXPECT_FALSE(o().isVisible());
  o().show();
  EXPECT_EQ(o().PageControl1->currentWidget(), o().TabSheet2);
}

TEST_F(OptionsForm, EnterPressesOKAndEscapeDoesNothing) {
  o().MicVolumeBox->setChecked(false);
  o().show();
  o().setResult(-1);
  QTest::keyClick(&o(), Qt::Key_Escape);
  EXPECT_TRUE(o().isVisible());
  EXPECT_EQ(o().result(), -1);
  EXPECT_EQ(p.Main().MicVolumeBar->width(), 25);

  // Enter in an edit reaches the default button: OKBtnClick runs and the dialog closes.
  o().Edit2->setFocus();
  QTest::keyClick(o().Edit2, Qt::Key_Return);
  EXPECT_FALSE(o().isVisible());
  EXPECT_EQ(o().result(), QDialog::Accepted);
  EXPECT_EQ(p.Main().MicVolumeBar->width(), 0);

  // The title-bar close button closes it without OK.
  o().MicVolumeBox->setChecked(true);
  o().show();
  o().close();
  EXPECT_FALSE(o().isVisible());
  EXPECT_EQ(o().result(), QDialog::Rejected);
  EXPECT_EQ(p.Main().MicVolumeBar->width(), 0);
}

TEST_F(OptionsForm, UpDownsWrapAndCopyTheirPositionOnAPress) {
  o().show();
  // UpDown1 at 100 and the up arrow pressed: 0, and "0" in Edit1.
  o().UpDown1->SetPosition(100);
  Click(o().UpDown1->UpArrow());
  EXPECT_EQ(o().UpDown1->Position(), 0);
  EXPECT_EQ(o().Edit1->text(), "0");
  Click(o().UpDown1->DownArrow());
  EXPECT_EQ(o().UpDown1->Position(), 100);
  EXPECT_EQ(o().Edit1->text(), "100");

  // "7" typed into Edit2 while UpDown2 stands at 1, then up: the up-down goes on from 1.
  o().UpDown2->SetPosition(1);
  o().Edit2->selectAll();
  QTest::keyClicks(o().Edit2, "7");
  EXPECT_EQ(o().Edit2->text(), "7");
  EXPECT_EQ(o().UpDown2->Position(), 1);  // not bound to the edit
  Click(o().UpDown2->UpArrow());
  EXPECT_EQ(o().Edit2->text(), "2");
  EXPECT_EQ(o().UpDown2->Position(), 2);

  // Setting the position from the program copies nothing.
  o().UpDown2->SetPosition(50);
  EXPECT_EQ(o().Edit2->text(), "2");
  o().UpDown2->SetPosition(1000);
  EXPECT_EQ(o().UpDown2->Position(), 100);
}

TEST_F(OptionsForm, AHeldArrowStepsOnButCopiesOnlyItsFirstStep) {
  o().show();
  o().UpDown2->SetPosition(10);
  QTest::mousePress(o().UpDown2->UpArrow(), Qt::LeftButton);
  EXPECT_EQ(o().Edit2->text(), "11");
  QTest::qWait(800);  // the arrow's own repeat, in real time
  QTest::mouseRelease(o().UpDown2->UpArrow(), Qt::LeftButton);
  const int held = o().UpDown2->Position();
  EXPECT_GT(held, 11);
  EXPECT_EQ(o().Edit2->text(), "11");
  QTest::qWait(300);
  EXPECT_EQ(o().UpDown2->Position(), held);  // released: no more steps
}

TEST_F(OptionsForm, TheSecondsFieldsHoldOnlyWholeNumbers) {
  o().show();
  o().Edit1->setFocus();
  o().Edit1->selectAll();
  QTest::keyClicks(o().Edit1, "1x-2 5");
  EXPECT_EQ(o().Edit1->text(), "125");
  QTest::keyClicks(o().Edit1, "999999");
  EXPECT_EQ(o().Edit1->text().size(), TOptionsForm::kSecondsDigits);
  // Emptied, it shows "0", selected so the next digit replaces it.
  o().Edit1->selectAll();
  QTest::keyClick(o().Edit1, Qt::Key_Backspace);
  EXPECT_EQ(o().Edit1->text(), "0");
  QTest::keyClicks(o().Edit1, "4");
  EXPECT_EQ(o().Edit1->text(), "4");
}

TEST_F(OptionsForm, NoTextIsClippedWithTheDesktopFont) {
  o().show();
  QApplication::processEvents();
  // The design's size at least, and fixed.
  EXPECT_GE(o().width(), 427);
  EXPECT_GE(o().height(), 300);
  EXPECT_EQ(o().minimumSize(), o().maximumSize());

  for (int page = 0; page < 2; ++page) {
    o().PageControl1->setCurrentIndex(page);
    QApplication::processEvents();
    QWidget* sheet = o().PageControl1->currentWidget();
    QGroupBox* box = page == 0 ? o().GeneralBox : o().PictureBox;
    EXPECT_TRUE(sheet->rect().contains(box->geometry())) << page;
    const auto controls = box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : controls) {
      const std::string name = w->metaObject()->className();
      EXPECT_TRUE(box->contentsRect().contains(w->geometry())) << name << " on page " << page;
      if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w)) {
        EXPECT_GE(w->width(), w->sizeHint().width()) << name;
        EXPECT_GE(w->height(), w->sizeHint().height()) << name;
      }
      for (QWidget* other : controls) {
        if (other != w) {
          EXPECT_FALSE(w->geometry().intersects(other->geometry())) << name;
        }
      }
    }
    // The edits show three digits, the most an up-down gives them.
    QLineEdit* edit = page == 0 ? o().Edit2 : o().Edit1;
    EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance("100") + 8);
    if (const QByteArray dir = qgetenv("OSTRIVO_SCREENSHOT_DIR"); !dir.isEmpty()) {
      o().grab().save(
          QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("options-%1.png").arg(page)));
    }
  }
  EXPECT_TRUE(o().rect().contains(o().OKBtn->geometry().translated(o().Panel2->pos())));
  EXPECT_GE(o().OKBtn->width(), o().OKBtn->sizeHint().width());
}
