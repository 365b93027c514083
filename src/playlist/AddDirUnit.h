#pragma once
// TAddDirForm: the add-directory dialog, switched between adding and removing before it shows.
// Its directory list starts at the process's current directory and keeps its place between
// uses; the drive chooser offers the mount points, the drives of this system.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace ostrivo {

class Forms;

// A directory chooser: the directory's ancestors from its mount point down, then its
// subdirectories; a double click moves into the one clicked. Moving also makes the directory
// the process's current directory.
class TDirectoryListBox : public QListWidget {
 public:
  explicit TDirectoryListBox(QWidget* parent);

  // An absolute path without a trailing "/", except for the root "/".
  const QString& Directory() const { return directory_; }
  void SetDirectory(const QString& directory);
  // Lists the current directory's subdirectories again.
  void Update();

  std::function<void()> OnChange;

 private:
  QString directory_;
};

// A drive chooser: the mounted file systems by their mount points.
class TDriveComboBox : public QComboBox {
 public:
  explicit TDriveComboBox(QWidget* parent);

  // The mount point shown.
  QString Drive() const { return currentData().toString(); }
  // Shows the mount point that holds the path, without telling OnChange.
  void ShowDriveOf(const QString& path);
  // Reads the mount points again.
  void Update();

  // The user chose another drive.
  std::function<void()> OnChange;

 private:
  bool updating_ = false;
};

class TAddDirForm : public QDialog {
 public:
  explicit TAddDirForm(Forms& forms);
  ~TAddDirForm() override;

  QLabel* Label1;  // "Select directory:"
  TDirectoryListBox* DirectoryListBox1;
  QLabel* Label2;  // "Select drive:"
  TDriveComboBox* DriveComboBox1;
  QPushButton* OKButton;
  QPushButton* CancelButton;

  // True: OK adds the directory's files; false: OK removes every entry under the directory.
  bool AddMode = true;

  // The directory walk: appends the directory's media files to the play list, recursing into
  // plain subdirectories when the recurse option is on. An empty text walks nothing.
  void adddir(const QString& directory);

  void OKButtonClick(QObject* Sender);
  void CancelButtonClick(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Forms& forms_;
};

}  // namespace ostrivo
