#pragma once
// One hive in memory, and its text form: the registry editor's export format, so a person can
// read and edit the file.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER]
//
//   [HKEY_CURRENT_USER\Software\Ostrivo]
//   "Pause"="1"
//   @="the default value"
//   "Size"=dword:0000002a
//   "Blob"=hex:00,01,02
//   "Other"=hex(b):2a,00,00,00,00,00,00,00
//
// The text is UTF-8 with "\n" line ends ("\r\n" and a leading byte-order mark are read too).
// Names and string data escape "\" and '"' with a backslash. A string value is written quoted
// when its data is valid UTF-8 with one terminating zero and no other zero, carriage return or
// line feed; any other string is written as hex(1): with its raw bytes, so string data of any
// bytes round-trips. Long hex data is wrapped with ",\" and an indented next line. Lines that
// begin with ";" are comments; "[-path]" and "name"=- remove a key or a value, as in an import.

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "platform/registry/RegistryHives.h"

namespace ostrivo {

class HiveKey {
 public:
  HiveKey() = default;
  explicit HiveKey(QString name) : name_(std::move(name)) {}

  const QString& Name() const { return name_; }

  HiveKey* Find(const KeyPath& path);
  // Creates the missing keys along path; nullptr for an invalid name.
  HiveKey* Create(const KeyPath& path);
  // Removes the subkey (and its subtree) at path; false when missing or path is empty.
  bool Remove(const KeyPath& path);
  const std::vector<HiveKey>& SubKeys() const { return subkeys_; }

  const RegistryValue* Value(const QString& name) const;
  // Creates or replaces; a replaced value keeps its place and its name's case.
  void SetValue(const QString& name, const RegistryValue& value);
  bool RemoveValue(const QString& name);
  const std::vector<std::pair<QString, RegistryValue>>& Values() const { return values_; }

  bool operator==(const HiveKey& other) const;

  static bool ValidKeyName(const QString& name);
  static bool ValidValueName(const QString& name);

 private:
  HiveKey* Child(const QString& name);

  QString name_;
  std::vector<std::pair<QString, RegistryValue>> values_;  // in the order they were made
  std::vector<HiveKey> subkeys_;                           // sorted without regard to case
};

// Nothing when the text cannot be read as a hive of that root; error then says why.
std::optional<HiveKey> ParseHiveText(const QByteArray& text, Hive hive, QString* error = nullptr);
QByteArray HiveToText(const HiveKey& root, Hive hive);

}  // namespace ostrivo
