#pragma once
// Hives that pass everything on to real ones but refuse to store values in one hive when told
// to, as a full disk or a read-only file would.

#include <optional>

#include "platform/registry/RegistryHives.h"

namespace ostrivo::test {

class RefusingHives : public RegistryHives {
 public:
  explicit RefusingHives(RegistryHives& inner) : inner_(inner) {}

  // Values written to this hive are refused; nothing is refused while it is empty.
  std::optional<Hive> refuseValuesIn;

  std::optional<KeyPath> FindKey(Hive h, const KeyPath& p) override { return inner_.FindKey(h, p); }
  QStringList SubKeyNames(Hive h, const KeyPath& p) override { return inner_.SubKeyNames(h, p); }
  QStringList ValueNames(Hive h, const KeyPath& p) override { return inner_.ValueNames(h, p); }
  std::optional<RegistryValue> GetValue(Hive h, const KeyPath& p, const QString& n) override {
    return inner_.GetValue(h, p, n);
  }
  std::optional<KeyPath> CreateKey(Hive h, const KeyPath& p) override {
    return inner_.CreateKey(h, p);
  }
  bool DeleteKey(Hive h, const KeyPath& p) override { return inner_.DeleteKey(h, p); }
  bool SetValue(Hive h, const KeyPath& p, const QString& n, const RegistryValue& v) override {
    if (refuseValuesIn == h) return false;
    return inner_.SetValue(h, p, n, v);
  }
  bool DeleteValue(Hive h, const KeyPath& p, const QString& n) override {
    return inner_.DeleteValue(h, p, n);
  }

 private:
  RegistryHives& inner_;
};

}  // namespace ostrivo::test
