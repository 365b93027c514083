// The add-directory dialog: its design, its two choosers, the walk and the removal.

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QShowEvent>
#include <QStorageInfo>
#include <algorithm>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "playlist/AddDirUnit.h"
#include "playlist/DirectoryWalk.h"
#include "playlist/PlayListEdit.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

namespace {

QString CleanDirectory(const QString& path) {
  return QDir::cleanPath(QDir(path).absolutePath());
}

QString MountPointOf(const QString& path) {
  const QStorageInfo storage(path);
  return storage.isValid() ? CleanDirectory(storage.rootPath()) : QStringLiteral("/");
}

// The ancestors of a directory from the mount point down, the directory itself last.
QStringList Ancestors(const QString& directory, const QString& root) {
  QStringList chain{directory};
  QString d = directory;
  while (d != root && d != QLatin1String("/")) {
    const qsizetype slash = d.lastIndexOf(QLatin1Char('/'));
    d = slash <= 0 ? QStringLiteral("/") : d.left(slash);
    chain.prepend(d);
  }
  return chain;
}

}  // namespace

// ---- TDirectoryListBox ----

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListWidget(parent), directory_(CleanDirectory(QDir::currentPath())) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { SetDirectory(item->data(Qt::UserRole).toString()); });
  Update();
}

void TDirectoryListBox::SetDirectory(const QString& directory) {
  const QString clean = CleanDirectory(directory);
  if (clean != directory_) {
    directory_ = clean;
    QDir::setCurrent(directory_);
  }
  Update();
  if (OnChange) OnChange();
}

void TDirectoryListBox::Update() {
  clear();
  const QStringList chain = Ancestors(directory_, MountPointOf(directory_));
  int depth = 0;
  for (const QString& d : chain) {
    const QString name =
        d == QLatin1String("/") || depth == 0 ? d : d.section(QLatin1Char('/'), -1);
    auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, this);
    item->setData(Qt::UserRole, d);
    ++depth;
  }
  setCurrentRow(count() - 1);
  QStringList subdirectories =
      QDir(directory_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
  QCollator collator(QLocale().collation());
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(subdirectories.begin(), subdirectories.end(), collator);
  const QString base = directory_ == QLatin1String("/") ? QString() : directory_;
  for (const QString& name : subdirectories) {
    auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, this);
    item->setData(Qt::UserRole, base + QLatin1Char('/') + name);
  }
}

// ---- TDriveComboBox ----

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::currentIndexChanged, this, [this] {
    if (!updating_ && OnChange) OnChange();
  });
  Update();
}

void TDriveComboBox::Update() {
  updating_ = true;
  const QString shown = Drive();
  clear();
  QStringList roots;
  for (const QStorageInfo& s : QStorageInfo::mountedVolumes())
    if (s.isValid() && s.isReady()) roots << CleanDirectory(s.rootPath());
  roots.removeDuplicates();
  roots.sort();
  for (const QString& r : roots) addItem(r, r);
  setCurrentIndex(findData(shown));
  updating_ = false;
}

void TDriveComboBox::ShowDriveOf(const QString& path) {
  const QString root = MountPointOf(path);
  updating_ = true;
  int i = findData(root);
  if (i < 0) {
    addItem(root, root);
    i = count() - 1;
  }
  setCurrentIndex(i);
  updating_ = false;
}

// ---- TAddDirForm ----

TAddDirForm::TAddDirForm(Forms& forms) : QDialog(nullptr), forms_(forms) {
  setObjectName(QStringLiteral("AddDirForm"));
  setWindowTitle(QStringLiteral("Add Directory"));
  setModal(true);
  resize(300, 330);

  Label1 = new QLabel(QStringLiteral("Select directory:"), this);
  Label1->setGeometry(8, 8, 284, 16);
  DirectoryListBox1 = new TDirectoryListBox(this);
  DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
  DirectoryListBox1->setGeometry(8, 26, 284, 200);
  Label2 = new QLabel(QStringLiteral("Select drive:"), this);
  Label2->setGeometry(8, 234, 284, 16);
  DriveComboBox1 = new TDriveComboBox(this);
  DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
  DriveComboBox1->setGeometry(8, 252, 284, 22);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(136, 292, 75, 25);
  OKButton->setDefault(true);
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setGeometry(217, 292, 75, 25);
  CancelButton->setAutoDefault(false);

  // The drive chooser drives the directory list; the list shows its drive in the chooser.
  DriveComboBox1->ShowDriveOf(DirectoryListBox1->Directory());
  DriveComboBox1->OnChange = [this] { DirectoryListBox1->SetDirectory(DriveComboBox1->Drive()); };
  DirectoryListBox1->OnChange = [this] {
    DriveComboBox1->ShowDriveOf(DirectoryListBox1->Directory());
  };

  connect(OKButton, &QPushButton::clicked, this,
          [this] { forms_.Application.Guard([this] { OKButtonClick(OKButton); }); });
  connect(CancelButton, &QPushButton::clicked, this,
          [this] { forms_.Application.Guard([this] { CancelButtonClick(CancelButton); }); });
}

TAddDirForm::~TAddDirForm() = default;

void TAddDirForm::showEvent(QShowEvent* event) {
  // Drives come and go, and so do directories: read both again, keeping the place.
  DriveComboBox1->Update();
  DriveComboBox1->ShowDriveOf(DirectoryListBox1->Directory());
  DirectoryListBox1->Update();
  QDialog::showEvent(event);
}

void TAddDirForm::adddir(const QString& directory) {
  std::vector<QByteArray> found;
  WalkDirectory(QFile::encodeName(directory), forms_.OptionsForm->RecurseBox->isChecked(), found);
  AppendEntries(*forms_.MainForm->ListBox1, std::move(found));
}

void TAddDirForm::OKButtonClick(QObject*) {
  const QString directory = DirectoryListBox1->Directory();
  TMainForm& main = *forms_.MainForm;
  if (AddMode) {
    main.AddDirectory(directory);
  } else {
    // A plain prefix test: no separator is needed after the directory.
    const QByteArray prefix = AsciiLower(QFile::encodeName(directory));
    RemoveEntries(*main.ListBox1,
                  [&](const QByteArray& entry) { return StartsWithDirectory(entry, prefix); });
  }
  accept();
}

void TAddDirForm::CancelButtonClick(QObject*) {
  reject();
}

}  // namespace ostrivo
