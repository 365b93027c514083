// Placeholder until the registry lands: every key is missing.
#include "settings/Registry.h"

#include "framework/Exceptions.h"

namespace ostrivo {

struct TRegistry::Impl {
  HKEY root = HKEY_CURRENT_USER;
};

TRegistry::TRegistry(RegistryHives&) : d_(std::make_unique<Impl>()) {}
TRegistry::~TRegistry() = default;
HKEY TRegistry::RootKey() const { return d_->root; }
void TRegistry::SetRootKey(HKEY root) { d_->root = root; }
bool TRegistry::OpenKey(const QString&, bool) { return false; }
bool TRegistry::KeyExists(const QString&) { return false; }
bool TRegistry::ValueExists(const QString&) { return false; }
QString TRegistry::ReadString(const QString& name) {
  throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(name));
}
void TRegistry::WriteString(const QString& name, const QString&) {
  throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
}
bool TRegistry::DeleteValue(const QString&) { return false; }
bool TRegistry::DeleteKey(const QString&) { return false; }
void TRegistry::CloseKey() {}
QString TRegistry::CurrentPath() const { return {}; }

}  // namespace ostrivo
