#pragma once
// The hives kept in files: HKEY_CURRENT_USER in "HKEY_CURRENT_USER.reg" and HKEY_CLASSES_ROOT
// in "HKEY_CLASSES_ROOT.reg" in the configuration folder, in the registry editor's export
// format (HiveText.h).
//
// Several programs may use the same files at once and none loses another's changes: every
// change is made under an exclusive lock on the hive's lock file (name + ".lock"), to the hive
// as it is on disk at that moment (re-read when another program changed it), written to a
// temporary file (name + ".tmp-" + six random characters, made exclusively and never through a
// link), flushed and renamed over the hive. A crash at any point
// leaves the old or the new hive, never a torn one. Queries re-read the file whenever it has
// changed on disk.
//
// A hive file that cannot be read as a hive is never overwritten: it is renamed to its name +
// ".damaged-" + a time stamp, a notice tells the user where it went, and the hive starts
// empty. A hive file that exists but cannot be read (no permission, an I/O error) is left
// alone: queries see an empty hive and changes fail.

#include <QString>
#include <array>
#include <memory>

#include "platform/registry/RegistryHives.h"

namespace ostrivo {

class FileRegistryHives : public RegistryHives {
 public:
  // configDir: where the hive files live; it is made (for the user alone) when the first
  // change is stored. The hives and their temporary and lock files are the user's alone too.
  explicit FileRegistryHives(QString configDir = DefaultConfigDir());
  ~FileRegistryHives() override;

  // OSTRIVO_CONFIG_DIR when set; else $XDG_CONFIG_HOME/ostrivo when that is an absolute
  // path; else ~/.config/ostrivo.
  static QString DefaultConfigDir();
  static QString FileName(Hive hive);  // "HKEY_CURRENT_USER.reg", "HKEY_CLASSES_ROOT.reg"
  const QString& ConfigDir() const { return dir_; }
  QString FilePath(Hive hive) const;

  std::optional<KeyPath> FindKey(Hive hive, const KeyPath& path) override;
  QStringList SubKeyNames(Hive hive, const KeyPath& path) override;
  QStringList ValueNames(Hive hive, const KeyPath& path) override;
  std::optional<RegistryValue> GetValue(Hive hive, const KeyPath& path,
                                        const QString& name) override;
  std::optional<KeyPath> CreateKey(Hive hive, const KeyPath& path) override;
  bool DeleteKey(Hive hive, const KeyPath& path) override;
  bool SetValue(Hive hive, const KeyPath& path, const QString& name,
                const RegistryValue& value) override;
  bool DeleteValue(Hive hive, const KeyPath& path, const QString& name) override;
  // Makes the folder when missing and tries a temporary file in it.
  bool CanStore() override;

 private:
  struct HiveFile;
  HiveFile& File(Hive hive);

  QString dir_;
  bool storeProblemNoticed_ = false;
  std::array<std::unique_ptr<HiveFile>, 2> files_;
};

}  // namespace ostrivo
