#pragma once
// The registry's two hives, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT: trees of keys, each key
// holding named values of a type and raw data. Key and value names compare without regard to
// case and keep the case they were created with. A key is addressed by the list of its names
// below the hive's root (an empty list is the root itself).
//
// FileRegistryHives (FileRegistryHives.h) keeps each hive in one text file; the registry
// object (settings/Registry.h) is the program's way in.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace ostrivo {

enum class Hive { ClassesRoot, CurrentUser };

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER".
QString HiveRootName(Hive hive);

// Value types, numbered as the registry numbers them.
constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_MULTI_SZ = 7;
constexpr uint32_t REG_QWORD = 11;

struct RegistryValue {
  uint32_t type = REG_SZ;
  // The raw data; a string's data ends with its terminating zero byte.
  QByteArray data;

  // A string value holding text's bytes and the terminating zero.
  static RegistryValue String(const QByteArray& text);
  bool operator==(const RegistryValue&) const = default;
};

using KeyPath = QStringList;

class RegistryHives {
 public:
  virtual ~RegistryHives() = default;

  // Every query sees the hive as last written, by this program or another one.

  // The key's path with each name in its stored case; nothing when the key is missing.
  virtual std::optional<KeyPath> FindKey(Hive hive, const KeyPath& path) = 0;
  virtual QStringList SubKeyNames(Hive hive, const KeyPath& path) = 0;
  virtual QStringList ValueNames(Hive hive, const KeyPath& path) = 0;
  // Nothing when the key or the value is missing. An empty name is the key's default value.
  virtual std::optional<RegistryValue> GetValue(Hive hive, const KeyPath& path,
                                                const QString& name) = 0;

  // Changes are stored before the call returns; false when nothing could be stored.

  // Creates the missing keys along the path; the key's stored path, or nothing on failure
  // (a name that is empty or holds a line break or a zero character, or a write that failed).
  virtual std::optional<KeyPath> CreateKey(Hive hive, const KeyPath& path) = 0;
  // Removes the key with all its subkeys; the root cannot be removed.
  virtual bool DeleteKey(Hive hive, const KeyPath& path) = 0;
  // Creates or replaces a value; false when the key is missing.
  virtual bool SetValue(Hive hive, const KeyPath& path, const QString& name,
                        const RegistryValue& value) = 0;
  // False when the value was not there.
  virtual bool DeleteValue(Hive hive, const KeyPath& path, const QString& name) = 0;

  // Whether changes can be stored at all. When they cannot (the place the hives live in is
  // not a folder, or cannot be made or written), a notice naming that place is added the
  // first time this is asked.
  virtual bool CanStore() { return true; }

  // Notices for the user, such as a damaged hive file that was moved aside. Each is handed out
  // once: TakeNotices returns the pending ones and forgets them. OnNotice, when set, runs each
  // time one is added, so the program can arrange to show it (the call comes from inside a
  // registry operation, which is no place for a modal message box).
  QStringList TakeNotices();
  bool HasNotices() const { return !notices_.isEmpty(); }
  std::function<void()> OnNotice;

 protected:
  void AddNotice(const QString& text);

 private:
  QStringList notices_;
};

}  // namespace ostrivo
