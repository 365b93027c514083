#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "platform/registry/FileRegistryHives.h"
#include "settings/OptionsUnit.h"
#include "settings/Registry.h"
#include "support/FullDisk.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::FileSizeLimit;
using ostrivo::test::ReadAll;
using ostrivo::test::TestProgram;

namespace {

const KeyPath kSettingsKey{"Software", "Ostrivo"};

const QStringList kNames = {
    "AuxVolumeBoxChecked", "CDVolumeBoxChecked",   "ContinuousBoxChecked", "DisplayTime",
    "FitBoxChecked",       "MicVolumeBoxChecked",  "MidiVolumeBoxChecked", "Pause",
    "RandomBoxChecked",    "RecurseBoxChecked",    "StretchBoxChecked",    "TitleBoxChecked",
    "VolumeBoxChecked",    "WaveVolumeBoxChecked",
};

QList<QCheckBox*> Boxes(TOptionsForm& o) {
  return {o.AuxVolumeBox, o.CDVolumeBox,   o.ContinuousBox, o.FitBox,
          o.MicVolumeBox, o.MidiVolumeBox, o.RandomBox,     o.RecurseBox,
          o.StretchBox,   o.TitleBox,      o.VolumeBox,     o.WaveVolumeBox};
}

// The Settings key as the files hold it (read by a second program), or "<none>".
QString Stored(TestProgram& p, const QString& name) {
  FileRegistryHives reader(p.config.Path());
  const auto v = reader.GetValue(Hive::CurrentUser, kSettingsKey, name);
  if (!v) return "<none>";
  if (v->type != REG_SZ) return "<type " + QString::number(v->type) + ">";
  return QString::fromUtf8(v->data.chopped(1));
}

// A profile written by hand: the Settings key with the given lines.
void Profile(TestProgram& p, const QByteArray& lines) {
  p.config.Write(
      "HKEY_CURRENT_USER.reg",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Ostrivo]\n" + lines);
}

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { p.Create(); }
  TestProgram p;
  TMainForm& m() { return p.Main(); }
  TOptionsForm& o() { return p.Options(); }
};

}  // namespace

