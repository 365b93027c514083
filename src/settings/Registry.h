#pragma once
// TRegistry: the registry object. A root key (HKEY_CURRENT_USER at creation) and a current key
// (none at creation); paths beginning with a backslash start at the root, others below the
// current key (or the root when none is current). Key names compare without regard to case.

#include <QString>
#include <cstdint>
#include <memory>

namespace ostrivo {

class RegistryHives;

using HKEY = uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;

class TRegistry {
 public:
  explicit TRegistry(RegistryHives& hives);
  ~TRegistry();  // closes the current key

  HKEY RootKey() const;
  void SetRootKey(HKEY root);  // a different root closes the current key
  bool OpenKey(const QString& path, bool create);
  bool KeyExists(const QString& path);
  bool ValueExists(const QString& name);
  QString ReadString(const QString& name);  // throws ERegistryException
  void WriteString(const QString& name, const QString& value);  // "" names the default value
  bool DeleteValue(const QString& name);
  bool DeleteKey(const QString& path);
  void CloseKey();
  // The current key's full path below the root, without a leading backslash; empty for none.
  QString CurrentPath() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace ostrivo
