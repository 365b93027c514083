#pragma once
// TRegistry: the registry object. A root key (HKEY_CURRENT_USER at creation) and a current key
// (none at creation); paths beginning with a backslash start at the root, others below the
// current key (or the root when none is current). Key names compare without regard to case.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace ostrivo {

class RegistryHives;

using HKEY = uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry {
 public:
  explicit TRegistry(RegistryHives& hives);
  ~TRegistry();  // closes the current key

  HKEY RootKey() const;
  void SetRootKey(HKEY root);  // a different root closes the current key
  // On success the key becomes the current one; on failure the current key stays as it was.
  bool OpenKey(const QString& path, bool create);
  bool KeyExists(const QString& path);
  bool ValueExists(const QString& name);
  // The text of a string value; "Invalid data type for '%s'" for a value of another type,
  // "Failed to get data for '%s'" when there is no such value (or no current key).
  QString ReadString(const QString& name);  // throws ERegistryException
  // "Failed to set data for '%s'" when it cannot be stored (or there is no current key).
  void WriteString(const QString& name, const QString& value);  // "" names the default value
  bool DeleteValue(const QString& name);
  bool DeleteKey(const QString& path);  // with all its subkeys
  void CloseKey();
  // The current key's full path below the root, without a leading backslash, in the case the
  // names were created with; empty for none (and for the root itself).
  QString CurrentPath() const;

  // The type of a value of the current key; rdUnknown when there is none (or for a type
  // without a name here).
  TRegDataType GetDataType(const QString& name);
  // WriteString reporting a failure by its result rather than the error.
  bool TryWriteString(const QString& name, const QString& value);

  // Whether a key is current (the root itself may be).
  bool HasCurrentKey() const;
  // The names of the current key's subkeys and values.
  QStringList GetKeyNames();
  QStringList GetValueNames();

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace ostrivo
