#pragma once
// The registry's two hives (HKEY_CURRENT_USER, HKEY_CLASSES_ROOT), each kept in one file.
namespace ostrivo {
class RegistryHives {
 public:
  virtual ~RegistryHives() = default;
};
}  // namespace ostrivo
