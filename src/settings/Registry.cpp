#include "settings/Registry.h"

#include <optional>

#include "framework/Exceptions.h"
#include "platform/registry/RegistryHives.h"

namespace ostrivo {

struct TRegistry::Impl {
  explicit Impl(RegistryHives& h) : hives(h) {}
  RegistryHives& hives;
  HKEY root = HKEY_CURRENT_USER;
  std::optional<KeyPath> current;  // the names of the current key below the root

  // Only the two roots the program uses are kept; any other opens nothing.
  std::optional<Hive> RootHive() const {
    if (root == HKEY_CURRENT_USER) return Hive::CurrentUser;
    if (root == HKEY_CLASSES_ROOT) return Hive::ClassesRoot;
    return std::nullopt;
  }

  // The full path a path names: from the root when it starts with a backslash, else below the
  // current key. Nothing when it is relative to a current key that has been deleted since.
  std::optional<KeyPath> Resolve(const QString& path) {
    const bool relative = !path.startsWith(QLatin1Char('\\'));
    KeyPath full;
    if (relative && current) {
      if (!hives.FindKey(*RootHive(), *current)) return std::nullopt;
      full = *current;
    }
    for (const QString& name : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) full.append(name);
    return full;
  }
};

TRegistry::TRegistry(RegistryHives& hives) : d_(std::make_unique<Impl>(hives)) {}

TRegistry::~TRegistry() {
  CloseKey();
}

HKEY TRegistry::RootKey() const {
  return d_->root;
}

void TRegistry::SetRootKey(HKEY root) {
  if (root == d_->root) return;
  CloseKey();
  d_->root = root;
}

bool TRegistry::OpenKey(const QString& path, bool create) {
  const auto hive = d_->RootHive();
  if (!hive) return false;
  const auto full = d_->Resolve(path);
  if (!full) return false;
  auto stored = create ? d_->hives.CreateKey(*hive, *full) : d_->hives.FindKey(*hive, *full);
  if (!stored) return false;
  d_->current = std::move(stored);
  return true;
}

bool TRegistry::KeyExists(const QString& path) {
  const auto hive = d_->RootHive();
  if (!hive) return false;
  const auto full = d_->Resolve(path);
  return full && d_->hives.FindKey(*hive, *full).has_value();
}

bool TRegistry::ValueExists(const QString& name) {
  const auto hive = d_->RootHive();
  return hive && d_->current && d_->hives.GetValue(*hive, *d_->current, name).has_value();
}

QString TRegistry::ReadString(const QString& name) {
  const auto hive = d_->RootHive();
  std::optional<RegistryValue> value;
  if (hive && d_->current) value = d_->hives.GetValue(*hive, *d_->current, name);
  if (!value) throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(name));
  if (value->type != REG_SZ && value->type != REG_EXPAND_SZ)
    throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
  // The text ends at the first zero byte, the string's terminator.
  const qsizetype end = value->data.indexOf('\0');
  return QString::fromUtf8(end < 0 ? value->data : value->data.first(end));
}

void TRegistry::WriteString(const QString& name, const QString& value) {
  if (!TryWriteString(name, value))
    throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
}

bool TRegistry::TryWriteString(const QString& name, const QString& value) {
  const auto hive = d_->RootHive();
  return hive && d_->current &&
         d_->hives.SetValue(*hive, *d_->current, name, RegistryValue::String(value.toUtf8()));
}

TRegDataType TRegistry::GetDataType(const QString& name) {
  const auto hive = d_->RootHive();
  if (!hive || !d_->current) return rdUnknown;
  const auto value = d_->hives.GetValue(*hive, *d_->current, name);
  if (!value) return rdUnknown;
  switch (value->type) {
    case REG_SZ:
      return rdString;
    case REG_EXPAND_SZ:
      return rdExpandString;
    case REG_DWORD:
      return rdInteger;
    case REG_BINARY:
      return rdBinary;
    default:
      return rdUnknown;
  }
}

bool TRegistry::DeleteValue(const QString& name) {
  const auto hive = d_->RootHive();
  return hive && d_->current && d_->hives.DeleteValue(*hive, *d_->current, name);
}

bool TRegistry::DeleteKey(const QString& path) {
  const auto hive = d_->RootHive();
  if (!hive) return false;
  const auto full = d_->Resolve(path);
  return full && !full->isEmpty() && d_->hives.DeleteKey(*hive, *full);
}

void TRegistry::CloseKey() {
  d_->current.reset();
}

QString TRegistry::CurrentPath() const {
  return d_->current ? d_->current->join(QLatin1Char('\\')) : QString();
}

bool TRegistry::HasCurrentKey() const {
  return d_->current.has_value();
}

QStringList TRegistry::GetKeyNames() {
  const auto hive = d_->RootHive();
  return hive && d_->current ? d_->hives.SubKeyNames(*hive, *d_->current) : QStringList();
}

QStringList TRegistry::GetValueNames() {
  const auto hive = d_->RootHive();
  return hive && d_->current ? d_->hives.ValueNames(*hive, *d_->current) : QStringList();
}

}  // namespace ostrivo
