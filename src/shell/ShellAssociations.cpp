// The program's place in the desktop's file associations: its media and picture types, its
// play lists, and a "View" verb on folders and drives, kept under HKEY_CLASSES_ROOT.
#include <initializer_list>
#include <optional>

#include "app/Forms.h"
#include "framework/Exceptions.h"
#include "main/MainUnit.h"
#include "platform/shell/ShellServices.h"
#include "settings/Registry.h"

namespace ostrivo {

namespace {

const char* const kAssociatedTypes[] = {"wav", "mid", "bmp", "jpg", "cda", "avi", "mov"};

// Opens each key in turn, creating it. A key that cannot be opened stops the chain: the writes
// meant for it must not land in whichever key was current before.
bool OpenChain(TRegistry& registry, std::initializer_list<QString> keys) {
  for (const QString& key : keys)
    if (!registry.OpenKey(key, true)) return false;
  return true;
}

QString Command(const QString& exe, const char* tail) {
  return exe + QLatin1String(tail);
}

// The registry object of the caller (the start-up sequence or the toggle); one is made when a
// routine is reached without it.
TRegistry& CallersRegistry(TMainForm& form) {
  if (!form.Registry) form.Registry = std::make_unique<TRegistry>(form.GetForms().services.hives);
  return *form.Registry;
}

// A registry object in the main window's field for one command, released when it ends.
class RegistryInUse {
 public:
  explicit RegistryInUse(TMainForm& form) : form_(form) {
    form_.Registry = std::make_unique<TRegistry>(form_.GetForms().services.hives);
  }
  ~RegistryInUse() { form_.Registry.reset(); }
  RegistryInUse(const RegistryInUse&) = delete;
  RegistryInUse& operator=(const RegistryInUse&) = delete;
  TRegistry& operator*() const { return *form_.Registry; }
  TRegistry* operator->() const { return form_.Registry.get(); }

