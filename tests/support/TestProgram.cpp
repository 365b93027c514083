#include "support/TestProgram.h"

#include "app/SplashUnit.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "picture/PictureUnit.h"
#include "playlist/AddDirUnit.h"
#include "playlist/InsPauseUnit.h"
#include "settings/OptionsUnit.h"

namespace ostrivo::test {

TestProgram::TestProgram(QStringList arguments, QString exeName, const QString& configDir)
    : hives(configDir.isEmpty() ? config.Path() : configDir) {
  forms = std::make_unique<Forms>(Services{time, time, dialogs, media, mixer, hives, shell,
                                           std::move(arguments), std::move(exeName)});
}

TestProgram::~TestProgram() {
  forms.reset();
}

void TestProgram::Create() {
  forms->CreateAll();
}

void TestProgram::Start() {
  time.Advance(1);
  dialogs.messages.clear();
  ResetOptions();
}

void TestProgram::ResetOptions() {
  TOptionsForm& o = Options();
  o.RandomBox->setChecked(false);
  o.ContinuousBox->setChecked(false);
  o.RecurseBox->setChecked(false);
  o.Edit2->setText(QStringLiteral("0"));
  o.Edit1->setText(QStringLiteral("3"));
  o.FitBox->setChecked(false);
  o.StretchBox->setChecked(false);
  o.TitleBox->setChecked(false);
}

TMainForm& TestProgram::Main() const {
  return *forms->MainForm;
}
TPictureForm& TestProgram::Picture() const {
  return *forms->PictureForm;
}
TOptionsForm& TestProgram::Options() const {
  return *forms->OptionsForm;
}
TAddDirForm& TestProgram::AddDir() const {
  return *forms->AddDirForm;
}
TInsPauseForm& TestProgram::InsPause() const {
  return *forms->InsPauseForm;
}
TSplashForm& TestProgram::Splash() const {
  return *forms->SplashForm;
}

QList<QByteArray> TestProgram::Entries() const {
  const auto& items = Main().ListBox1->Items().Items();
  return QList<QByteArray>(items.begin(), items.end());
}

void TestProgram::SetEntries(const QList<QByteArray>& entries) {
  Main().ListBox1->Items().Assign(std::vector<QByteArray>(entries.begin(), entries.end()));
}

int TestProgram::Selected() const {
  return Main().ListBox1->ItemIndex();
}
QString TestProgram::Status() const {
  return Main().StatusBar1->SimpleText();
}
QString TestProgram::TrayHint() const {
  return Main().RxTrayIcon1->Hint();
}

}  // namespace ostrivo::test