TEST_F(SettingsStore, AFreshProfileGetsFourteenOnesAndEveryOptionOn) {
  m().LoadSettings();
  FileRegistryHives reader(p.config.Path());
  EXPECT_EQ(reader.ValueNames(Hive::CurrentUser, kSettingsKey), kNames);  // in this order
  for (const QString& name : kNames) EXPECT_EQ(Stored(p, name), "1") << name.toStdString();
  EXPECT_TRUE(reader.SubKeyNames(Hive::CurrentUser, {}) == QStringList{"Software"});
  for (QCheckBox* b : Boxes(o())) EXPECT_TRUE(b->isChecked()) << b->text().toStdString();
  EXPECT_EQ(o().Edit1->text(), "1");
  EXPECT_EQ(o().Edit2->text(), "1");
  EXPECT_EQ(o().UpDown1->Position(), 1);
  EXPECT_EQ(o().UpDown2->Position(), 1);
  EXPECT_FALSE(m().Registry);  // released
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST_F(SettingsStore, ABoxIsOnOnlyForExactlyOne) {
  Profile(p,
          "\"RandomBoxChecked\"=\"true\"\n\"ContinuousBoxChecked\"=\"0\"\n"
          "\"FitBoxChecked\"=\" 1\"\n\"StretchBoxChecked\"=\"01\"\n\"TitleBoxChecked\"=\"\"\n"
          "\"RecurseBoxChecked\"=\"1\"\n\"DisplayTime\"=\"12\"\n\"Pause\"=\"7\"\n");
  m().LoadSettings();
  for (QCheckBox* b : {o().RandomBox, o().ContinuousBox, o().FitBox, o().StretchBox, o().TitleBox})
    EXPECT_FALSE(b->isChecked()) << b->text().toStdString();
  EXPECT_TRUE(o().RecurseBox->isChecked());
  EXPECT_TRUE(o().VolumeBox->isChecked());  // missing: "1"
  EXPECT_EQ(Stored(p, "VolumeBoxChecked"), "1");
  EXPECT_EQ(o().Edit1->text(), "12");
  EXPECT_EQ(o().UpDown1->Position(), 12);
  EXPECT_EQ(o().Edit2->text(), "7");
  EXPECT_EQ(o().UpDown2->Position(), 7);

  // Nothing changed by the user: the close writes the controls' state back.
  m().SaveSettings();
  EXPECT_EQ(Stored(p, "RandomBoxChecked"), "0");
  EXPECT_EQ(Stored(p, "TitleBoxChecked"), "0");
  EXPECT_EQ(Stored(p, "RecurseBoxChecked"), "1");
  EXPECT_EQ(Stored(p, "DisplayTime"), "12");
}

TEST_F(SettingsStore, TheCloseStoresTheControlsAsTheyAreNow) {
  m().LoadSettings();
  o().RandomBox->setChecked(false);
  o().MidiVolumeBox->setChecked(false);
  o().Edit1->setText("42");
  o().Edit2->setText("007");
  m().SaveSettings();
  EXPECT_EQ(Stored(p, "RandomBoxChecked"), "0");
  EXPECT_EQ(Stored(p, "MidiVolumeBoxChecked"), "0");
  EXPECT_EQ(Stored(p, "ContinuousBoxChecked"), "1");
  EXPECT_EQ(Stored(p, "DisplayTime"), "42");
  EXPECT_EQ(Stored(p, "Pause"), "007");  // as typed
  EXPECT_FALSE(m().Registry);

  // The next run gets them back.
  TestProgram next;
  next.config.Write("HKEY_CURRENT_USER.reg", ReadAll(p.config.File("HKEY_CURRENT_USER.reg")));
  next.Create();
  next.Main().LoadSettings();
  EXPECT_FALSE(next.Options().RandomBox->isChecked());
  EXPECT_EQ(next.Options().Edit2->text(), "007");
  EXPECT_EQ(next.Options().UpDown2->Position(), 7);
}

TEST_F(SettingsStore, SecondsThatAreNoWholeNumberLoadAsOneAndStopNothing) {
  Profile(p, "\"DisplayTime\"=\"abc\"\n\"Pause\"=\"-5\"\n");
  m().LoadSettings();
  EXPECT_EQ(o().Edit1->text(), "1");
  EXPECT_EQ(o().UpDown1->Position(), 1);
  EXPECT_EQ(o().Edit2->text(), "1");
  EXPECT_TRUE(o().WaveVolumeBox->isChecked());  // the load went on to the end
  EXPECT_TRUE(p.dialogs.Errors().isEmpty());
  m().SaveSettings();
  EXPECT_EQ(Stored(p, "DisplayTime"), "1");

  // Whole numbers are kept as typed; beyond the up-down's range it stands at the end.
  Profile(p, "\"DisplayTime\"=\"250\"\n\"Pause\"=\" $0C\"\n");
  m().LoadSettings();
  EXPECT_EQ(o().Edit1->text(), "250");
  EXPECT_EQ(o().UpDown1->Position(), 100);
  EXPECT_EQ(o().Edit2->text(), " $0C");
  EXPECT_EQ(o().UpDown2->Position(), 12);
  Profile(p, "\"DisplayTime\"=\"1234567\"\n");  // more than the edit takes
  m().LoadSettings();
  EXPECT_EQ(o().Edit1->text(), "1");
}

TEST_F(SettingsStore, AValueOfAnotherTypeCountsAsMissing) {
  Profile(p, "\"RandomBoxChecked\"=dword:00000001\n\"Pause\"=hex:35,00\n\"FitBoxChecked\"=\"0\"\n");
  m().LoadSettings();
  EXPECT_TRUE(p.dialogs.Errors().isEmpty());
  EXPECT_TRUE(o().RandomBox->isChecked());
  EXPECT_EQ(o().Edit2->text(), "1");
  EXPECT_FALSE(o().FitBox->isChecked());  // the load went on past them
  EXPECT_EQ(Stored(p, "RandomBoxChecked"), "1");
  EXPECT_EQ(Stored(p, "Pause"), "1");
}

TEST_F(SettingsStore, TheCloseWritesIntoNoOtherKeyThanTheSettingsKey) {
  m().LoadSettings();
  {
    TRegistry reg(p.hives);  // deleted while running, e.g. by the shell toggle
    ASSERT_TRUE(reg.DeleteKey("\\Software\\Ostrivo"));
  }
  m().SaveSettings();
  FileRegistryHives reader(p.config.Path());
  EXPECT_FALSE(reader.FindKey(Hive::CurrentUser, kSettingsKey));
  EXPECT_TRUE(reader.ValueNames(Hive::CurrentUser, {"Software"}).isEmpty());
  EXPECT_EQ(reader.SubKeyNames(Hive::CurrentUser, {}), QStringList{"Software"});
  EXPECT_TRUE(reader.ValueNames(Hive::CurrentUser, {}).isEmpty());
  EXPECT_TRUE(p.dialogs.messages.empty());

  // Without even "Software" a key "Ostrivo" at the root is not the Settings key either.
  p.config.Write("HKEY_CURRENT_USER.reg",
                 "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Ostrivo]\n");
  m().SaveSettings();
  EXPECT_TRUE(reader.ValueNames(Hive::CurrentUser, {"Ostrivo"}).isEmpty());
}

TEST_F(SettingsStore, AProgramClosedBeforeItsSettingsLoadedKeepsTheStoredOnes) {
  Profile(p, "\"RandomBoxChecked\"=\"1\"\n\"DisplayTime\"=\"9\"\n");
  m().SaveSettings();  // the controls still hold the dialog's design values
  EXPECT_EQ(Stored(p, "RandomBoxChecked"), "1");
  EXPECT_EQ(Stored(p, "DisplayTime"), "9");
  EXPECT_EQ(Stored(p, "Pause"), "<none>");
}

TEST_F(SettingsStore, AFailedSaveIsReportedOnceAndDoesNotStopTheClose) {
  m().LoadSettings();
  o().RandomBox->setChecked(false);
  {
    // The new hive cannot be written in full: no change can be stored.
    FileSizeLimit limit(64);
    EXPECT_NO_THROW(m().SaveSettings());
  }
  // Values that did not change need no write; the first that did is named.
  EXPECT_EQ(p.dialogs.Errors(), QStringList{"Failed to set data for 'RandomBoxChecked'"});
  EXPECT_FALSE(m().Registry);
  EXPECT_EQ(Stored(p, "RandomBoxChecked"), "1");  // the old file is intact
  m().Exit1->trigger();
  EXPECT_TRUE(p.forms->Terminated());
}

TEST_F(SettingsStore, ADamagedSettingsFileIsMovedAsideAndShownOnce) {
  p.config.Write("HKEY_CURRENT_USER.reg", "garbage");
  m().LoadSettings();
  ASSERT_EQ(p.dialogs.messages.size(), 1u);
  EXPECT_EQ(p.dialogs.messages[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(p.dialogs.messages[0].text.contains(".damaged-"));
  EXPECT_EQ(QDir(p.config.Path()).entryList({"HKEY_CURRENT_USER.reg.damaged-*"}).size(), 1);
  EXPECT_EQ(Stored(p, "VolumeBoxChecked"), "1");  // a fresh profile from there on
  m().SaveSettings();
  EXPECT_EQ(p.dialogs.messages.size(), 1u);
}

TEST_F(SettingsStore, OKAppliesTheBarsTheTitleBarCloseDoesNot) {
  m().LoadSettings();
  o().VolumeBox->setChecked(false);
  o().CDVolumeBox->setChecked(false);
  // The dialog closed with the title-bar button: the boxes stay unchecked, the bars shown.
  p.dialogs.modalAnswers.push_back([](QDialog& d) {
    d.show();
    d.close();
    return d.result();
  });
  m().OptionsButtonClick(nullptr);
  EXPECT_EQ(p.dialogs.modalTitles, std::vector<QString>{"Options"});
  EXPECT_EQ(m().VolumeBar->width(), 25);
  EXPECT_EQ(m().CDVolumeBar->width(), 25);
  EXPECT_FALSE(o().VolumeBox->isChecked());

  // OK applies them.
  p.dialogs.modalAnswers.push_back([](QDialog& d) {
    d.show();
    static_cast<TOptionsForm&>(d).OKBtn->click();
    return d.result();
  });
  m().OptionsButtonClick(nullptr);
  EXPECT_EQ(o().result(), QDialog::Accepted);
  EXPECT_EQ(m().VolumeBar->width(), 0);
  EXPECT_EQ(m().CDVolumeBar->width(), 0);
  for (TTrackBar* bar : {m().WaveVolumeBar, m().AuxVolumeBar, m().MicVolumeBar, m().MidiVolumeBar})
    EXPECT_EQ(bar->width(), 25);

  o().VolumeBox->setChecked(true);
  o().OKBtnClick(nullptr);
  EXPECT_EQ(m().VolumeBar->width(), 25);
}

TEST_F(SettingsStore, UncheckedBarsClosedWithTheTitleBarAreHiddenAtTheNextStart) {
  m().LoadSettings();
  o().MicVolumeBox->setChecked(false);
  p.dialogs.modalAnswers.push_back([](QDialog& d) {
    d.show();
    d.close();
    return d.result();
  });
  m().OptionsButtonClick(nullptr);
  EXPECT_EQ(m().MicVolumeBar->width(), 25);
  m().SaveSettings();

  TestProgram next;
  next.config.Write("HKEY_CURRENT_USER.reg", ReadAll(p.config.File("HKEY_CURRENT_USER.reg")));
  next.Create();
  next.Main().LoadSettings();
  next.Options().OKBtnClick(nullptr);  // as the start-up sequence does
  EXPECT_EQ(next.Main().MicVolumeBar->width(), 0);
  EXPECT_EQ(next.Main().VolumeBar->width(), 25);
}

TEST_F(SettingsStore, TheBackgroundColourPickerOpensOnItsOwnLastChoice) {
  p.Picture().SetColor(Qt::blue);
  p.dialogs.colorAnswers = {QColor(Qt::red), std::nullopt, QColor(Qt::green)};
  o().BackgroundButton->click();
  EXPECT_EQ(p.Picture().Color(), QColor(Qt::red));
  p.Picture().SetColor(Qt::yellow);
  o().BackgroundButton->click();  // cancelled: nothing changes
  EXPECT_EQ(p.Picture().Color(), QColor(Qt::yellow));
  o().BackgroundButton->click();
  EXPECT_EQ(p.Picture().Color(), QColor(Qt::green));
  EXPECT_EQ(p.dialogs.colorRequests,
            (std::vector<QColor>{QColor(Qt::black), QColor(Qt::red), QColor(Qt::red)}));
  // Not a setting.
  m().LoadSettings();
  m().SaveSettings();
  EXPECT_FALSE(ReadAll(p.config.File("HKEY_CURRENT_USER.reg")).toLower().contains("color"));
}
