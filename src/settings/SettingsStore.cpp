// The settings store: the options dialog's controls to and from fourteen string values of the
// Settings key, HKEY_CURRENT_USER\Software\Ostrivo; and the dialog's handlers.
#include <QCheckBox>
#include <QLineEdit>
#include <cstdint>

#include "app/Forms.h"
#include "framework/Convert.h"
#include "framework/Exceptions.h"
#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "platform/registry/RegistryHives.h"
#include "settings/OptionsUnit.h"
#include "settings/Registry.h"

namespace ostrivo {

namespace {

// The fourteen values, in the order load and save handle them: a check box or an edit each.
struct Setting {
  const char* name;
  QCheckBox* TOptionsForm::*box;
  QLineEdit* TOptionsForm::*edit;
};
const Setting kSettings[] = {
    {"AuxVolumeBoxChecked", &TOptionsForm::AuxVolumeBox, nullptr},
    {"CDVolumeBoxChecked", &TOptionsForm::CDVolumeBox, nullptr},
    {"ContinuousBoxChecked", &TOptionsForm::ContinuousBox, nullptr},
    {"DisplayTime", nullptr, &TOptionsForm::Edit1},
    {"FitBoxChecked", &TOptionsForm::FitBox, nullptr},
    {"MicVolumeBoxChecked", &TOptionsForm::MicVolumeBox, nullptr},
    {"MidiVolumeBoxChecked", &TOptionsForm::MidiVolumeBox, nullptr},
    {"Pause", nullptr, &TOptionsForm::Edit2},
    {"RandomBoxChecked", &TOptionsForm::RandomBox, nullptr},
    {"RecurseBoxChecked", &TOptionsForm::RecurseBox, nullptr},
    {"StretchBoxChecked", &TOptionsForm::StretchBox, nullptr},
    {"TitleBoxChecked", &TOptionsForm::TitleBox, nullptr},
    {"VolumeBoxChecked", &TOptionsForm::VolumeBox, nullptr},
    {"WaveVolumeBoxChecked", &TOptionsForm::WaveVolumeBox, nullptr},
};

const QString kDefault = QStringLiteral("1");

// A stored number of seconds goes into its edit as typed when it is a whole number the edit
// could hold; any other text would fail every reader of the option, so it loads as the default.
QString SecondsText(const QString& stored) {
  const auto n = TryStrToInt(stored.toUtf8());
  return n && *n >= 0 && *n <= 999999 ? stored : kDefault;
}

// Notices of the registry files (a damaged file moved aside), each shown once.
void ShowRegistryNotices(Forms& forms) {
  for (const QString& text : forms.services.hives.TakeNotices())
    forms.services.dialogs.ShowMessage(forms.Application.Title, text, MessageIcon::Warning);
}

}  // namespace

void TMainForm::LoadSettings() {
  TOptionsForm& o = *forms_.OptionsForm;
  Registry = std::make_unique<TRegistry>(forms_.services.hives);
  Registry->SetRootKey(HKEY_CURRENT_USER);
  // "Software" is made too when missing (a new profile here has no keys at all), so the
  // Settings key never lands at the root.
  const bool opened = Registry->OpenKey(QStringLiteral("Software"), true) &&
                      Registry->OpenKey(QStringLiteral("Ostrivo"), true);
  for (const Setting& s : kSettings) {
    // Without the Settings key (a hive that cannot be written) every value is its default.
    const QString value = opened ? ReadSetting(QString::fromLatin1(s.name), kDefault) : kDefault;
    if (s.box) {
      (o.*s.box)->setChecked(value == QLatin1String("1"));
    } else {
      (o.*s.edit)->setText(SecondsText(value));
    }
  }
  Registry.reset();
  forms_.services.hives.CanStore();  // a place that cannot keep the settings is named once
  o.SettingsLoaded = true;
  // A number beyond the up-down's range puts it at that end.
  o.UpDown1->SetPosition(StrToInt(o.Edit1->text()));
  o.UpDown2->SetPosition(StrToInt(o.Edit2->text()));
  ShowRegistryNotices(forms_);
}

QString TMainForm::ReadSetting(const QString& Name, const QString& Default) {
  const TRegDataType type = Registry->GetDataType(Name);
  if (type == rdString || type == rdExpandString) return Registry->ReadString(Name);
  // Missing, or of another type, which counts as missing and is replaced. A default that
  // cannot be stored now is used all the same (the close tries again and reports).
  Registry->TryWriteString(Name, Default);
  return Default;
}

void TMainForm::SaveSettings() {
  TOptionsForm& o = *forms_.OptionsForm;
  Registry = std::make_unique<TRegistry>(forms_.services.hives);
  Registry->SetRootKey(HKEY_CURRENT_USER);
  // Only into the Settings key itself, and only what this run loaded: a key deleted while the
  // program ran stays deleted, and a close before the first tick keeps the stored settings.
  // Nor where nothing can be stored: the start reported that once already.
  if (o.SettingsLoaded && forms_.services.hives.CanStore() &&
      Registry->OpenKey(QStringLiteral("software"), false) &&
      Registry->OpenKey(QStringLiteral("Ostrivo"), false)) {
    QString failed;
    for (const Setting& s : kSettings) {
      const QString value =
          s.box ? QString::fromLatin1((o.*s.box)->isChecked() ? "1" : "0") : (o.*s.edit)->text();
      const QString name = QString::fromLatin1(s.name);
      if (!Registry->TryWriteString(name, value) && failed.isEmpty()) failed = name;
    }
    // One report for a save that failed, and the close goes on.
    if (!failed.isEmpty())
      forms_.Application.HandleException(
          ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(failed)));
  }
  Registry.reset();
  ShowRegistryNotices(forms_);
}

void TMainForm::OptionsButtonClick(QObject*) {
  forms_.services.dialogs.ExecModal(*forms_.OptionsForm);
}

// ---- the dialog's handlers ----

void TOptionsForm::OKBtnClick(QObject*) {
  TMainForm& m = *forms_.MainForm;
  const std::pair<QCheckBox*, TTrackBar*> bars[] = {
      {VolumeBox, m.VolumeBar},         {AuxVolumeBox, m.AuxVolumeBar},
      {WaveVolumeBox, m.WaveVolumeBar}, {MicVolumeBox, m.MicVolumeBar},
      {CDVolumeBox, m.CDVolumeBar},     {MidiVolumeBox, m.MidiVolumeBar},
  };
  for (const auto& [box, bar] : bars) bar->resize(box->isChecked() ? 25 : 0, bar->height());
  m.FormResize(this);
}

void TOptionsForm::BackgroundButtonClick(QObject*) {
  if (ColorDialog1.Execute()) forms_.PictureForm->SetColor(ColorDialog1.Color);
}

void TOptionsForm::UpDown1MouseDown(QObject*) {
  Edit1->setText(QString::number(static_cast<int16_t>(UpDown1->Position())));
}

void TOptionsForm::UpDown2MouseDown(QObject*) {
  Edit2->setText(QString::number(static_cast<int16_t>(UpDown2->Position())));
}

}  // namespace ostrivo