 private:
  TMainForm& form_;
};

// Each registration is also made in the desktop's own terms (the user's default applications,
// the entries that run the commands); the hive keeps exactly what it always held.
ShellServices& Desktop(TMainForm& form) {
  return form.GetForms().services.shell;
}

void WritePlayListCommand(TMainForm& form, TRegistry& registry, const QString& exe) {
  Desktop(form).AddVerb(DesktopVerb::PlayList);
  if (OpenChain(registry, {QStringLiteral("\\Ostrivo.osp\\shell\\Open\\command")}))
    registry.WriteString(QString(), Command(exe, " /open \"%l\" /play"));
}

// The "Ostrivo View" verb below "\folder" or "\drive".
void WriteViewVerb(TMainForm& form, TRegistry& registry, const QString& exe, const QString& root) {
  Desktop(form).AddVerb(root == QLatin1String("\\drive") ? DesktopVerb::DriveView
                                                         : DesktopVerb::FolderView);
  if (!OpenChain(registry, {root, QStringLiteral("shell"), QStringLiteral("Ostrivo_View")})) return;
  registry.WriteString(QString(), QStringLiteral("Ostrivo View"));
  if (OpenChain(registry, {QStringLiteral("command")}))
    registry.WriteString(QString(), Command(exe, " /dir \"%l\" /play"));
}

}  // namespace

void TMainForm::RegisterExtension(const QString& Ext) {
  TRegistry& r = CallersRegistry(*this);
  const QString& exe = Application().ExeName;
  Desktop(*this).AssociateExtension(Ext);
  r.SetRootKey(HKEY_CLASSES_ROOT);
  if (OpenChain(r, {QStringLiteral("\\.") + Ext})) {
    r.WriteString(QString(), QStringLiteral("Ostrivo.") + Ext);
    r.WriteString(QStringLiteral("Content Type"),
                  QStringLiteral("Ostrivo ") + Ext + QStringLiteral(" file"));
  }
  const QString classKey = QStringLiteral("\\Ostrivo.") + Ext;
  if (!OpenChain(r, {classKey, classKey, QStringLiteral("shell")})) return;
  r.WriteString(QString(), QStringLiteral("Open"));
  if (!OpenChain(r, {QStringLiteral("Open")})) return;
  r.WriteString(QString(), QStringLiteral("Open"));
  if (!OpenChain(r, {QStringLiteral("command")})) return;
  r.WriteString(QString(), Command(exe, " /file \"%L\" /play"));
}

void TMainForm::OfferAssociation(const QString& Ext) {
  const bool yes = Application().GetDialogs().Confirm(
      QStringLiteral("Confirm"),
      QStringLiteral("Do you want Ostrivo to be the default viewer for ") + Ext +
          QStringLiteral(" files?"));
  if (yes) RegisterExtension(Ext);
}

void TMainForm::UnregisterExtension(const QString& Ext) {
  TRegistry& r = CallersRegistry(*this);
  Desktop(*this).DissociateExtension(Ext);
  r.SetRootKey(HKEY_CLASSES_ROOT);
  // The type's values go whoever wrote them last; a missing one is no error.
  if (OpenChain(r, {QStringLiteral("\\.") + Ext})) {
    r.DeleteValue(QString());
    r.DeleteValue(QStringLiteral("Content Type"));
  }
  r.DeleteKey(QStringLiteral("\\Ostrivo.") + Ext);
}

void TMainForm::FirstStartShellSetup() {
  TRegistry& r = CallersRegistry(*this);
  const QString& exe = Application().ExeName;
  r.SetRootKey(HKEY_CLASSES_ROOT);
  // A registration that cannot be stored must not stop the start-up: each step goes on after
  // a failed one, and the first failure is shown once at the end.
  std::optional<ERegistryException> failure;
  auto step = [&failure](auto&& work) {
    try {
      work();
    } catch (const ERegistryException& e) {
      if (!failure) failure = e;
    }
  };
  step([&] { OfferAssociation(QStringLiteral("osp")); });
  step([&] { WritePlayListCommand(*this, r, exe); });
  for (const char* ext : kAssociatedTypes) step([&] { OfferAssociation(QLatin1String(ext)); });
  step([&] { WriteViewVerb(*this, r, exe, QStringLiteral("\\folder")); });
  step([&] { WriteViewVerb(*this, r, exe, QStringLiteral("\\drive")); });
  if (failure) Application().HandleException(*failure);
}

void TMainForm::ShellButtonClick(QObject*) {
  RegistryInUse r(*this);
  const QString& exe = Application().ExeName;
  // Without "Software" the test below would look for "Ostrivo" at the root instead.
  const bool installed =
      r->OpenKey(QStringLiteral("Software"), false) && r->KeyExists(QStringLiteral("Ostrivo"));
  if (installed) {
    r->SetRootKey(HKEY_CLASSES_ROOT);
    for (const char* ext : kAssociatedTypes) UnregisterExtension(QLatin1String(ext));
    Desktop(*this).RemoveVerb(DesktopVerb::FolderView);
    if (OpenChain(*r, {QStringLiteral("\\folder"), QStringLiteral("shell")}))
      r->DeleteKey(QStringLiteral("Ostrivo_View"));
    r->SetRootKey(HKEY_CURRENT_USER);
    r->DeleteKey(QStringLiteral("\\Software\\Ostrivo"));
    Application().GetDialogs().ShowMessage(
        Application().Title,
        QStringLiteral("Shell extensions uninstalled unless you work with Windows NT"),
        MessageIcon::None);
  } else {
    r->SetRootKey(HKEY_CLASSES_ROOT);
    RegisterExtension(QStringLiteral("osp"));
    WritePlayListCommand(*this, *r, exe);
    for (const char* ext : kAssociatedTypes) RegisterExtension(QLatin1String(ext));
    WriteViewVerb(*this, *r, exe, QStringLiteral("\\folder"));
    WriteViewVerb(*this, *r, exe, QStringLiteral("\\drive"));
    Application().GetDialogs().ShowMessage(
        Application().Title, QStringLiteral("Shell extensions installed"), MessageIcon::None);
  }
}

}  // namespace ostrivo
